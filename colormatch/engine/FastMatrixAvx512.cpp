// Thirty-two pixels at a time without gathers (slow on many processors): the bytes are
// split into channels with byte permutes, the YCC conversion runs in 16-bit lanes with
// the same exact integer formulas as the scalar tables, the input curves are 256-entry
// word tables read with word permutes, the matrix uses pairwise multiply-adds, and the
// output curve is a binary search over its 255 steps (FastMatrix keeps the search
// tables only when the curve never falls, so the result is the table's own byte).
// Also the YCC conversion alone. Only this file is compiled for AVX-512; its callers check
// the processor first.

#include "colormatch/engine/FastMatrix.h"
#include "colormatch/engine/Ycc.h"

#include <immintrin.h>

namespace kvr {
namespace {

#define KVR_AVX512 __attribute__((target("avx512f,avx512bw,avx512vbmi")))

// (K * c + 32768) >> 16 for 32-bit K and c in -128..127, in 16-bit lanes: K = q * 65536 + k
// with k a 16-bit value, and the low half of k * c decides the rounding.
struct Scaled {
    int q, k;
};
constexpr Scaled split(int K) {
    const int q = (K + (K >= 0 ? 32768 : -32768)) / 65536;
    return {q, K - q * 65536};
}
constexpr int fix(double v) {
    return int(v * (1 << YccTables::kYccShift) + 0.5);
}

KVR_AVX512 inline __m512i roundedProduct(__m512i c, Scaled s) {
    const __m512i k = _mm512_set1_epi16(short(s.k));
    const __m512i hi = _mm512_mulhi_epi16(c, k), lo = _mm512_mullo_epi16(c, k);
    __m512i r = _mm512_add_epi16(hi, _mm512_srli_epi16(lo, 15));
    return _mm512_add_epi16(r, _mm512_mullo_epi16(c, _mm512_set1_epi16(short(s.q))));
}

// A 256-entry word table at `t` for indices 0..255.
KVR_AVX512 inline __m512i lookup256(const uint16_t* t, __m512i index) {
    const __m512i a =
        _mm512_permutex2var_epi16(_mm512_loadu_si512(t), index, _mm512_loadu_si512(t + 32));
    const __m512i b =
        _mm512_permutex2var_epi16(_mm512_loadu_si512(t + 64), index, _mm512_loadu_si512(t + 96));
    const __m512i c =
        _mm512_permutex2var_epi16(_mm512_loadu_si512(t + 128), index, _mm512_loadu_si512(t + 160));
    const __m512i d =
        _mm512_permutex2var_epi16(_mm512_loadu_si512(t + 192), index, _mm512_loadu_si512(t + 224));
    const __mmask32 bit6 = _mm512_test_epi16_mask(index, _mm512_set1_epi16(64));
    const __mmask32 bit7 = _mm512_test_epi16_mask(index, _mm512_set1_epi16(128));
    return _mm512_mask_mov_epi16(_mm512_mask_mov_epi16(a, bit6, b), bit7,
                                 _mm512_mask_mov_epi16(c, bit6, d));
}

// The output byte for each 13-bit value: the number of steps at or below it.
KVR_AVX512 inline __m512i outputSearch(const FastMatrix::Search& s, __m512i v) {
    __m512i k = _mm512_maskz_mov_epi16(_mm512_cmple_epu16_mask(_mm512_set1_epi16(short(s.top)), v),
                                       _mm512_set1_epi16(128));
    const uint16_t* table = s.steps;
    for (int bit = 64, shift = 7; bit >= 4; bit >>= 1, --shift, table += 32) {
        const __m512i candidate = _mm512_permutexvar_epi16(_mm512_srli_epi16(k, unsigned(shift)),
                                                           _mm512_loadu_si512(table));
        k = _mm512_mask_add_epi16(k, _mm512_cmple_epu16_mask(candidate, v), k,
                                  _mm512_set1_epi16(short(bit)));
    }
    __m512i candidate = _mm512_permutex2var_epi16(
        _mm512_loadu_si512(table), _mm512_srli_epi16(k, 2), _mm512_loadu_si512(table + 32));
    k = _mm512_mask_add_epi16(k, _mm512_cmple_epu16_mask(candidate, v), k, _mm512_set1_epi16(2));
    table += 64;
    const __m512i j = _mm512_srli_epi16(k, 1);
    candidate = _mm512_mask_mov_epi16(
        _mm512_permutex2var_epi16(_mm512_loadu_si512(table), j, _mm512_loadu_si512(table + 32)),
        _mm512_test_epi16_mask(j, _mm512_set1_epi16(64)),
        _mm512_permutex2var_epi16(_mm512_loadu_si512(table + 64), j,
                                  _mm512_loadu_si512(table + 96)));
    return _mm512_mask_add_epi16(k, _mm512_cmple_epu16_mask(candidate, v), k, _mm512_set1_epi16(1));
}

// Full-range YCbCr to RGB in place in 16-bit lanes, with the scalar tables' exact
// integer formulas, each channel limited to 0 .. 255.
KVR_AVX512 inline void yccToRgb(__m512i& ch0, __m512i& ch1, __m512i& ch2) {
    const __m512i c128 = _mm512_set1_epi16(128), zero = _mm512_setzero_si512();
    const __m512i c255 = _mm512_set1_epi16(255), one = _mm512_set1_epi16(1);
    constexpr Scaled crR = split(fix(1.40200)), cbB = split(fix(1.77200));
    constexpr Scaled cbG = split(-fix(0.34414)), crG = split(-fix(0.71414));
    static_assert(cbG.q == 0 && crG.q == -1);
    const __m512i cb = _mm512_sub_epi16(ch1, c128), cr = _mm512_sub_epi16(ch2, c128);
    const __m512i red = _mm512_add_epi16(ch0, roundedProduct(cr, crR));
    const __m512i blue = _mm512_add_epi16(ch0, roundedProduct(cb, cbB));
    // Green: (cbG * cb + crG * cr + 32768) >> 16 with both products split in halves.
    const __m512i kb = _mm512_set1_epi16(short(cbG.k)), kr = _mm512_set1_epi16(short(crG.k));
    const __m512i bLo = _mm512_mullo_epi16(cb, kb), rLo = _mm512_mullo_epi16(cr, kr);
    const __m512i lo = _mm512_add_epi16(bLo, rLo);
    __m512i g = _mm512_add_epi16(_mm512_mulhi_epi16(cb, kb), _mm512_mulhi_epi16(cr, kr));
    g = _mm512_mask_add_epi16(g, _mm512_cmplt_epu16_mask(lo, bLo), g, one);
    g = _mm512_add_epi16(g, _mm512_srli_epi16(lo, 15));
    const __m512i green = _mm512_add_epi16(_mm512_sub_epi16(ch0, cr), g);
    ch0 = _mm512_min_epi16(_mm512_max_epi16(red, zero), c255);
    ch1 = _mm512_min_epi16(_mm512_max_epi16(green, zero), c255);
    ch2 = _mm512_min_epi16(_mm512_max_epi16(blue, zero), c255);
}

// The byte permutes between 32 packed pixels (96 bytes) and three channels of 32 words.
struct Permutes {
    __m512i split0, split1, split2, join0, join1;

    KVR_AVX512 Permutes() {
        // Word lane j takes byte 3j + c of the 96 input bytes; the odd bytes are cleared.
        alignas(64) uint8_t splitIndex[3][64], joinLow[64], joinHigh[64];
        for (int j = 0; j < 32; ++j)
            for (int c = 0; c < 3; ++c)
                splitIndex[c][2 * j] = splitIndex[c][2 * j + 1] = uint8_t(3 * j + c);
        // Output byte p is channel p % 3 of pixel p / 3: the first two from the
        // (c0 | c1 << 8) words, the third from its own words (the permute's second table).
        for (int p = 0; p < 96; ++p) {
            const int j = p / 3, c = p % 3;
            (p < 64 ? joinLow[p] : joinHigh[p - 64]) = uint8_t(c < 2 ? 2 * j + c : 64 + 2 * j);
        }
        split0 = _mm512_load_si512(splitIndex[0]);
        split1 = _mm512_load_si512(splitIndex[1]);
        split2 = _mm512_load_si512(splitIndex[2]);
        join0 = _mm512_load_si512(joinLow);
        join1 = _mm512_load_si512(joinHigh);
    }
    KVR_AVX512 void split(const uint8_t* in, __m512i& ch0, __m512i& ch1, __m512i& ch2) const {
        constexpr __mmask64 even = 0x5555555555555555ULL;
        const __m512i a = _mm512_loadu_si512(in);
        const __m512i b = _mm512_maskz_loadu_epi8(0xffffffffULL, in + 64);
        ch0 = _mm512_maskz_permutex2var_epi8(even, a, split0, b);
        ch1 = _mm512_maskz_permutex2var_epi8(even, a, split1, b);
        ch2 = _mm512_maskz_permutex2var_epi8(even, a, split2, b);
    }
    // Channel words of 0 .. 255 back into 96 bytes.
    KVR_AVX512 void join(__m512i ch0, __m512i ch1, __m512i ch2, uint8_t* out) const {
        const __m512i xy = _mm512_or_si512(ch0, _mm512_slli_epi16(ch1, 8));
        _mm512_storeu_si512(out, _mm512_permutex2var_epi8(xy, join0, ch2));
        _mm512_mask_storeu_epi8(out + 64, 0xffffffffULL, _mm512_permutex2var_epi8(xy, join1, ch2));
    }
};

// One output channel of the matrix from the interleaved (r, g) and (b, 1) pairs.
KVR_AVX512 inline __m512i matrixRow(__m512i rgLo, __m512i rgHi, __m512i b1Lo, __m512i b1Hi,
                                    const int32_t* row) {
    constexpr int shift =
        FastMatrix::kMatrixBits + FastMatrix::kLinearBits - FastMatrix::kOutputBits;
    const __m512i rg =
        _mm512_set1_epi32(int((uint32_t(row[1]) << 16) | (uint32_t(row[0]) & 0xffff)));
    const __m512i b1 =
        _mm512_set1_epi32(int((uint32_t(1 << (shift - 1)) << 16) | (uint32_t(row[2]) & 0xffff)));
    // (The masked shift: GCC 12 warns about the unmasked one's undefined source.)
    const __m512i lo = _mm512_maskz_srai_epi32(
        0xffff, _mm512_add_epi32(_mm512_madd_epi16(rgLo, rg), _mm512_madd_epi16(b1Lo, b1)), shift);
    const __m512i hi = _mm512_maskz_srai_epi32(
        0xffff, _mm512_add_epi32(_mm512_madd_epi16(rgHi, rg), _mm512_madd_epi16(b1Hi, b1)), shift);
    return _mm512_min_epu16(_mm512_packus_epi32(lo, hi),
                            _mm512_set1_epi16((1 << FastMatrix::kOutputBits) - 1));
}

// The 13-bit output values of the three channels for 32 pixels.
KVR_AVX512 inline void matrixValues(const uint16_t (*linear)[256], const int32_t (*matrix)[3],
                                    const Permutes& p, bool ycc, const uint8_t* in, __m512i& x,
                                    __m512i& y, __m512i& z) {
    const __m512i one = _mm512_set1_epi16(1);
    __m512i ch0, ch1, ch2;
    p.split(in, ch0, ch1, ch2);
    if (ycc) yccToRgb(ch0, ch1, ch2);
    const __m512i r = lookup256(linear[0], ch0);
    const __m512i g = lookup256(linear[1], ch1);
    const __m512i bl = lookup256(linear[2], ch2);
    const __m512i rgLo = _mm512_unpacklo_epi16(r, g), rgHi = _mm512_unpackhi_epi16(r, g);
    const __m512i b1Lo = _mm512_unpacklo_epi16(bl, one), b1Hi = _mm512_unpackhi_epi16(bl, one);
    x = matrixRow(rgLo, rgHi, b1Lo, b1Hi, matrix[0]);
    y = matrixRow(rgLo, rgHi, b1Lo, b1Hi, matrix[1]);
    z = matrixRow(rgLo, rgHi, b1Lo, b1Hi, matrix[2]);
}

// A 128-entry byte table at `t` (64-byte aligned) for indices 0..127.
KVR_AVX512 inline __m512i lookup128(const uint8_t* t, __m512i index) {
    return _mm512_permutex2var_epi8(_mm512_load_si512(t), index, _mm512_load_si512(t + 64));
}

// The byte one level of the segment tables gives for each segment index and offset in
// it; `steep` gets the lanes whose segment the level does not hold.
KVR_AVX512 inline __m512i levelValue(const FastMatrix::Segments::Level& level, __m512i segment,
                                     __m512i offset, __mmask64& steep) {
    const __m512i one = _mm512_set1_epi8(1);
    const __m512i step0 = lookup128(level.step[0], segment);
    steep = _mm512_movepi8_mask(step0);
    __m512i k = lookup128(level.start, segment);
    k = _mm512_mask_add_epi8(k, _mm512_cmpge_epu8_mask(offset, step0), k, one);
    k = _mm512_mask_add_epi8(k, _mm512_cmpge_epu8_mask(offset, lookup128(level.step[1], segment)),
                             k, one);
    return _mm512_mask_add_epi8(
        k, _mm512_cmpge_epu8_mask(offset, lookup128(level.step[2], segment)), k, one);
}

// The output bytes of one channel for 64 values (the words of `first`, then those of
// `second`) from its segment tables. False (and `out` unset) when a value lies in a
// segment the tables do not hold.
KVR_AVX512 inline bool outputFromSegments(const FastMatrix::Segments& s, __m512i lowBytes,
                                          __m512i first, __m512i second, __m512i& out) {
    using Segments = FastMatrix::Segments;
    const auto bytes = [lowBytes](__m512i a, __m512i b)
                           KVR_AVX512 { return _mm512_permutex2var_epi8(a, lowBytes, b); };
    const __m512i value = bytes(first, second);  // the low byte: offsets and direct index
    const __m512i coarse = bytes(_mm512_srli_epi16(first, 6), _mm512_srli_epi16(second, 6));
    const __m512i from = _mm512_set1_epi16(Segments::kFineFrom);
    const __m512i fine = bytes(_mm512_srli_epi16(_mm512_sub_epi16(first, from), 3),
                               _mm512_srli_epi16(_mm512_sub_epi16(second, from), 3));
    const __mmask64 direct =
        _mm512_cmplt_epu8_mask(coarse, _mm512_set1_epi8(Segments::kFineFrom / 64));
    const __mmask64 notCoarse =
        _mm512_cmplt_epu8_mask(coarse, _mm512_set1_epi8(Segments::kCoarseFrom / 64));
    const __mmask64 fineLanes = notCoarse & ~direct;
    __mmask64 fineSteep, coarseSteep;
    const __m512i f =
        levelValue(s.fine, fine, _mm512_and_si512(value, _mm512_set1_epi8(7)), fineSteep);
    const __m512i c =
        levelValue(s.coarse, coarse, _mm512_and_si512(value, _mm512_set1_epi8(63)), coarseSteep);
    if ((fineSteep & fineLanes) | (coarseSteep & ~notCoarse)) return false;
    out = _mm512_mask_mov_epi8(_mm512_mask_mov_epi8(c, fineLanes, f), direct,
                               lookup128(s.direct, value));
    return true;
}

}  // namespace

KVR_AVX512 int RunFastMatrixAvx512(const FastMatrix& m, bool ycc, const uint8_t* in, uint8_t* out,
                                   int pixels) {
    const Permutes p;
    // Byte i of 64: the low byte of word i of the first source (i < 32) or of word i - 32
    // of the second.
    alignas(64) uint8_t low[64], pixelBytes[3][64], third[3][64];
    for (int i = 0; i < 64; ++i) low[i] = uint8_t(i < 32 ? 2 * i : 64 + 2 * (i - 32));
    // 64 pixels' bytes from three channel vectors: output byte q is channel q % 3 of pixel
    // q / 3; the first two channels through a two-table permute, the third merged after.
    __mmask64 thirdMask[3] = {0, 0, 0};
    for (int v = 0; v < 3; ++v)
        for (int i = 0; i < 64; ++i) {
            const int q = 64 * v + i, pixel = q / 3, c = q % 3;
            pixelBytes[v][i] = uint8_t(c == 1 ? 64 + pixel : pixel);
            third[v][i] = uint8_t(pixel);
            if (c == 2) thirdMask[v] |= __mmask64(1) << i;
        }
    const __m512i lowBytes = _mm512_load_si512(low);

    int i = 0;
    // 64 pixels a step: the output bytes from the segment tables where every value allows
    // it, else by the search.
    for (; m.wordTables_ && i + 64 <= pixels; i += 64, in += 192, out += 192) {
        __m512i x[2], y[2], z[2];
        matrixValues(m.linear16_, m.matrix_, p, ycc, in, x[0], y[0], z[0]);
        matrixValues(m.linear16_, m.matrix_, p, ycc, in + 96, x[1], y[1], z[1]);
        __m512i c0, c1, c2;
        if (outputFromSegments(m.segments_[0], lowBytes, x[0], x[1], c0) &&
            outputFromSegments(m.segments_[1], lowBytes, y[0], y[1], c1) &&
            outputFromSegments(m.segments_[2], lowBytes, z[0], z[1], c2)) {
            for (int v = 0; v < 3; ++v) {
                const __m512i two =
                    _mm512_permutex2var_epi8(c0, _mm512_load_si512(pixelBytes[v]), c1);
                _mm512_storeu_si512(out + 64 * v,
                                    _mm512_mask_permutexvar_epi8(two, thirdMask[v],
                                                                 _mm512_load_si512(third[v]), c2));
            }
        } else {
            for (int h = 0; h < 2; ++h)
                p.join(outputSearch(m.search_[0], x[h]), outputSearch(m.search_[1], y[h]),
                       outputSearch(m.search_[2], z[h]), out + 96 * h);
        }
    }
    for (; i + 32 <= pixels; i += 32, in += 96, out += 96) {
        __m512i x, y, z;
        matrixValues(m.linear16_, m.matrix_, p, ycc, in, x, y, z);
        p.join(outputSearch(m.search_[0], x), outputSearch(m.search_[1], y),
               outputSearch(m.search_[2], z), out);
    }
    return i;
}

KVR_AVX512 int YccToRgbAvx512(const uint8_t* in, uint8_t* out, int pixels) {
    const Permutes p;
    int i = 0;
    for (; i + 32 <= pixels; i += 32, in += 96, out += 96) {
        __m512i ch0, ch1, ch2;
        p.split(in, ch0, ch1, ch2);
        yccToRgb(ch0, ch1, ch2);
        p.join(ch0, ch1, ch2, out);
    }
    return i;
}

}  // namespace kvr
