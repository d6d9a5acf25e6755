#include "imaging/codecs/Png.h"

#include "imaging/Messages.h"
#include "platform/Exception.h"
#include "platform/Format.h"

#include <csetjmp>
#include <cstring>
#include <png.h>
#include <vector>

namespace codecs {
namespace {

constexpr std::int64_t kMaxPixels = std::int64_t(1) << 28;

struct Reader {
    const unsigned char* data;
    size_t size, pos;
    char message[256];
};

void readBytes(png_structp png, png_bytep out, png_size_t n) {
    auto* r = static_cast<Reader*>(png_get_io_ptr(png));
    if (n > r->size - r->pos) png_error(png, "unexpected end of data");
    std::memcpy(out, r->data + r->pos, n);
    r->pos += n;
}

void onError(png_structp png, png_const_charp msg) {
    auto* r = static_cast<Reader*>(png_get_error_ptr(png));
    std::snprintf(r->message, sizeof r->message, "%s", msg);
    png_longjmp(png, 1);
}
void onWarning(png_structp, png_const_charp) {}

[[noreturn]] void fail(const char* message) {
    throw Exception(msg::invalidPng(QString::fromLocal8Bit(message)));
}

struct Decoded {
    int width = 0, height = 0, kind = 0;  // kind: 1 palette, 2 grey, 3 RGB, 4 RGBA
    std::vector<unsigned char> pixels;
    std::vector<png_color> palette;
    std::vector<unsigned char> paletteAlpha;
    std::vector<png_bytep> rows;
    bool hasTrans = false;
    int transR = 0, transG = 0, transB = 0;
};

// Decoding with only plain data in this frame, so libpng's long jump skips no destructor.
bool decode(Reader& r, Decoded& d) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &r, onError, onWarning);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
        return false;
    }
    png_set_read_fn(png, &r, readBytes);
    png_read_info(png, info);
    const png_uint_32 w = png_get_image_width(png, info), h = png_get_image_height(png, info);
    if (std::int64_t(w) * h > kMaxPixels) png_error(png, "too large");
    const int type = png_get_color_type(png, info), depth = png_get_bit_depth(png, info);
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
        if (transAlpha && transCount > 0) d.paletteAlpha.assign(transAlpha, transAlpha + transCount);
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
                const int v = depth == 16 ? trans->gray >> 8 : trans->gray * (255 / ((1 << depth) - 1));
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
                const int s = depth == 16 ? 8 : 0;
                d.hasTrans = true, d.transR = trans->red >> s, d.transG = trans->green >> s, d.transB = trans->blue >> s;
            }
        }
    }
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    const size_t stride = png_get_rowbytes(png, info);
    d.width = int(w);
    d.height = int(h);
    d.pixels.resize(stride * h);
    d.rows.resize(h);
    for (png_uint_32 y = 0; y < h; ++y) d.rows[y] = d.pixels.data() + stride * y;
    png_read_image(png, d.rows.data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

}  // namespace

PngPicture DecodePng(QByteArrayView data) {
    Reader r{reinterpret_cast<const unsigned char*>(data.data()), size_t(data.size()), 0, {}};
    if (data.size() < 8 || png_sig_cmp(reinterpret_cast<png_const_bytep>(data.data()), 0, 8) != 0) fail("not a PNG file");
    auto d = std::make_unique<Decoded>();
    if (!decode(r, *d)) fail(r.message[0] ? r.message : "decoder error");
    PngPicture out;
    out.consumed = qsizetype(r.pos);
    const int w = d->width, h = d->height;
    switch (d->kind) {
        case 1: {
            out.image = QImage(w, h, QImage::Format_Indexed8);
            QList<QRgb> table;
            for (size_t i = 0; i < d->palette.size(); ++i) {
                const int a = i < d->paletteAlpha.size() ? d->paletteAlpha[i] : 255;
                table << qRgba(d->palette[i].red, d->palette[i].green, d->palette[i].blue, a);
            }
            while (table.size() < 256) table << qRgb(0, 0, 0);
            out.image.setColorTable(table);
            for (int y = 0; y < h; ++y) std::memcpy(out.image.scanLine(y), d->pixels.data() + size_t(y) * w, size_t(w));
            break;
        }
        case 2:
            out.image = QImage(w, h, QImage::Format_Grayscale8);
            for (int y = 0; y < h; ++y) std::memcpy(out.image.scanLine(y), d->pixels.data() + size_t(y) * w, size_t(w));
            break;
        case 3:
            out.image = QImage(w, h, QImage::Format_BGR888);
            for (int y = 0; y < h; ++y)
                std::memcpy(out.image.scanLine(y), d->pixels.data() + size_t(y) * w * 3, size_t(w) * 3);
            break;
        default:
            out.image = QImage(w, h, QImage::Format_ARGB32);  // bytes B G R A, as libpng gave them
            for (int y = 0; y < h; ++y)
                std::memcpy(out.image.scanLine(y), d->pixels.data() + size_t(y) * w * 4, size_t(w) * 4);
            break;
    }
    if (d->hasTrans) out.transparentColor = qRgb(d->transR, d->transG, d->transB);
    return out;
}

namespace {
struct Writer {
    QByteArray* out;
    char message[256];
};
void writeBytes(png_structp png, png_bytep data, png_size_t n) {
    static_cast<Writer*>(png_get_io_ptr(png))->out->append(reinterpret_cast<const char*>(data), qsizetype(n));
}
void flushNothing(png_structp) {}
void onWriteError(png_structp png, png_const_charp msg) {
    auto* w = static_cast<Writer*>(png_get_error_ptr(png));
    std::snprintf(w->message, sizeof w->message, "%s", msg);
    png_longjmp(png, 1);
}

bool encode(Writer& wr, const QImage& img, int type, const png_color* palette, int paletteSize, bool trans,
            png_color_16 transColour) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &wr, onWriteError, onWarning);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, info ? &info : nullptr);
        return false;
    }
    png_set_write_fn(png, &wr, writeBytes, flushNothing);
    png_set_IHDR(png, info, png_uint_32(img.width()), png_uint_32(img.height()), 8, type, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (type == PNG_COLOR_TYPE_PALETTE) png_set_PLTE(png, info, palette, paletteSize);
    if (trans) png_set_tRNS(png, info, nullptr, 0, &transColour);
    png_write_info(png, info);
    if (type == PNG_COLOR_TYPE_RGB || type == PNG_COLOR_TYPE_RGB_ALPHA) png_set_bgr(png);
    for (int y = 0; y < img.height(); ++y) png_write_row(png, const_cast<png_bytep>(img.constScanLine(y)));
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
        for (QRgb c : image.colorTable()) palette.push_back({png_byte(qRed(c)), png_byte(qGreen(c)), png_byte(qBlue(c))});
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
    if (!encode(wr, img, type, palette.data(), int(palette.size()), transparentColor.has_value(), tc))
        fail(wr.message[0] ? wr.message : "encoder error");
    return out;
}

}  // namespace codecs
