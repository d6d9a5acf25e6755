#pragma once
// A fast 8-bit path for conversions between two matrix/shaper RGB profiles (the usual
// case: camera colour spaces, sRGB, most printer RGB profiles): input curves as tables,
// one 3 x 3 matrix in fixed point, output curves as a table. It matches LittleCMS's own
// result for such profiles to within a level and runs several times faster.

#include <lcms2.h>

#include <cstdint>
#include <memory>

namespace kvr {

class FastMatrix {
public:
    // None when either profile is not a matrix/shaper RGB profile.
    static std::unique_ptr<FastMatrix> Create(cmsHPROFILE input, cmsHPROFILE output);
    void Apply(uint8_t* rgb, int pixels) const;

private:
    static constexpr int kLinearBits = 15, kMatrixBits = 13, kOutputBits = 13;
    int32_t linear_[3][256];
    int32_t matrix_[3][3];
    uint8_t output_[3][1 << kOutputBits];
};

}  // namespace kvr
