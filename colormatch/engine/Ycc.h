#pragma once
// Full-range YCbCr (as JPEG files hold it) to RGB and back, in integer arithmetic with
// tables built once.

#include <cstdint>

namespace kvr {

// The conversion's tables: R = Y + crR[Cr], B = Y + cbB[Cb],
// G = Y + ((cbG[Cb] + crG[Cr]) >> kYccShift), each limited through clamp[v + kYccBias].
struct YccTables {
    static constexpr int kYccShift = 16, kYccBias = 384;
    int crR[256], cbB[256], crG[256], cbG[256];
    uint8_t clamp[1024];
    YccTables();
};
const YccTables& Ycc();

void YccToRgb(const uint8_t* in, uint8_t* out, int pixels);
// YccToRgb's vector form (AVX2 only): how many of the leading pixels it converted.
int YccToRgbAvx2(const uint8_t* in, uint8_t* out, int pixels);
// The same with AVX-512 (BW and VBMI), 32 pixels a step.
int YccToRgbAvx512(const uint8_t* in, uint8_t* out, int pixels);
void RgbToYcc(const uint8_t* in, uint8_t* out, int pixels);

}  // namespace kvr
