#include "imaging/codecs/Container.h"

#include "platform/ByteCursor.h"
#include "platform/Exception.h"
#include "platform/Format.h"

#include <zlib.h>
#include <QtEndian>
#include <cstring>

namespace codecs {
namespace {
constexpr char kSignature[kContainerSignatureSize] = {'Z', 'L', 'I', 'B', 'C', 'o', 'm', 'p', 'r', 'e', 's', 's', 0x1A};

[[noreturn]] void fail(const char* why) {
    throw Exception(platform::format(QStringLiteral("圧縮データを展開できません: %s"), QString::fromLatin1(why)));
}
}  // namespace

bool HasContainerSignature(QByteArrayView data) {
    return data.size() >= kContainerSignatureSize && std::memcmp(data.data(), kSignature, kContainerSignatureSize) == 0;
}

QByteArray Compress(QByteArrayView plain) {
    uLongf bound = compressBound(uLong(plain.size()));
    QByteArray out(kContainerHeaderSize + qsizetype(bound), Qt::Uninitialized);
    std::memcpy(out.data(), kSignature, kContainerSignatureSize);
    const quint32 n = quint32(plain.size());
    qToLittleEndian(n, out.data() + kContainerSignatureSize);
    if (compress2(reinterpret_cast<Bytef*>(out.data() + kContainerHeaderSize), &bound,
                  reinterpret_cast<const Bytef*>(plain.data()), uLong(plain.size()), 9) != Z_OK)
        fail("compress");
    out.resize(kContainerHeaderSize + qsizetype(bound));
    return out;
}

QByteArray Decompress(QByteArrayView data, qsizetype* consumed) {
    if (!HasContainerSignature(data)) fail("no container");
    platform::ByteCursor header(data, [](qsizetype) { fail("no container"); });
    header.skip(kContainerSignatureSize);
    const quint32 declared = header.u32le();

    z_stream zs{};
    if (inflateInit(&zs) != Z_OK) fail("inflateInit");
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data() + kContainerHeaderSize));
    zs.avail_in = uInt(std::min<qsizetype>(data.size() - kContainerHeaderSize, qsizetype(UINT32_MAX)));
    QByteArray out;
    int rc = Z_OK;
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
        if (rc != Z_OK && rc != Z_STREAM_END && rc != Z_BUF_ERROR) {
            const char* why = zs.msg ? zs.msg : "data error";
            inflateEnd(&zs);
            fail(why);
        }
    }
    const qsizetype used = kContainerHeaderSize + qsizetype(zs.total_in);
    inflateEnd(&zs);
    if (rc != Z_STREAM_END) fail(out.size() > qsizetype(declared) ? "longer than declared" : "truncated");
    if (out.size() != qsizetype(declared)) fail("length mismatch");
    if (consumed) *consumed = used;
    return out;
}

}  // namespace codecs
