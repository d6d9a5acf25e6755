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
    // RGB pixels from `in` to `out` (which may be the same row).
    void Apply(const uint8_t* in, uint8_t* out, int pixels) const;
    // Full-range YCbCr pixels converted to RGB and matched in the same pass, with the
    // same result as YccToRgb followed by Apply.
    void ApplyYcc(const uint8_t* in, uint8_t* out, int pixels) const;

    // Whether every colour comes out as it went in (the same profile on both sides).
    bool IsIdentity() const;
    // The vector form is used where the processor has it; off, every pixel takes the
    // plain loop (both give the same bytes).
    void UseVectors(bool on) { avx2_ = on && __builtin_cpu_supports("avx2"); }

    static constexpr int kLinearBits = 15, kMatrixBits = 13, kOutputBits = 13;

private:
    friend int RunFastMatrixAvx2(const FastMatrix&, bool ycc, const uint8_t*, uint8_t*, int);
    template <bool ycc>
    void run(const uint8_t* in, uint8_t* out, int pixels) const;

    int32_t linear_[3][256];
    // linear_ of the YCC conversion's clamp table: the clamped channel in one look-up.
    int32_t yccLinear_[3][1024];
    int32_t matrix_[3][3];
    uint8_t output_[3][1 << kOutputBits];
    uint8_t padding_[4] = {};  // vector look-ups read four bytes from any output_ entry
    bool avx2_ = false;
};

// The vector form of FastMatrix::run for processors with AVX2, with the same result;
// answers how many of the leading pixels it did (the rest are the caller's).
int RunFastMatrixAvx2(const FastMatrix& m, bool ycc, const uint8_t* in, uint8_t* out, int pixels);

}  // namespace kvr
