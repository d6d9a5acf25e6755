#pragma once
// Full-range YCbCr (as JPEG files hold it) to RGB and back, in integer arithmetic with
// tables built once.

#include <cstdint>

namespace kvr {

void YccToRgb(const uint8_t* in, uint8_t* out, int pixels);
void RgbToYcc(const uint8_t* in, uint8_t* out, int pixels);

}  // namespace kvr
