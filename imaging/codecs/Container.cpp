#include "imaging/codecs/Container.h"

#include "imaging/Messages.h"
#include "imaging/codecs/Limits.h"
#include "platform/ByteCursor.h"
#include "platform/Exception.h"

#include <zlib.h>
#include <QtEndian>
#include <cstring>

namespace codecs {
namespace {
constexpr char kSignature[kContainerSignatureSize] = {'Z', 'L', 'I', 'B', 'C', 'o', 'm',
                                                      'p', 'r', 'e', 's', 's', 0x1A};

[[noreturn]] void fail(const QString& reason) {
    throw Exception(msg::cannotDecompress(reason));
}
[[noreturn]] void zlibFailed(const char* text) {
    fail(msg::libraryRefused(QStringLiteral("zlib"), QString::fromLatin1(text)));
}
}  // namespace

bool HasContainerSignature(QByteArrayView data) {
    return data.size() >= kContainerSignatureSize &&
           std::memcmp(data.data(), kSignature, kContainerSignatureSize) == 0;
}

QByteArray Compress(QByteArrayView plain) {
    uLongf bound = compressBound(uLong(plain.size()));
    QByteArray out(kContainerHeaderSize + qsizetype(bound), Qt::Uninitialized);
    std::memcpy(out.data(), kSignature, kContainerSignatureSize);
    const quint32 n = quint32(plain.size());
    qToLittleEndian(n, out.data() + kContainerSignatureSize);
    if (compress2(reinterpret_cast<Bytef*>(out.data() + kContainerHeaderSize), &bound,
                  reinterpret_cast<const Bytef*>(plain.data()), uLong(plain.size()), 9) != Z_OK)
        zlibFailed("compress2");
    out.resize(kContainerHeaderSize + qsizetype(bound));
    return out;
}

namespace {
// zlib's inflate state, ended whichever way inflating ends.
struct Inflater {
    z_stream zs{};
    Inflater() {
        if (inflateInit(&zs) != Z_OK) zlibFailed("inflateInit");
    }
    ~Inflater() { inflateEnd(&zs); }
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;
};
}  // namespace

QByteArray Decompress(QByteArrayView data, qsizetype* consumed, const HeadCheck& checkHead) {
    if (!HasContainerSignature(data)) fail(msg::signatureMissing());
    platform::ByteCursor header(data, [](qsizetype at) { fail(msg::dataEndsAt(at)); });
    header.skip(kContainerSignatureSize);
    const quint32 declared = header.u32le();
    // The declared length is checked against the largest picture and against what the
    // bytes present can inflate to, before anything is inflated.
    if (declared > kMaxPictureBytes) fail(msg::declaredLengthTooLarge(declared, kMaxPictureBytes));
    const qsizetype compressed = data.size() - kContainerHeaderSize;
    if (declared > MaxInflated(compressed))
        fail(msg::declaredLengthExceedsData(declared, compressed));

    Inflater inflater;
    z_stream& zs = inflater.zs;
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data() + kContainerHeaderSize));
    zs.avail_in =
        uInt(std::min<qsizetype>(data.size() - kContainerHeaderSize, qsizetype(UINT32_MAX)));
    QByteArray out;
    int rc = Z_OK;
    bool headChecked = !checkHead;
    while (rc != Z_STREAM_END) {
        // Grow by what has arrived, capped by what was declared.
        const qsizetype have = out.size();
        const qsizetype room = std::clamp<qsizetype>(have, 64 * 1024, 16 * 1024 * 1024);
        const qsizetype limit = qsizetype(declared) + 1;  // one byte more detects overlong data
        const qsizetype grow = std::min(room, limit - have);
        if (grow <= 0) break;
        out.resize(have + grow);
        zs.next_out = reinterpret_cast<Bytef*>(out.data() + have);
        zs.avail_out = uInt(grow);
        rc = inflate(&zs, Z_NO_FLUSH);
        out.resize(have + grow - qsizetype(zs.avail_out));
        if (rc == Z_BUF_ERROR && zs.avail_in == 0) break;  // the input ended early
        if (rc != Z_OK && rc != Z_STREAM_END && rc != Z_BUF_ERROR)
            fail(msg::libraryRefused(QStringLiteral("zlib"),
                                     QString::fromLatin1(zs.msg ? zs.msg : zError(rc))));
        if (!headChecked && (out.size() >= std::min<qsizetype>(kContainerHeadSize, declared) ||
                             rc == Z_STREAM_END)) {
            headChecked = true;
            checkHead(QByteArrayView(out), qsizetype(declared));
        }
    }
    const qsizetype used = kContainerHeaderSize + qsizetype(zs.total_in);
    if (rc != Z_STREAM_END && out.size() <= qsizetype(declared)) fail(msg::compressedDataEnded());
    if (out.size() != qsizetype(declared)) fail(msg::lengthMismatch(declared, out.size()));
    if (consumed) *consumed = used;
    return out;
}

}  // namespace codecs
