// Eight pixels at a time: the YCC conversion in exact integer arithmetic (the same
// formulas the scalar tables hold), the curves as gathers, the matrix in 32-bit lanes.
// Also the YCC conversion alone. Only these functions are compiled for AVX2; their
// callers check the processor first.

#include "colormatch/engine/FastMatrix.h"
#include "colormatch/engine/Ycc.h"

#include <immintrin.h>

namespace kvr {

__attribute__((target("avx2"))) int RunFastMatrixAvx2(const FastMatrix& m, bool ycc,
                                                      const uint8_t* in, uint8_t* out, int pixels) {
    constexpr int shift =
        FastMatrix::kMatrixBits + FastMatrix::kLinearBits - FastMatrix::kOutputBits;
    constexpr int yccShift = YccTables::kYccShift;
    const auto fix = [](double v) { return int(v * (1 << yccShift) + 0.5); };
    const __m256i bytes = _mm256_set1_epi32(0xff), c128 = _mm256_set1_epi32(128);
    const __m256i half = _mm256_set1_epi32(1 << (yccShift - 1));
    const __m256i bias = _mm256_set1_epi32(YccTables::kYccBias);
    const __m256i kCrR = _mm256_set1_epi32(fix(1.40200)), kCbB = _mm256_set1_epi32(fix(1.77200));
    const __m256i kCbG = _mm256_set1_epi32(-fix(0.34414)), kCrG = _mm256_set1_epi32(-fix(0.71414));
    const __m256i round = _mm256_set1_epi32(1 << (shift - 1)), zero = _mm256_setzero_si256();
    const __m256i top = _mm256_set1_epi32((1 << FastMatrix::kOutputBits) - 1);
    __m256i mx[9];
    for (int k = 0; k < 9; ++k) mx[k] = _mm256_set1_epi32(m.matrix_[k / 3][k % 3]);
    const int* l0 = ycc ? m.yccLinear_[0] : m.linear_[0];
    const int* l1 = ycc ? m.yccLinear_[1] : m.linear_[1];
    const int* l2 = ycc ? m.yccLinear_[2] : m.linear_[2];
    const int* o0 = reinterpret_cast<const int*>(m.output_[0]);
    const int* o1 = reinterpret_cast<const int*>(m.output_[1]);
    const int* o2 = reinterpret_cast<const int*>(m.output_[2]);
    // Pixel k of the 24 bytes into lane k: dwords 0-2 to the low half, 3-5 to the high
    // half, then three bytes of each 12 into a dword; and back again for the output.
    const __m256i spread = _mm256_setr_epi32(0, 1, 2, 0, 3, 4, 5, 0);
    const __m256i unpack = _mm256_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1, 0,
                                            1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
    const __m256i pack = _mm256_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1, 0,
                                          1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
    const __m256i gather = _mm256_setr_epi32(0, 1, 2, 4, 5, 6, 7, 7);

    int i = 0;
    // 32 bytes are loaded for the 24 of eight pixels.
    for (; i + 11 <= pixels; i += 8, in += 24, out += 24) {
        __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in));
        v = _mm256_shuffle_epi8(_mm256_permutevar8x32_epi32(v, spread), unpack);
        const __m256i a = _mm256_and_si256(v, bytes);
        const __m256i b = _mm256_and_si256(_mm256_srli_epi32(v, 8), bytes);
        const __m256i c = _mm256_srli_epi32(v, 16);
        __m256i i0 = a, i1 = b, i2 = c;
        if (ycc) {
            const __m256i cb = _mm256_sub_epi32(b, c128), cr = _mm256_sub_epi32(c, c128);
            const __m256i luma = _mm256_add_epi32(a, bias);
            i0 = _mm256_add_epi32(
                luma,
                _mm256_srai_epi32(_mm256_add_epi32(_mm256_mullo_epi32(kCrR, cr), half), yccShift));
            i2 = _mm256_add_epi32(
                luma,
                _mm256_srai_epi32(_mm256_add_epi32(_mm256_mullo_epi32(kCbB, cb), half), yccShift));
            const __m256i g = _mm256_add_epi32(_mm256_add_epi32(_mm256_mullo_epi32(kCbG, cb), half),
                                               _mm256_mullo_epi32(kCrG, cr));
            i1 = _mm256_add_epi32(luma, _mm256_srai_epi32(g, yccShift));
        }
        const __m256i r = _mm256_i32gather_epi32(l0, i0, 4);
        const __m256i g = _mm256_i32gather_epi32(l1, i1, 4);
        const __m256i bl = _mm256_i32gather_epi32(l2, i2, 4);
        __m256i res[3];
        for (int k = 0; k < 3; ++k) {
            __m256i s = _mm256_add_epi32(_mm256_mullo_epi32(mx[3 * k], r),
                                         _mm256_mullo_epi32(mx[3 * k + 1], g));
            s = _mm256_add_epi32(_mm256_add_epi32(s, _mm256_mullo_epi32(mx[3 * k + 2], bl)), round);
            res[k] = _mm256_min_epi32(_mm256_max_epi32(_mm256_srai_epi32(s, shift), zero), top);
        }
        const __m256i x = _mm256_and_si256(_mm256_i32gather_epi32(o0, res[0], 1), bytes);
        const __m256i y = _mm256_and_si256(_mm256_i32gather_epi32(o1, res[1], 1), bytes);
        const __m256i z = _mm256_and_si256(_mm256_i32gather_epi32(o2, res[2], 1), bytes);
        __m256i w =
            _mm256_or_si256(x, _mm256_or_si256(_mm256_slli_epi32(y, 8), _mm256_slli_epi32(z, 16)));
        w = _mm256_permutevar8x32_epi32(_mm256_shuffle_epi8(w, pack), gather);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm256_castsi256_si128(w));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out + 16), _mm256_extracti128_si256(w, 1));
    }
    return i;
}

__attribute__((target("avx2"))) int YccToRgbAvx2(const uint8_t* in, uint8_t* out, int pixels) {
    constexpr int yccShift = YccTables::kYccShift;
    const auto fix = [](double v) { return int(v * (1 << yccShift) + 0.5); };
    const __m256i bytes = _mm256_set1_epi32(0xff), c128 = _mm256_set1_epi32(128);
    const __m256i half = _mm256_set1_epi32(1 << (yccShift - 1));
    const __m256i kCrR = _mm256_set1_epi32(fix(1.40200)), kCbB = _mm256_set1_epi32(fix(1.77200));
    const __m256i kCbG = _mm256_set1_epi32(-fix(0.34414)), kCrG = _mm256_set1_epi32(-fix(0.71414));
    const __m256i zero = _mm256_setzero_si256();
    const __m256i spread = _mm256_setr_epi32(0, 1, 2, 0, 3, 4, 5, 0);
    const __m256i unpack = _mm256_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1, 0,
                                            1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
    const __m256i pack = _mm256_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1, 0,
                                          1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
    const __m256i gather = _mm256_setr_epi32(0, 1, 2, 4, 5, 6, 7, 7);
    int i = 0;
    for (; i + 11 <= pixels; i += 8, in += 24, out += 24) {
        __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in));
        v = _mm256_shuffle_epi8(_mm256_permutevar8x32_epi32(v, spread), unpack);
        const __m256i luma = _mm256_and_si256(v, bytes);
        const __m256i cb = _mm256_sub_epi32(_mm256_and_si256(_mm256_srli_epi32(v, 8), bytes), c128);
        const __m256i cr = _mm256_sub_epi32(_mm256_srli_epi32(v, 16), c128);
        __m256i r = _mm256_add_epi32(
            luma,
            _mm256_srai_epi32(_mm256_add_epi32(_mm256_mullo_epi32(kCrR, cr), half), yccShift));
        __m256i b = _mm256_add_epi32(
            luma,
            _mm256_srai_epi32(_mm256_add_epi32(_mm256_mullo_epi32(kCbB, cb), half), yccShift));
        __m256i g = _mm256_add_epi32(_mm256_add_epi32(_mm256_mullo_epi32(kCbG, cb), half),
                                     _mm256_mullo_epi32(kCrG, cr));
        g = _mm256_add_epi32(luma, _mm256_srai_epi32(g, yccShift));
        r = _mm256_min_epi32(_mm256_max_epi32(r, zero), bytes);
        g = _mm256_min_epi32(_mm256_max_epi32(g, zero), bytes);
        b = _mm256_min_epi32(_mm256_max_epi32(b, zero), bytes);
        __m256i w =
            _mm256_or_si256(r, _mm256_or_si256(_mm256_slli_epi32(g, 8), _mm256_slli_epi32(b, 16)));
        w = _mm256_permutevar8x32_epi32(_mm256_shuffle_epi8(w, pack), gather);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm256_castsi256_si128(w));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out + 16), _mm256_extracti128_si256(w, 1));
    }
    return i;
}

}  // namespace kvr
