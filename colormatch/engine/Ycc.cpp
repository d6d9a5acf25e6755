#include "colormatch/engine/Ycc.h"

#include <algorithm>

namespace kvr {
namespace {

constexpr int kShift = YccTables::kYccShift;
constexpr int kHalf = 1 << (kShift - 1);

int fix(double v) {
    return int(v * (1 << kShift) + 0.5);
}

}  // namespace

YccTables::YccTables() {
    for (int i = 0; i < 1024; ++i) clamp[i] = uint8_t(std::clamp(i - kYccBias, 0, 255));
    for (int i = 0; i < 256; ++i) {
        const int c = i - 128;
        crR[i] = (fix(1.40200) * c + kHalf) >> kShift;
        cbB[i] = (fix(1.77200) * c + kHalf) >> kShift;
        crG[i] = -fix(0.71414) * c;
        cbG[i] = -fix(0.34414) * c + kHalf;
    }
}

const YccTables& Ycc() {
    static const YccTables t;
    return t;
}

namespace {

uint8_t clamp(int v) {
    return uint8_t(std::clamp(v, 0, 255));
}

}  // namespace

void YccToRgb(const uint8_t* in, uint8_t* out, int pixels) {
    static const bool avx512 = __builtin_cpu_supports("avx512f") &&
                               __builtin_cpu_supports("avx512bw") &&
                               __builtin_cpu_supports("avx512vbmi");
    if (avx512) {
        const int done = YccToRgbAvx512(in, out, pixels);
        in += 3 * done, out += 3 * done, pixels -= done;
    }
    static const bool avx2 = __builtin_cpu_supports("avx2");
    if (avx2) {
        const int done = YccToRgbAvx2(in, out, pixels);
        in += 3 * done, out += 3 * done, pixels -= done;
    }
    const YccTables& t = Ycc();
    for (int i = 0; i < pixels; ++i, in += 3, out += 3) {
        const int y = in[0] + YccTables::kYccBias, cb = in[1], cr = in[2];
        const uint8_t r = t.clamp[y + t.crR[cr]];
        const uint8_t g = t.clamp[y + ((t.cbG[cb] + t.crG[cr]) >> kShift)];
        const uint8_t b = t.clamp[y + t.cbB[cb]];
        out[0] = r, out[1] = g, out[2] = b;
    }
}

void RgbToYcc(const uint8_t* in, uint8_t* out, int pixels) {
    for (int i = 0; i < pixels; ++i, in += 3, out += 3) {
        const int r = in[0], g = in[1], b = in[2];
        const int y = (fix(0.29900) * r + fix(0.58700) * g + fix(0.11400) * b + kHalf) >> kShift;
        const int cb =
            ((-fix(0.16874) * r - fix(0.33126) * g + fix(0.5) * b + kHalf) >> kShift) + 128;
        const int cr =
            ((fix(0.5) * r - fix(0.41869) * g - fix(0.08131) * b + kHalf) >> kShift) + 128;
        out[0] = clamp(y), out[1] = clamp(cb), out[2] = clamp(cr);
    }
}

}  // namespace kvr
