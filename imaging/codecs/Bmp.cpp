#include "imaging/codecs/Bmp.h"

#include "imaging/Messages.h"
#include "platform/Exception.h"

#include <cstring>

namespace codecs {
namespace {

[[noreturn]] void invalid() {
    throw Exception(msg::invalidBitmap());
}

std::uint16_t u16(const uchar* p) {
    return std::uint16_t(p[0] | p[1] << 8);
}
std::uint32_t u32(const uchar* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}

constexpr std::int64_t kMaxPixels = std::int64_t(1) << 28;  // a sane upper bound for one picture

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
    if (data.size() < 18 || data[0] != 'B' || data[1] != 'M') invalid();
    const auto* p = reinterpret_cast<const uchar*>(data.data()) + 14;
    Header h;
    h.size = u32(p);
    if (h.size == 12) {
        if (data.size() < 14 + 12) invalid();
        h.core = true;
        h.width = u16(p + 4);
        h.height = u16(p + 6);
        h.planes = u16(p + 8);
        h.bitCount = u16(p + 10);
    } else if (h.size >= 40) {
        if (data.size() < 14 + 40 || qsizetype(h.size) > data.size() - 14) invalid();
        h.width = std::int32_t(u32(p + 4));
        h.height = std::int32_t(u32(p + 8));
        h.planes = u16(p + 12);
        h.bitCount = u16(p + 14);
        h.compression = u32(p + 16);
        h.sizeImage = u32(p + 20);
        h.xppm = std::int32_t(u32(p + 24));
        h.yppm = std::int32_t(u32(p + 28));
        h.clrUsed = u32(p + 32);
    } else {
        invalid();
    }
    // Only the depths a bitmap can have; the product is taken in 64 bits because both
    // factors are 16-bit fields of the file.
    const std::int64_t bits = std::int64_t(h.planes) * h.bitCount;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) invalid();
    const int depth = int(bits);
    const int byDepth = depth == 1 ? 2 : depth == 4 ? 16 : depth == 8 ? 256 : 0;
    if (!h.core && h.clrUsed != 0) {
        if (h.clrUsed > 256 && depth <= 8) invalid();
        if (h.clrUsed > (1u << 16)) invalid();
        h.colours = int(h.clrUsed);
    } else {
        h.colours = byDepth;
    }
    if (h.width <= 0 || h.height == 0 || h.width * std::abs(h.height) > kMaxPixels) invalid();
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

// Run-length data into an 8-bit picture (rows bottom-up); out-of-picture writes are dropped.
void decodeRle(QImage& img, const uchar* p, qsizetype n, bool four) {
    const int w = img.width(), h = img.height();
    int x = 0, y = h - 1;
    auto put = [&](int v) {
        if (x < w && y >= 0 && y < h) img.scanLine(y)[x] = uchar(v);
        ++x;
    };
    qsizetype i = 0;
    while (i + 1 < n && y >= 0) {
        const int count = p[i], value = p[i + 1];
        i += 2;
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
            if (i + 1 >= n) return;
            x += p[i];
            y -= p[i + 1];
            i += 2;
        } else {  // absolute run of `value` pixels, padded to a 16-bit word
            const qsizetype bytes = four ? (value + 1) / 2 : value;
            if (i + bytes > n) return;
            for (int k = 0; k < value && x < w; ++k)
                put(four ? ((k & 1) ? p[i + k / 2] & 15 : p[i + k / 2] >> 4) : p[i + k]);
            i += (bytes + 1) & ~qsizetype(1);
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
    if (l.headerAndTable < 0 || l.pixelBytes < 0 || l.total() > data.size()) invalid();
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
        if ((h.compression == 1 && depth != 8) || (h.compression == 2 && depth != 4) || topDown)
            invalid();
        img = QImage(w, hh, QImage::Format_Indexed8);
        if (img.isNull()) invalid();
        img.fill(0);
        img.setColorTable(colourTable(table, h.colours, h.core));
        decodeRle(img, bits, l.pixelBytes, h.compression == 2);
    } else if (h.compression == 0 || h.compression == 3) {
        if (stride * hh > l.pixelBytes) invalid();
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
                    const uchar* m = h.size == 40 ? table : base + 14 + 40;
                    rm = u32(m), gm = u32(m + 4), bm = u32(m + 8);
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
                            const std::uint32_t v = depth == 16 ? u16(s + 2 * x) : u32(s + 4 * x);
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
        invalid();
    }
    if (h.xppm > 0) img.setDotsPerMeterX(h.xppm);
    if (h.yppm > 0) img.setDotsPerMeterY(h.yppm);
    if (consumed) *consumed = l.total();
    return img;
}

namespace {
void put16(QByteArray& b, qsizetype at, std::uint16_t v) {
    b[at] = char(v & 0xFF);
    b[at + 1] = char(v >> 8);
}
void put32(QByteArray& b, qsizetype at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = char((v >> (8 * i)) & 0xFF);
}
}  // namespace

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
    put32(b, 2, std::uint32_t(total));
    put32(b, 10, std::uint32_t(14 + headerAndTable));
    put32(b, 14, 40);
    put32(b, 18, std::uint32_t(w));
    put32(b, 22, std::uint32_t(h));
    put16(b, 26, 1);
    put16(b, 28, std::uint16_t(depth));
    put32(b, 30, compression);
    put32(b, 34, std::uint32_t(stride * h));
    put32(b, 38, std::uint32_t(std::max(0, img.dotsPerMeterX())));
    put32(b, 42, std::uint32_t(std::max(0, img.dotsPerMeterY())));
    put32(b, 46, std::uint32_t(table.size()));
    qsizetype at = 54;
    if (compression == 3) {
        put32(b, at, 0xF800), put32(b, at + 4, 0x07E0), put32(b, at + 8, 0x001F);
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
