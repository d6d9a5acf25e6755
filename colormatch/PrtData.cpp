#include "colormatch/PrtData.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <new>
#include <vector>

namespace kvr {
namespace {

constexpr int kMatrix[3][3] = {{11719, 4665, 1}, {-1, 16385, 0}, {-1, 673, 15712}};
constexpr int kBayer[16] = {0, 8, 2, 10, 12, 4, 14, 6, 3, 11, 1, 9, 15, 7, 13, 5};

struct Tables {
    int linear[256];
    int encode[4096];
};

void build(Tables& t) {
    for (int i = 0; i < 256; ++i)
        t.linear[i] = int(std::trunc(std::pow(i / 255.0, 2.2) * 32640 + 0.5));
    for (int i = 0; i < 4096; ++i)
        t.encode[i] = int(std::trunc(std::pow(i / 4080.0, 1 / 1.8) * 4080 + 0.5));
}

int bytesPerPixel(int format) {
    return format == 4 ? 4 : 3;
}

}  // namespace

int ConvertRGBtoPrtData(const uint8_t* source, uint8_t* destination, const PrtDataInfo* info) {
    if (!source || !destination || !info) return KVR_INVALID;
    const int format = info->format;
    if (format != 1 && format != 2 && format != 4) return 1;
    const int64_t width = info->width, stride = info->stride;
    if (width <= 0 || info->lines < 0 || stride < width * bytesPerPixel(format)) return KVR_INVALID;

    std::unique_ptr<Tables> tables(new (std::nothrow) Tables{});
    if (!tables) return KVR_INVALID;
    build(*tables);
    std::vector<uint8_t> line;
    try {
        line.resize(size_t(stride));
    } catch (const std::bad_alloc&) {
        return KVR_NO_MEMORY;
    }

    const int pixelBytes = bytesPerPixel(format);
    unsigned counter = 0;
    for (int32_t y = 0; y < info->lines; ++y) {
        const uint8_t* src = source + y * stride;
        uint8_t* dst = destination + y * stride;
        for (int64_t x = 0; x < width; ++x) {
            const uint8_t* p = src + x * pixelBytes;
            uint8_t* q = line.data() + x * 3;
            if (format == 2) {
                q[0] = p[2], q[1] = p[1], q[2] = p[0];
            } else {
                const uint8_t* rgb = format == 4 ? p + 1 : p;
                q[0] = rgb[0], q[1] = rgb[1], q[2] = rgb[2];
            }
        }
        ++counter;
        for (int64_t x = 0; x < width; ++x) {
            const uint8_t* q = line.data() + x * 3;
            const int64_t a = tables->linear[q[0]], b = tables->linear[q[1]],
                          c = tables->linear[q[2]];
            const int dither = kBayer[(counter & 3) * 4 + (x & 3)];
            uint8_t out[3];
            for (int k = 0; k < 3; ++k) {
                const int64_t v = std::clamp<int64_t>(
                    (a * kMatrix[k][0] + b * kMatrix[k][1] + c * kMatrix[k][2] + 69632) >> 17, 0,
                    4080);
                const int e = tables->encode[v] + dither;
                out[k] = e >= 4096 ? 255 : uint8_t(e >> 4);
            }
            uint8_t* d = dst + x * pixelBytes;
            if (format == 2) {
                d[0] = out[2], d[1] = out[1], d[2] = out[0];
            } else if (format == 4) {
                d[0] = 0, d[1] = out[0], d[2] = out[1], d[3] = out[2];
            } else {
                d[0] = out[0], d[1] = out[1], d[2] = out[2];
            }
        }
    }
    return KVR_OK;
}

}  // namespace kvr
