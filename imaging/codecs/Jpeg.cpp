#include "imaging/codecs/Jpeg.h"

#include "imaging/Messages.h"
#include "platform/Exception.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <jpeglib.h>
#include <vector>

namespace codecs {
namespace {

// libjpeg reports fatal errors through error_exit; we jump back out of the library and
// raise the exception from ordinary C++ code.
struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void onError(j_common_ptr cinfo) {
    auto* e = reinterpret_cast<ErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, e->message);
    std::longjmp(e->jump, 1);
}
void onMessage(j_common_ptr, int) {}

[[noreturn]] void fail(const char* message) {
    throw Exception(msg::invalidJpeg(QString::fromLocal8Bit(message)));
}

constexpr std::int64_t kMaxPixels = std::int64_t(1) << 28;

// Decodes into `out` (BGR rows). Returns false with `err.message` set on failure. Only
// plain data lives in this frame, so the jump out of libjpeg skips no destructor.
bool decode(const unsigned char* data, unsigned long size, int scale, ErrorManager& err, int& w, int& h,
            std::vector<unsigned char>& out, JpegInfo* info) {
    jpeg_decompress_struct cinfo;
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = onError;
    err.pub.emit_message = onMessage;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, data, size);
    if (info) jpeg_save_markers(&cinfo, JPEG_APP0 + 1, 0xFFFF);
    jpeg_read_header(&cinfo, TRUE);
    if (info) {
        info->width = int(cinfo.image_width);
        info->height = int(cinfo.image_height);
        info->components = cinfo.num_components;
        for (jpeg_saved_marker_ptr m = cinfo.marker_list; m; m = m->next)
            if (m->marker == JPEG_APP0 + 1 && m->data_length >= 6 && std::memcmp(m->data, "Exif\0\0", 6) == 0)
                info->hasExif = true;
        jpeg_destroy_decompress(&cinfo);
        return true;
    }
    if (std::int64_t(cinfo.image_width) * cinfo.image_height > kMaxPixels) {
        std::snprintf(err.message, sizeof err.message, "too large");
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    cinfo.scale_num = 1;
    cinfo.scale_denom = unsigned(scale);
    cinfo.out_color_space = JCS_EXT_BGR;
    cinfo.do_fancy_upsampling = TRUE;
    jpeg_start_decompress(&cinfo);
    w = int(cinfo.output_width);
    h = int(cinfo.output_height);
    const size_t stride = size_t(w) * 3;
    out.resize(stride * size_t(h));
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = out.data() + stride * cinfo.output_scanline;
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return true;
}

}  // namespace

JpegInfo ReadJpegInfo(QByteArrayView data) {
    ErrorManager err{};
    JpegInfo info;
    int w = 0, h = 0;
    std::vector<unsigned char> none;
    if (data.isEmpty()) fail("empty");
    if (!decode(reinterpret_cast<const unsigned char*>(data.data()), (unsigned long)data.size(), 1, err, w, h, none,
                &info))
        fail(err.message);
    return info;
}

QImage DecodeJpeg(QByteArrayView data, int scale) {
    if (scale != 1 && scale != 2 && scale != 4 && scale != 8) scale = 1;
    if (data.isEmpty()) fail("empty");
    ErrorManager err{};
    int w = 0, h = 0;
    std::vector<unsigned char> pixels;
    if (!decode(reinterpret_cast<const unsigned char*>(data.data()), (unsigned long)data.size(), scale, err, w, h,
                pixels, nullptr))
        fail(err.message);
    QImage img(w, h, QImage::Format_BGR888);
    if (img.isNull()) fail("out of memory");
    for (int y = 0; y < h; ++y) std::memcpy(img.scanLine(y), pixels.data() + size_t(y) * size_t(w) * 3, size_t(w) * 3);
    return img;
}

int JpegScaleFor(int sourceSide, int targetSide) {
    if (8 * targetSide < sourceSide) return 8;
    if (4 * targetSide < sourceSide) return 4;
    if (2 * targetSide < sourceSide) return 2;
    return 1;
}

namespace {
bool encode(const QImage& img, int quality, ErrorManager& err, unsigned char*& buffer, unsigned long& size) {
    jpeg_compress_struct cinfo;
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = onError;
    err.pub.emit_message = onMessage;
    if (setjmp(err.jump)) {
        jpeg_destroy_compress(&cinfo);
        return false;
    }
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = JDIMENSION(img.width());
    cinfo.image_height = JDIMENSION(img.height());
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(img.constScanLine(int(cinfo.next_scanline)));
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}
}  // namespace

QByteArray EncodeJpeg(const QImage& image, int quality) {
    const QImage bgr = image.convertToFormat(QImage::Format_BGR888);
    ErrorManager err{};
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    const bool ok = encode(bgr, quality, err, buffer, size);
    QByteArray out = ok ? QByteArray(reinterpret_cast<const char*>(buffer), qsizetype(size)) : QByteArray();
    std::free(buffer);
    if (!ok) fail(err.message);
    return out;
}

}  // namespace codecs
