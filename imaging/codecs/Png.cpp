#include "imaging/codecs/Png.h"

#include "imaging/Messages.h"
#include "imaging/codecs/Limits.h"
#include "platform/ByteCursor.h"
#include "platform/Exception.h"

#include <png.h>
#include <algorithm>
#include <csetjmp>
#include <cstring>
#include <new>
#include <vector>

namespace codecs {
namespace {

struct Reader {
    const unsigned char* data;
    size_t size, pos;
    bool ended;  // the data ran out (rather than libpng refusing it)
    char message[256];
};

void readBytes(png_structp png, png_bytep out, png_size_t n) {
    auto* r = static_cast<Reader*>(png_get_io_ptr(png));
    if (n > r->size - r->pos) {
        r->ended = true;
        png_error(png, "unexpected end of data");
    }
    std::memcpy(out, r->data + r->pos, n);
    r->pos += n;
}

void onError(png_structp png, png_const_charp msg) {
    auto* r = static_cast<Reader*>(png_get_error_ptr(png));
    std::snprintf(r->message, sizeof r->message, "%s", msg);
    png_longjmp(png, 1);
}
void onWarning(png_structp, png_const_charp) {}

[[noreturn]] void fail(const QString& reason) {
    throw Exception(msg::invalidPng(reason));
}
[[noreturn]] void libraryFailed(const char* text) {
    fail(msg::libraryRefused(QStringLiteral("libpng"), QString::fromLocal8Bit(text)));
}

// libpng's structures, released in ordinary C++ code whichever way decoding ends.
struct Session {
    png_structp png = nullptr;
    png_infop info = nullptr;
    ~Session() {
        if (png) png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
    }
};

struct Header {
    png_uint_32 width = 0, height = 0;
    int colorType = 0, bitDepth = 0, interlace = 0;
    int kind = 0;  // 1 palette, 2 grey, 3 RGB, 4 RGBA
    size_t rowBytes = 0;
    std::vector<png_color> palette;
    std::vector<unsigned char> paletteAlpha;
    bool hasTrans = false;
    int transR = 0, transG = 0, transB = 0;
};

// Reads the chunks up to the image data and sets the transformations into 8-bit rows.
// Only plain data lives in the frames libpng's long jump crosses.
bool readHeader(Session& s, Header& d) {
    png_structp png = s.png;
    png_infop info = s.info;
    if (setjmp(png_jmpbuf(png))) return false;
    png_read_info(png, info);
    d.width = png_get_image_width(png, info);
    d.height = png_get_image_height(png, info);
    d.interlace = png_get_interlace_type(png, info);
    const int type = png_get_color_type(png, info), depth = png_get_bit_depth(png, info);
    d.colorType = type, d.bitDepth = depth;
    png_color_16p trans = nullptr;
    png_bytep transAlpha = nullptr;
    int transCount = 0;
    png_get_tRNS(png, info, &transAlpha, &transCount, &trans);
    if (depth == 16) png_set_strip_16(png);
    if (type == PNG_COLOR_TYPE_PALETTE) {
        png_colorp pal = nullptr;
        int n = 0;
        png_get_PLTE(png, info, &pal, &n);
        d.palette.assign(pal, pal + n);
        if (transAlpha && transCount > 0)
            d.paletteAlpha.assign(transAlpha, transAlpha + transCount);
        if (depth < 8) png_set_packing(png);
        d.kind = 1;
    } else if (type == PNG_COLOR_TYPE_GRAY || type == PNG_COLOR_TYPE_GRAY_ALPHA) {
        if (depth < 8) png_set_expand_gray_1_2_4_to_8(png);
        if (type == PNG_COLOR_TYPE_GRAY_ALPHA) {
            png_set_gray_to_rgb(png);
            png_set_bgr(png);
            d.kind = 4;
        } else {
            d.kind = 2;
            if (trans && png_get_valid(png, info, PNG_INFO_tRNS)) {
                const int v =
                    depth == 16 ? trans->gray >> 8 : trans->gray * (255 / ((1 << depth) - 1));
                d.hasTrans = true, d.transR = d.transG = d.transB = v;
            }
        }
    } else {
        png_set_bgr(png);
        if (type == PNG_COLOR_TYPE_RGB_ALPHA) {
            d.kind = 4;
        } else {
            d.kind = 3;
            if (trans && png_get_valid(png, info, PNG_INFO_tRNS)) {
                const int s16 = depth == 16 ? 8 : 0;
                d.hasTrans = true, d.transR = trans->red >> s16, d.transG = trans->green >> s16,
                d.transB = trans->blue >> s16;
            }
        }
    }
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    d.rowBytes = png_get_rowbytes(png, info);
    return true;
}

bool readRows(Session& s, png_bytepp rows) {
    if (setjmp(png_jmpbuf(s.png))) return false;
    png_read_image(s.png, rows);
    png_read_end(s.png, nullptr);
    return true;
}

// The bytes of image data (IDAT chunks) in the file, found by walking the chunk headers.
std::int64_t imageDataBytes(QByteArrayView data) {
    platform::ByteCursor c(data);
    c.setOrder(platform::ByteOrder::Big);
    std::int64_t sum = 0;
    for (qsizetype at = 8; c.hasAt(at, 8);) {
        const std::int64_t length = c.u32At(at);
        const QByteArrayView type = c.viewAt(at + 4, 4);
        if (type == QByteArrayView("IDAT")) sum += length;
        if (type == QByteArrayView("IEND")) break;
        at += 12 + length;
    }
    return sum;
}

// The filtered (still compressed) bytes the image data must inflate to: a filter byte and
// the packed samples of every row, of each of the seven passes when interlaced.
std::int64_t filteredBytes(const Header& d) {
    static constexpr int kChannels[7] = {1, 0, 3, 1, 2, 0, 4};
    const std::int64_t bits = std::int64_t(kChannels[std::clamp(d.colorType, 0, 6)]) * d.bitDepth;
    auto rows = [bits](std::int64_t w, std::int64_t h) {
        return w > 0 && h > 0 ? h * (1 + (w * bits + 7) / 8) : 0;
    };
    const std::int64_t w = d.width, h = d.height;
    if (d.interlace == PNG_INTERLACE_NONE) return rows(w, h);
    static constexpr int kPass[7][4] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                                        {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
    std::int64_t sum = 0;
    for (const auto& p : kPass)
        sum += rows((w - p[0] + p[2] - 1) / p[2], (h - p[1] + p[3] - 1) / p[3]);
    return sum;
}

}  // namespace

PngPicture DecodePng(QByteArrayView data) {
    Reader r{
        reinterpret_cast<const unsigned char*>(data.data()), size_t(data.size()), 0, false, {}};
    if (data.size() < 8 || png_sig_cmp(reinterpret_cast<png_const_bytep>(data.data()), 0, 8) != 0)
        fail(msg::signatureMissing());
    auto failed = [&r]() -> QString {
        if (r.ended) return msg::dataEndsAt(qint64(r.size));
        return msg::libraryRefused(QStringLiteral("libpng"),
                                   QString::fromLocal8Bit(r.message[0] ? r.message : "error"));
    };
    Session s;
    s.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &r, onError, onWarning);
    if (!s.png) libraryFailed("png_create_read_struct");
    s.info = png_create_info_struct(s.png);
    if (!s.info) libraryFailed("png_create_info_struct");
    png_set_read_fn(s.png, &r, readBytes);
    Header d;
    if (!readHeader(s, d)) fail(failed());
    const std::int64_t w = d.width, h = d.height;
    if (w * h > kMaxPixels) fail(msg::pictureTooLarge(w, h, kMaxPixels));
    // The image data present must be able to inflate to every row before they are allocated.
    const std::int64_t present = imageDataBytes(data);
    if (MaxInflated(present) < filteredBytes(d)) fail(msg::pixelsExceedData(w, h, present));

    static constexpr QImage::Format kFormat[5] = {QImage::Format_Invalid, QImage::Format_Indexed8,
                                                  QImage::Format_Grayscale8, QImage::Format_BGR888,
                                                  QImage::Format_ARGB32};  // ARGB32: bytes B G R A
    PngPicture out;
    out.image = QImage(int(w), int(h), kFormat[d.kind]);
    if (out.image.isNull()) throw std::bad_alloc();
    if (size_t(out.image.bytesPerLine()) < d.rowBytes) libraryFailed("row size");
    std::vector<png_bytep> rows(static_cast<size_t>(h));
    for (int y = 0; y < int(h); ++y) rows[size_t(y)] = out.image.scanLine(y);
    if (!readRows(s, rows.data())) fail(failed());
    out.consumed = qsizetype(r.pos);
    if (d.kind == 1) {
        QList<QRgb> table;
        for (size_t i = 0; i < d.palette.size(); ++i) {
            const int a = i < d.paletteAlpha.size() ? d.paletteAlpha[i] : 255;
            table << qRgba(d.palette[i].red, d.palette[i].green, d.palette[i].blue, a);
        }
        while (table.size() < 256) table << qRgb(0, 0, 0);
        out.image.setColorTable(table);
    }
    if (d.hasTrans) out.transparentColor = qRgb(d.transR, d.transG, d.transB);
    return out;
}

namespace {
struct Writer {
    QByteArray* out;
    char message[256];
};
void writeBytes(png_structp png, png_bytep data, png_size_t n) {
    static_cast<Writer*>(png_get_io_ptr(png))
        ->out->append(reinterpret_cast<const char*>(data), qsizetype(n));
}
void flushNothing(png_structp) {}
void onWriteError(png_structp png, png_const_charp msg) {
    auto* w = static_cast<Writer*>(png_get_error_ptr(png));
    std::snprintf(w->message, sizeof w->message, "%s", msg);
    png_longjmp(png, 1);
}

bool encode(Writer& wr, const QImage& img, int type, const png_color* palette, int paletteSize,
            bool trans, png_color_16 transColour) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &wr, onWriteError, onWarning);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, info ? &info : nullptr);
        return false;
    }
    png_set_write_fn(png, &wr, writeBytes, flushNothing);
    png_set_IHDR(png, info, png_uint_32(img.width()), png_uint_32(img.height()), 8, type,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (type == PNG_COLOR_TYPE_PALETTE) png_set_PLTE(png, info, palette, paletteSize);
    if (trans) png_set_tRNS(png, info, nullptr, 0, &transColour);
    png_write_info(png, info);
    if (type == PNG_COLOR_TYPE_RGB || type == PNG_COLOR_TYPE_RGB_ALPHA) png_set_bgr(png);
    for (int y = 0; y < img.height(); ++y)
        png_write_row(png, const_cast<png_bytep>(img.constScanLine(y)));
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}
}  // namespace

QByteArray EncodePng(const QImage& image, std::optional<QRgb> transparentColor) {
    QImage img;
    int type;
    std::vector<png_color> palette;
    if (image.format() == QImage::Format_Indexed8) {
        img = image;
        type = PNG_COLOR_TYPE_PALETTE;
        for (QRgb c : image.colorTable())
            palette.push_back({png_byte(qRed(c)), png_byte(qGreen(c)), png_byte(qBlue(c))});
        transparentColor.reset();
    } else if (image.format() == QImage::Format_Grayscale8) {
        img = image;
        type = PNG_COLOR_TYPE_GRAY;
    } else if (image.hasAlphaChannel()) {
        img = image.convertToFormat(QImage::Format_ARGB32);
        type = PNG_COLOR_TYPE_RGB_ALPHA;
        transparentColor.reset();
    } else {
        img = image.convertToFormat(QImage::Format_BGR888);
        type = PNG_COLOR_TYPE_RGB;
    }
    png_color_16 tc{};
    if (transparentColor) {
        tc.red = png_uint_16(qRed(*transparentColor));
        tc.green = png_uint_16(qGreen(*transparentColor));
        tc.blue = png_uint_16(qBlue(*transparentColor));
        tc.gray = tc.red;
    }
    QByteArray out;
    Writer wr{&out, {}};
    if (!encode(wr, img, type, palette.data(), int(palette.size()), transparentColor.has_value(),
                tc))
        libraryFailed(wr.message[0] ? wr.message : "error");
    return out;
}

}  // namespace codecs
