#include "imaging/codecs/Jpeg.h"

#include "imaging/Messages.h"
#include "imaging/codecs/Limits.h"
#include "platform/Exception.h"

#include <jpeglib.h>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <new>
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

[[noreturn]] void fail(const QString& reason) {
    throw Exception(msg::invalidJpeg(reason));
}
[[noreturn]] void libraryFailed(const char* text) {
    fail(msg::libraryRefused(QStringLiteral("libjpeg"), QString::fromLocal8Bit(text)));
}

// libjpeg's decompressor, released in ordinary C++ code whichever way decoding ends. The
// steps below jump back out of the library on errors; only plain data lives in their frames.
struct Session {
    jpeg_decompress_struct cinfo{};
    ErrorManager err{};
    bool created = false;
    ~Session() {
        if (created) jpeg_destroy_decompress(&cinfo);
    }
};

bool readHeader(Session& s, QByteArrayView data, bool markers) {
    s.cinfo.err = jpeg_std_error(&s.err.pub);
    s.err.pub.error_exit = onError;
    s.err.pub.emit_message = onMessage;
    if (setjmp(s.err.jump)) return false;
    jpeg_create_decompress(&s.cinfo);
    s.created = true;
    jpeg_mem_src(&s.cinfo, reinterpret_cast<const unsigned char*>(data.data()),
                 (unsigned long)data.size());
    if (markers) jpeg_save_markers(&s.cinfo, JPEG_APP0 + 1, 0xFFFF);
    jpeg_read_header(&s.cinfo, TRUE);
    return true;
}

bool start(Session& s, int scale, bool fast) {
    if (setjmp(s.err.jump)) return false;
    s.cinfo.scale_num = 1;
    s.cinfo.scale_denom = unsigned(scale);
    s.cinfo.out_color_space = JCS_EXT_BGR;
    s.cinfo.do_fancy_upsampling = fast ? FALSE : TRUE;
    if (fast) {
        s.cinfo.dct_method = JDCT_IFAST;
        s.cinfo.do_block_smoothing = FALSE;
    }
    jpeg_start_decompress(&s.cinfo);
    return true;
}

bool readRows(Session& s, JSAMPROW* rows) {
    if (setjmp(s.err.jump)) return false;
    while (s.cinfo.output_scanline < s.cinfo.output_height) {
        JSAMPROW* at = rows + s.cinfo.output_scanline;
        jpeg_read_scanlines(&s.cinfo, at, s.cinfo.output_height - s.cinfo.output_scanline);
    }
    jpeg_finish_decompress(&s.cinfo);
    return true;
}

// Reads the header and checks the frame against the data: at most the largest picture,
// and no more 8 x 8 blocks than the coded data can hold. Huffman coding spends at least a
// bit on every block of every component (a DC code; sequential scans add an end-of-block
// code); arithmetic coding has no such floor and is refused.
void open(Session& s, QByteArrayView data, bool markers) {
    if (data.isEmpty()) fail(msg::noData());
    if (!readHeader(s, data, markers)) libraryFailed(s.err.message);
    const jpeg_decompress_struct& c = s.cinfo;
    const std::int64_t w = c.image_width, h = c.image_height;
    if (w * h > kMaxPixels) fail(msg::pictureTooLarge(w, h, kMaxPixels));
    if (c.arith_code) fail(msg::arithmeticCodingUnsupported());
    std::int64_t blocks = 0;
    for (int i = 0; i < c.num_components; ++i)
        blocks += std::int64_t(c.comp_info[i].width_in_blocks) * c.comp_info[i].height_in_blocks;
    const std::int64_t coded = std::int64_t(c.src->bytes_in_buffer);  // after the first scan header
    if (8 * coded < blocks) fail(msg::pixelsExceedData(w, h, coded));
}

}  // namespace

JpegInfo ReadJpegInfo(QByteArrayView data) {
    Session s;
    open(s, data, true);
    JpegInfo info;
    info.width = int(s.cinfo.image_width);
    info.height = int(s.cinfo.image_height);
    info.components = s.cinfo.num_components;
    for (jpeg_saved_marker_ptr m = s.cinfo.marker_list; m; m = m->next)
        if (m->marker == JPEG_APP0 + 1 && m->data_length >= 6 &&
            std::memcmp(m->data, "Exif\0\0", 6) == 0)
            info.hasExif = true;
    return info;
}

QImage DecodeJpeg(QByteArrayView data, int scale, bool fast) {
    if (scale != 1 && scale != 2 && scale != 4 && scale != 8) scale = 1;
    Session s;
    open(s, data, false);
    if (!start(s, scale, fast)) libraryFailed(s.err.message);
    // Rows go straight into the picture: one buffer of the output's size.
    QImage img(int(s.cinfo.output_width), int(s.cinfo.output_height), QImage::Format_BGR888);
    if (img.isNull()) throw std::bad_alloc();
    std::vector<JSAMPROW> rows(static_cast<size_t>(img.height()));
    for (int y = 0; y < img.height(); ++y) rows[size_t(y)] = img.scanLine(y);
    if (!readRows(s, rows.data())) libraryFailed(s.err.message);
    return img;
}

int JpegScaleFor(int sourceSide, int targetSide) {
    if (8 * targetSide < sourceSide) return 8;
    if (4 * targetSide < sourceSide) return 4;
    if (2 * targetSide < sourceSide) return 2;
    return 1;
}

namespace {
bool encode(const QImage& img, int quality, ErrorManager& err, unsigned char*& buffer,
            unsigned long& size) {
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
    QByteArray out =
        ok ? QByteArray(reinterpret_cast<const char*>(buffer), qsizetype(size)) : QByteArray();
    std::free(buffer);
    if (!ok) libraryFailed(err.message);
    return out;
}

}  // namespace codecs
