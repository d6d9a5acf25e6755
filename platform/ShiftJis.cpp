#include "platform/ShiftJis.h"

#include <iconv.h>
#include <QtEndian>
#include <cerrno>
#include <stdexcept>

namespace platform {
namespace {

// One converter per thread and direction; iconv descriptors are not thread-safe.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
        if (cd_ == reinterpret_cast<iconv_t>(-1))
            throw std::runtime_error("iconv: CP932 conversion is not available");
    }
    ~Converter() { iconv_close(cd_); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    iconv_t get() {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);  // reset shift state
        return cd_;
    }

private:
    iconv_t cd_;
};

iconv_t encoder() {
    thread_local Converter c("CP932", "UTF-16LE");
    return c.get();
}
iconv_t decoder() {
    thread_local Converter c("UTF-16LE", "CP932");
    return c.get();
}

}  // namespace

QByteArray toCp932(const QString& text, bool* lossless) {
    if (lossless) *lossless = true;
    QByteArray out;
    if (text.isEmpty()) return out;
    iconv_t cd = encoder();
    const char* in = reinterpret_cast<const char*>(text.utf16());
    size_t inLeft = size_t(text.size()) * 2;
    out.resize(qsizetype(text.size()) * 2 + 4);
    char* o = out.data();
    size_t outLeft = size_t(out.size());
    while (inLeft > 0) {
        size_t r = iconv(cd, const_cast<char**>(&in), &inLeft, &o, &outLeft);
        if (r != size_t(-1)) break;
        if (errno == E2BIG) {
            const qsizetype used = o - out.data();
            out.resize(out.size() * 2);
            o = out.data() + used;
            outLeft = size_t(out.size() - used);
            continue;
        }
        // EILSEQ or EINVAL: an unencodable character or a lone surrogate.
        if (lossless) *lossless = false;
        if (outLeft == 0) {
            const qsizetype used = o - out.data();
            out.resize(out.size() + 16);
            o = out.data() + used;
            outLeft = size_t(out.size() - used);
        }
        *o++ = '?';
        --outLeft;
        const char16_t unit = char16_t(qFromLittleEndian<quint16>(in));
        const bool pair = unit >= 0xD800 && unit < 0xDC00 && inLeft >= 4;
        const size_t skip = pair ? 4 : 2;
        in += skip;
        inLeft -= skip;
    }
    out.resize(o - out.data());
    return out;
}

QString fromCp932(const char* data, qsizetype size) {
    QString out;
    if (size <= 0) return out;
    iconv_t cd = decoder();
    std::u16string buf(size_t(size) + 2, u'\0');
    char* in = const_cast<char*>(data);
    size_t inLeft = size_t(size);
    char* o = reinterpret_cast<char*>(buf.data());
    size_t outLeft = buf.size() * 2;
    while (inLeft > 0) {
        size_t r = iconv(cd, &in, &inLeft, &o, &outLeft);
        if (r != size_t(-1)) break;
        if (errno == E2BIG) break;  // cannot happen: one byte never yields two units
        // Invalid or incomplete sequence: one replacement character per bad byte.
        *reinterpret_cast<char16_t*>(o) = u'\uFFFD';
        o += 2;
        outLeft -= 2;
        ++in;
        --inLeft;
    }
    const size_t units = size_t(o - reinterpret_cast<char*>(buf.data())) / 2;
    return QString(reinterpret_cast<const QChar*>(buf.data()), qsizetype(units));
}

QString fromCp932(const QByteArray& bytes) { return fromCp932(bytes.constData(), bytes.size()); }

bool isCp932Representable(const QString& text) {
    bool ok = true;
    toCp932(text, &ok);
    return ok;
}

}  // namespace platform
