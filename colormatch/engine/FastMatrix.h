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
    // The vector forms are used where the processor has them; off, every pixel takes the
    // plain loop (all give the same bytes).
    void UseVectors(bool on);

    static constexpr int kLinearBits = 15, kMatrixBits = 13, kOutputBits = 13;

    // An output curve as a binary search: `top` is the first value giving 128 or more,
    // then for each further bit b (64 .. 1) the first values giving k + b for every k
    // the bits before can give (32 entries each for 64 .. 4, 64 for 2, 128 for 1).
    struct Search {
        uint16_t top;
        uint16_t steps[5 * 32 + 64 + 128];
    };
    // An output curve as tables of 128 bytes: values below 128 directly; values from 128
    // to 1151 in segments of 8 and the rest in segments of 64, each as the byte at the
    // segment's start and where inside it the byte goes up by one (at most three steps;
    // kNone where there is no further one, kSteep first where the segment has more steps
    // or larger ones). Dark values need the finer segments: the curves rise fastest there.
    struct Segments {
        static constexpr uint8_t kNone = 64, kSteep = 0x80;
        static constexpr int kFineFrom = 128, kCoarseFrom = kFineFrom + 8 * 128;
        struct Level {
            alignas(64) uint8_t start[128];
            alignas(64) uint8_t step[3][128];
        };
        alignas(64) uint8_t direct[128];
        Level fine, coarse;
    };

private:
    friend int RunFastMatrixAvx2(const FastMatrix&, bool ycc, const uint8_t*, uint8_t*, int);
    friend int RunFastMatrixAvx512(const FastMatrix&, bool ycc, const uint8_t*, uint8_t*, int);
    // The word tables and searches of the AVX-512 form; false when a curve falls or a
    // coefficient needs more than 16 bits.
    bool buildWordTables();
    // The segment tables from the output curves (which never fall when the word tables
    // exist).
    void buildSegments();
    void buildLevel(int c, int from, int width, Segments::Level& level) const;
    // Output curve c from the output profile's curve: by its steps, or (for curves that
    // fall somewhere) through LittleCMS's reversed curve.
    bool outputFromSteps(int c, const cmsToneCurve* curve);
    bool outputFromReverse(int c, const cmsToneCurve* curve);
    template <bool ycc>
    void run(const uint8_t* in, uint8_t* out, int pixels) const;

    int32_t linear_[3][256];
    // linear_ of the YCC conversion's clamp table: the clamped channel in one look-up.
    int32_t yccLinear_[3][1024];
    int32_t matrix_[3][3];
    uint8_t output_[3][1 << kOutputBits];
    uint8_t padding_[4] = {};  // vector look-ups read four bytes from any output_ entry
    uint16_t linear16_[3][256];
    Search search_[3];
    Segments segments_[3];
    bool avx2_ = false, avx512_ = false, wordTables_ = false;
};

// The vector form of FastMatrix::run for processors with AVX2, with the same result;
// answers how many of the leading pixels it did (the rest are the caller's).
int RunFastMatrixAvx2(const FastMatrix& m, bool ycc, const uint8_t* in, uint8_t* out, int pixels);
// The same without gathers for processors with AVX-512 (BW and VBMI), 32 pixels a step.
int RunFastMatrixAvx512(const FastMatrix& m, bool ycc, const uint8_t* in, uint8_t* out, int pixels);

}  // namespace kvr
