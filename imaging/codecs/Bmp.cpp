#include "imaging/codecs/Bmp.h"

#include "imaging/Messages.h"
#include "imaging/codecs/Limits.h"
#include "platform/ByteCursor.h"
#include "platform/Exception.h"

#include <QtEndian>
#include <cstring>

namespace codecs {
namespace {

[[noreturn]] void invalid() {
    throw Exception(msg::invalidBitmap());
}
[[noreturn]] void invalid(const QString& reason) {
    throw Exception(msg::invalidBitmap(reason));
}
[[noreturn]] void badField(const char* field, const QString& value) {
    invalid(msg::fieldValueInvalid(QString::fromLatin1(field), value));
}
[[noreturn]] void badField(const char* field, std::int64_t value) {
    badField(field, QString::number(value));
}

platform::ByteCursor cursor(QByteArrayView data) {
    return platform::ByteCursor(data, [](qsizetype at) { invalid(msg::dataEndsAt(at)); });
}

struct Header {
    std::uint32_t size = 0;
    std::int64_t width = 0, height = 0;  // height < 0: top-down rows
    int planes = 1, bitCount = 0;
    std::uint32_t compression = 0, sizeImage = 0, clrUsed = 0;
    std::int32_t xppm = 0, yppm = 0;
    bool core = false;
    int colours = 0;
};

Header readHeader(QByteArrayView data) {
    if (data.size() < 2 || data[0] != 'B' || data[1] != 'M') invalid();
    platform::ByteCursor c = cursor(data);
    c.skip(14);
    Header h;
    h.size = c.u32le();
    if (h.size == 12) {
        h.core = true;
        h.width = c.u16le();
        h.height = c.u16le();
        h.planes = c.u16le();
        h.bitCount = c.u16le();
    } else if (h.size >= 40) {
        // The whole declared header must be there, though only its first 36 bytes are read.
        platform::ByteCursor info = c.sub(qsizetype(h.size) - 4);
        h.width = info.i32le();
        h.height = info.i32le();
        h.planes = info.u16le();
        h.bitCount = info.u16le();
        h.compression = info.u32le();
        h.sizeImage = info.u32le();
        h.xppm = info.i32le();
        h.yppm = info.i32le();
        h.clrUsed = info.u32le();
    } else {
        badField("biSize", h.size);
    }
    // Only the depths a bitmap can have; the product is taken in 64 bits because both
    // factors are 16-bit fields of the file.
    const std::int64_t bits = std::int64_t(h.planes) * h.bitCount;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        badField("biPlanes x biBitCount", QStringLiteral("%1 x %2").arg(h.planes).arg(h.bitCount));
    const int depth = int(bits);
    const int byDepth = depth == 1 ? 2 : depth == 4 ? 16 : depth == 8 ? 256 : 0;
    if (!h.core && h.clrUsed != 0) {
        if ((h.clrUsed > 256 && depth <= 8) || h.clrUsed > (1u << 16))
            badField("biClrUsed", h.clrUsed);
        h.colours = int(h.clrUsed);
    } else {
        h.colours = byDepth;
    }
    if (h.width <= 0) badField("biWidth", h.width);
    if (h.height == 0) badField("biHeight", h.height);
    if (h.width * std::abs(h.height) > kMaxPixels) invalid();
    return h;
}

BmpLayout layoutOf(const Header& h) {
    BmpLayout l;
    if (h.core)
        l.headerAndTable = 12 + 3 * qsizetype(h.colours);
    else if (h.compression == 3)
        // Bit-field masks follow a 40-byte header; larger headers hold them inside.
        l.headerAndTable = qsizetype(h.size) + (h.size == 40 ? 12 : 0) +
                           4 * qsizetype(h.bitCount <= 8 ? h.colours : 0);
    else
        l.headerAndTable = qsizetype(h.size) + 4 * qsizetype(h.colours);
    const std::int64_t stride = (h.width * h.bitCount * h.planes + 31) / 32 * 4;
    if (h.compression != 0 && h.sizeImage != 0)
        l.pixelBytes = qsizetype(h.sizeImage);
    else
        l.pixelBytes = qsizetype(stride * std::abs(h.height));
    return l;
}

// Colour table entries: 4 bytes (B G R 0), or 3 for core headers.
QList<QRgb> colourTable(const uchar* p, int count, bool core) {
    QList<QRgb> t;
    t.reserve(count);
    const int step = core ? 3 : 4;
    for (int i = 0; i < count; ++i) t << qRgb(p[i * step + 2], p[i * step + 1], p[i * step]);
    return t;
}

int maskShift(std::uint32_t m) {
    int s = 0;
    while (m && !(m & 1)) m >>= 1, ++s;
    return s;
}
int maskBits(std::uint32_t m) {
    m >>= maskShift(m);
    int n = 0;
    while (m & 1) m >>= 1, ++n;
    return n;
}
int expand(std::uint32_t v, std::uint32_t mask) {
    if (!mask) return 0;
    const int bits = maskBits(mask);
    const std::uint32_t x = (v & mask) >> maskShift(mask);
    return bits >= 8 ? int(x >> (bits - 8)) : int(x * 255 / ((1u << bits) - 1));
}

// Run-length data into an 8-bit picture (rows bottom-up); out-of-picture writes are dropped,
// and data that ends early ends the picture.
void decodeRle(QImage& img, QByteArrayView data, bool four) {
    const int w = img.width(), h = img.height();
    int x = 0, y = h - 1;
    auto put = [&](int v) {
        if (x < w && y >= 0 && y < h) img.scanLine(y)[x] = uchar(v);
        ++x;
    };
    platform::ByteCursor c = cursor(data);
    while (c.has(2) && y >= 0) {
        const int count = c.u8(), value = c.u8();
        if (count > 0) {
            for (int k = 0; k < count && x < w; ++k)
                put(four ? ((k & 1) ? value & 15 : value >> 4) : value);
            continue;
        }
        if (value == 0) {  // end of line
            x = 0;
            --y;
        } else if (value == 1) {  // end of picture
            return;
        } else if (value == 2) {  // delta
            if (!c.has(2)) return;
            x += c.u8();
            y -= c.u8();
        } else {  // absolute run of `value` pixels, padded to a 16-bit word
            const qsizetype bytes = four ? (value + 1) / 2 : value;
            if (!c.has(bytes)) return;
            const auto* run = reinterpret_cast<const uchar*>(c.take(bytes).data());
            for (int k = 0; k < value && x < w; ++k)
                put(four ? ((k & 1) ? run[k / 2] & 15 : run[k / 2] >> 4) : run[k]);
            if (bytes & 1) c.skip(std::min<qsizetype>(1, c.remaining()));
        }
    }
}

}  // namespace

BmpLayout ReadBmpLayout(QByteArrayView data) {
    return layoutOf(readHeader(data));
}

QImage ReadBmp(QByteArrayView data, qsizetype* consumed) {
    const Header h = readHeader(data);
    const BmpLayout l = layoutOf(h);
    if (l.total() > data.size()) invalid(msg::fileShorterThanDeclared(l.total(), data.size()));
    const auto* base = reinterpret_cast<const uchar*>(data.data());
    const uchar* table = base + 14 + h.size;
    const uchar* bits = base + 14 + l.headerAndTable;
    const int w = int(h.width), hh = int(std::abs(h.height));
    const bool topDown = h.height < 0;
    const int depth = h.planes * h.bitCount;
    const qsizetype stride = (qsizetype(h.width) * depth + 31) / 32 * 4;
    auto srcRow = [&](int y) { return bits + stride * (topDown ? y : hh - 1 - y); };

    QImage img;
    if (h.compression == 1 || h.compression == 2) {
        if ((h.compression == 1 && depth != 8) || (h.compression == 2 && depth != 4))
            badField("biCompression",
                     QStringLiteral("%1 (biBitCount %2)").arg(h.compression).arg(depth));
        if (topDown) badField("biHeight", h.height);
        // Each two bytes of runs give at most 255 pixels: a picture larger than the runs
        // present can cover is refused before its pixels are allocated.
        if (std::int64_t(w) * hh > std::int64_t(l.pixelBytes / 2) * 255)
            invalid(msg::pixelsExceedData(w, hh, l.pixelBytes));
        img = QImage(w, hh, QImage::Format_Indexed8);
        if (img.isNull()) invalid();
        img.fill(0);
        img.setColorTable(colourTable(table, h.colours, h.core));
        decodeRle(img, data.sliced(14 + l.headerAndTable, l.pixelBytes), h.compression == 2);
    } else if (h.compression == 0 || h.compression == 3) {
        if (stride * hh > l.pixelBytes) badField("biSizeImage", l.pixelBytes);
        switch (depth) {
            case 1:
                img = QImage(w, hh, QImage::Format_Mono);
                if (img.isNull()) invalid();
                img.setColorTable(colourTable(table, std::max(2, std::min(h.colours, 2)), h.core));
                for (int y = 0; y < hh; ++y)
                    std::memcpy(img.scanLine(y), srcRow(y), size_t((w + 7) / 8));
                break;
            case 4:
            case 8: {
                img = QImage(w, hh, QImage::Format_Indexed8);
                if (img.isNull()) invalid();
                QList<QRgb> t = colourTable(table, h.colours, h.core);
                while (t.size() < (1 << depth)) t << qRgb(0, 0, 0);  // indices beyond a short table
                img.setColorTable(t);
                for (int y = 0; y < hh; ++y) {
                    const uchar* s = srcRow(y);
                    uchar* d = img.scanLine(y);
                    if (depth == 8)
                        std::memcpy(d, s, size_t(w));
                    else
                        for (int x = 0; x < w; ++x) d[x] = (x & 1) ? s[x / 2] & 15 : s[x / 2] >> 4;
                }
                break;
            }
            case 16:
            case 32: {
                std::uint32_t rm, gm, bm;
                if (h.compression == 3) {
                    platform::ByteCursor m = cursor(data);
                    m.seek(14 + 40);  // after a 40-byte header, or inside a larger one
                    rm = m.u32le(), gm = m.u32le(), bm = m.u32le();
                } else if (depth == 16) {
                    rm = 0x7C00, gm = 0x03E0, bm = 0x001F;
                } else {
                    rm = 0xFF0000, gm = 0xFF00, bm = 0xFF;
                }
                if (depth == 16 && rm == 0x7C00 && gm == 0x03E0 && bm == 0x001F) {
                    img = QImage(w, hh, QImage::Format_RGB555);
                    if (img.isNull()) invalid();
                    for (int y = 0; y < hh; ++y)
                        std::memcpy(img.scanLine(y), srcRow(y), size_t(w) * 2);
                } else if (depth == 16 && rm == 0xF800 && gm == 0x07E0 && bm == 0x001F) {
                    img = QImage(w, hh, QImage::Format_RGB16);
                    if (img.isNull()) invalid();
                    for (int y = 0; y < hh; ++y)
                        std::memcpy(img.scanLine(y), srcRow(y), size_t(w) * 2);
                } else {
                    img = QImage(w, hh, QImage::Format_RGB32);
                    if (img.isNull()) invalid();
                    const bool plain = depth == 32 && rm == 0xFF0000 && gm == 0xFF00 && bm == 0xFF;
                    for (int y = 0; y < hh; ++y) {
                        const uchar* s = srcRow(y);
                        auto* d = reinterpret_cast<QRgb*>(img.scanLine(y));
                        for (int x = 0; x < w; ++x) {
                            const std::uint32_t v =
                                depth == 16 ? qFromLittleEndian<std::uint16_t>(s + 2 * x)
                                            : qFromLittleEndian<std::uint32_t>(s + 4 * x);
                            d[x] = plain ? (v | 0xFF000000u)
                                         : qRgb(expand(v, rm), expand(v, gm), expand(v, bm));
                        }
                    }
                }
                break;
            }
            case 24:
                img = QImage(w, hh, QImage::Format_BGR888);
                if (img.isNull()) invalid();
                for (int y = 0; y < hh; ++y) std::memcpy(img.scanLine(y), srcRow(y), size_t(w) * 3);
                break;
            default:
                invalid();
        }
    } else {
        badField("biCompression", h.compression);
    }
    if (h.xppm > 0) img.setDotsPerMeterX(h.xppm);
    if (h.yppm > 0) img.setDotsPerMeterY(h.yppm);
    if (consumed) *consumed = l.total();
    return img;
}

QByteArray WriteBmp(const QImage& source) {
    QImage img = source;
    int depth;
    std::uint32_t compression = 0;
    QList<QRgb> table;
    switch (img.format()) {
        case QImage::Format_Mono:
            depth = 1;
            table = img.colorTable();
            break;
        case QImage::Format_MonoLSB:
            img = img.convertToFormat(QImage::Format_Mono);
            depth = 1;
            table = img.colorTable();
            break;
        case QImage::Format_Indexed8:
            depth = 8;
            table = img.colorTable();
            break;
        case QImage::Format_Grayscale8:
            depth = 8;
            for (int i = 0; i < 256; ++i) table << qRgb(i, i, i);
            break;
        case QImage::Format_RGB555:
            depth = 16;
            break;
        case QImage::Format_RGB16:
            depth = 16;
            compression = 3;
            break;
        case QImage::Format_BGR888:
            depth = 24;
            break;
        case QImage::Format_RGB32:
            depth = 32;
            break;
        case QImage::Format_ARGB32:
            depth = 32;
            break;
        default:
            img = img.convertToFormat(QImage::Format_BGR888);
            depth = 24;
            break;
    }
    if (depth == 1)
        while (table.size() < 2) table << (table.isEmpty() ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
    const int w = img.width(), h = img.height();
    const qsizetype stride = (qsizetype(w) * depth + 31) / 32 * 4;
    const qsizetype masks = compression == 3 ? 12 : 0;
    const qsizetype headerAndTable = 40 + masks + 4 * table.size();
    const qsizetype total = 14 + headerAndTable + stride * h;
    QByteArray b(total, '\0');
    b[0] = 'B';
    b[1] = 'M';
    char* d = b.data();
    qToLittleEndian<std::uint32_t>(total, d + 2);
    qToLittleEndian<std::uint32_t>(14 + headerAndTable, d + 10);
    qToLittleEndian<std::uint32_t>(40, d + 14);
    qToLittleEndian<std::uint32_t>(w, d + 18);
    qToLittleEndian<std::uint32_t>(h, d + 22);
    qToLittleEndian<std::uint16_t>(1, d + 26);
    qToLittleEndian<std::uint16_t>(depth, d + 28);
    qToLittleEndian<std::uint32_t>(compression, d + 30);
    qToLittleEndian<std::uint32_t>(stride * h, d + 34);
    qToLittleEndian<std::uint32_t>(std::max(0, img.dotsPerMeterX()), d + 38);
    qToLittleEndian<std::uint32_t>(std::max(0, img.dotsPerMeterY()), d + 42);
    qToLittleEndian<std::uint32_t>(table.size(), d + 46);
    qsizetype at = 54;
    if (compression == 3) {
        qToLittleEndian<std::uint32_t>(0xF800, d + at);
        qToLittleEndian<std::uint32_t>(0x07E0, d + at + 4);
        qToLittleEndian<std::uint32_t>(0x001F, d + at + 8);
        at += 12;
    }
    for (QRgb c : table) {
        b[at] = char(qBlue(c)), b[at + 1] = char(qGreen(c)), b[at + 2] = char(qRed(c));
        at += 4;
    }
    const qsizetype rowBytes = (qsizetype(w) * depth + 7) / 8;
    for (int y = 0; y < h; ++y)
        std::memcpy(b.data() + at + stride * (h - 1 - y), img.constScanLine(y), size_t(rowBytes));
    return b;
}

}  // namespace codecs
