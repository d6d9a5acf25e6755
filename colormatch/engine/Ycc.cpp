#include "colormatch/engine/Ycc.h"

#include <algorithm>

namespace kvr {
namespace {

constexpr int kShift = 16;
constexpr int kHalf = 1 << (kShift - 1);

int fix(double v) {
    return int(v * (1 << kShift) + 0.5);
}

struct Tables {
    int crR[256], cbB[256], crG[256], cbG[256];
    uint8_t clamp[1024];  // index v + 384 gives v limited to 0 .. 255
    Tables() {
        for (int i = 0; i < 1024; ++i) clamp[i] = uint8_t(std::clamp(i - 384, 0, 255));
        for (int i = 0; i < 256; ++i) {
            const int c = i - 128;
            crR[i] = (fix(1.40200) * c + kHalf) >> kShift;
            cbB[i] = (fix(1.77200) * c + kHalf) >> kShift;
            crG[i] = -fix(0.71414) * c;
            cbG[i] = -fix(0.34414) * c + kHalf;
        }
    }
};

const Tables& tables() {
    static const Tables t;
    return t;
}

uint8_t clamp(int v) {
    return uint8_t(std::clamp(v, 0, 255));
}

}  // namespace

void YccToRgb(const uint8_t* in, uint8_t* out, int pixels) {
    const Tables& t = tables();
    for (int i = 0; i < pixels; ++i, in += 3, out += 3) {
        const int y = in[0] + 384, cb = in[1], cr = in[2];
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
