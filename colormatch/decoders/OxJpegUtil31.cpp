// The JPEG decoder module: libjpeg delivers the rows as YCbCr (colour conversion is the
// engine's job), grey pictures as Y with neutral chroma. One picture at a time.
// Answers: 0 done, 1 damaged data, 2 unsupported data, 3 out of memory, 10 no file.

#include "platform/KvrAbi.h"

#include <cstdio>  // before jpeglib.h, which uses FILE

#include <jerror.h>
#include <jpeglib.h>

#include <csetjmp>
#include <cstring>
#include <vector>

#define KVR_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

constexpr long long kMaxPixels = 1LL << 28;

struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

struct Decode {
    jpeg_decompress_struct cinfo{};
    ErrorManager error{};
    FILE* file = nullptr;
    bool open = false;
    bool grey = false;
    std::vector<unsigned char> line;
};

Decode* current = nullptr;

void onError(j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}
void onMessage(j_common_ptr, int) {}

int codeOf(const Decode& d) {
    return d.error.pub.msg_code == JERR_OUT_OF_MEMORY ? 3 : 1;
}

void finish() {
    if (!current) return;
    if (current->open) jpeg_destroy_decompress(&current->cinfo);
    if (current->file) std::fclose(current->file);
    delete current;
    current = nullptr;
}

}  // namespace

KVR_EXPORT int BeginYccDecode(const KvrSource* source, int32_t* width, int32_t* height,
                              int32_t* options, uint8_t* info) {
    if (!source || !width || !height || !options || !info) return 1;
    finish();
    char path[KVR_PATH_BYTES + 1] = {};
    std::memcpy(path, source->path, ::strnlen(source->path, KVR_PATH_BYTES));
    current = new Decode;
    Decode& d = *current;
    d.file = std::fopen(path, "rb");
    if (!d.file) {
        finish();
        return 10;
    }
    d.cinfo.err = jpeg_std_error(&d.error.pub);
    d.error.pub.error_exit = onError;
    d.error.pub.emit_message = onMessage;
    if (setjmp(d.error.jump)) {
        const int code = codeOf(d);
        finish();
        return code;
    }
    jpeg_create_decompress(&d.cinfo);
    d.open = true;
    jpeg_stdio_src(&d.cinfo, d.file);
    jpeg_read_header(&d.cinfo, TRUE);
    if (d.cinfo.jpeg_color_space == JCS_YCbCr) {
        d.cinfo.out_color_space = JCS_YCbCr;
    } else if (d.cinfo.jpeg_color_space == JCS_GRAYSCALE) {
        d.cinfo.out_color_space = JCS_GRAYSCALE;
        d.grey = true;
    } else if (d.cinfo.jpeg_color_space == JCS_RGB) {
        d.cinfo.out_color_space = JCS_YCbCr;  // libjpeg converts RGB data to YCC
    } else {
        finish();
        return 2;
    }
    // The declared size is checked before libjpeg allocates anything for it.
    if (d.cinfo.image_width == 0 || d.cinfo.image_height == 0 ||
        (long long)d.cinfo.image_width * d.cinfo.image_height > kMaxPixels) {
        finish();
        return 2;
    }
    jpeg_start_decompress(&d.cinfo);
    d.line.resize(size_t(d.cinfo.output_width) * d.cinfo.output_components);
    *width = int32_t(d.cinfo.output_width);
    *height = int32_t(d.cinfo.output_height);
    int32_t components = d.cinfo.num_components;
    std::memcpy(info, &components, sizeof components);
    return 0;
}

KVR_EXPORT int GetYccLine(uint8_t* row, int32_t* more) {
    if (!current || !row || !more) return 1;
    Decode& d = *current;
    if (d.cinfo.output_scanline >= d.cinfo.output_height) {
        *more = 0;
        return 1;
    }
    if (setjmp(d.error.jump)) return codeOf(d);
    JSAMPROW target = d.grey ? d.line.data() : row;
    jpeg_read_scanlines(&d.cinfo, &target, 1);
    if (d.grey) {
        for (JDIMENSION x = 0; x < d.cinfo.output_width; ++x) {
            row[3 * x] = d.line[x];
            row[3 * x + 1] = row[3 * x + 2] = 128;
        }
    }
    *more = d.cinfo.output_scanline < d.cinfo.output_height ? 1 : 0;
    return 0;
}

KVR_EXPORT int EndYccDecode(void) {
    if (!current) return 0;
    int code = 0;
    if (setjmp(current->error.jump)) {
        code = 0;  // a damaged tail after every row was read changes nothing
    } else if (current->cinfo.output_scanline >= current->cinfo.output_height) {
        jpeg_finish_decompress(&current->cinfo);
    }
    finish();
    return code;
}
