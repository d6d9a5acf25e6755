// The decoder double, built as the JPEG decoder and (KVR_DOUBLE_TIFF) as the TIFF one.
// Row y, pixel x is (10 + y, 20 + x, 30). Script: begin, width, height, flag (TIFF colour
// flag), failRow/failCode (the row that fails and its answer), extraRows (rows beyond the
// declared height the decoder claims), end.

#include "platform/KvrAbi.h"
#include "tests/colormatch/doubles/Script.h"

#include <string>

#define DOUBLE_EXPORT extern "C" __attribute__((visibility("default")))

using kvrdouble::Log;
using kvrdouble::Value;

namespace {
int row = 0, width = 0, height = 0;

int begin(const KvrSource* source, int32_t* w, int32_t* h, int32_t* options, uint8_t* info) {
    Log(std::string("begin ") + source->path + " " + std::to_string(options[0]) + " " +
        std::to_string(info[0]));
    row = 0;
    width = *w = Value("width", 4);
    height = *h = Value("height", 3);
    return Value("begin", 0);
}

int line(uint8_t* target, int32_t* more) {
    if (row == Value("failRow", -1)) return Value("failCode", 1);
    for (int x = 0; x < width; ++x) {
        target[3 * x] = uint8_t(10 + row);
        target[3 * x + 1] = uint8_t(20 + x);
        target[3 * x + 2] = 30;
    }
    ++row;
    *more = row < height + Value("extraRows", 0) ? 1 : 0;
    return 0;
}

int end() {
    Log("end " + std::to_string(row));
    return Value("end", 0);
}
}  // namespace

#ifdef KVR_DOUBLE_TIFF
DOUBLE_EXPORT int BeginTiffDecode(const KvrSource* s, int32_t* w, int32_t* h, int32_t* flag,
                                  int32_t* options, uint8_t* info) {
    Log("tiff flag " + std::to_string(*flag));
    *flag = Value("flag", 0);
    return begin(s, w, h, options, info);
}
DOUBLE_EXPORT int GetTiffLine(uint8_t* target, int32_t* more) {
    return line(target, more);
}
DOUBLE_EXPORT int EndTiffDecode(void) {
    return end();
}
#else
DOUBLE_EXPORT int BeginYccDecode(const KvrSource* s, int32_t* w, int32_t* h, int32_t* options,
                                 uint8_t* info) {
    return begin(s, w, h, options, info);
}
DOUBLE_EXPORT int GetYccLine(uint8_t* target, int32_t* more) {
    return line(target, more);
}
DOUBLE_EXPORT int EndYccDecode(void) {
    return end();
}
#endif
