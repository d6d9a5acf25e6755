#include "imaging/filters/EffectRows.h"

#include "imaging/TargetClones.h"
#include "imaging/VectorIntrinsics.h"

#include <algorithm>

namespace {

inline int luma(int b, int g, int r, int dx, int dy) {
    return (19595 * r + 38470 * g + 7471 * b + 19235 * dx + 9798 * dy) >> 12;
}

VELLUMO_TARGET_CLONES LumaRange lumaScalar(const std::uint8_t* p, int w, int bpp, int dy,
                                           std::uint16_t* ys) {
    LumaRange range{65536, -1};
    for (int x = 0; x < w; ++x, p += bpp) {
        const int y = luma(p[0], p[1], p[2], x & 1, dy);
        ys[x] = std::uint16_t(y);
        range.smallest = std::min(range.smallest, y);
        range.largest = std::max(range.largest, y);
    }
    return range;
}

VELLUMO_TARGET_CLONES void normalizeScalar(const std::uint8_t* p, std::uint8_t* d, int w, int bpp,
                                           int dy, const NormalizeCurve& curve) {
    for (int x = 0; x < w; ++x, p += bpp, d += bpp) {
        const int b = p[0], g = p[1], r = p[2], dx = x & 1;
        const int y = curve.yScaled[size_t(luma(b, g, r, dx, dy))];
        const int cb = std::clamp(
            ((32768 * b + 16384 * dy - 11059 * r - 21709 * g - 10855 * dx + 8388608) >> 12) +
                curve.cbShift,
            0, 4095);
        const int cr =
            std::clamp(
                ((32768 * r + 16384 * dx - 27439 * g - 5329 * b - 13720 * dy + 8388608) >> 12) +
                    curve.crShift,
                0, 4095) -
            2048;
        d[2] = std::uint8_t(std::clamp((y + 5743 * cr + 32768) / 65536, 0, 255));
        d[1] = std::uint8_t(std::clamp((y - 1410 * cb - 2925 * cr + 2920448) / 65536, 0, 255));
        d[0] = std::uint8_t(std::clamp((y + 7258 * cb - 14831616) / 65536, 0, 255));
        if (bpp == 4) d[3] = p[3];
    }
}

#ifdef VELLUMO_X86_INTRINSICS

#define VELLUMO_AVX512 __attribute__((target("avx512f,avx512bw,avx512vl,avx512vbmi")))

// Sixteen pixels at a time, one per 32-bit lane. The bytes of a pixel are laid out as
// pairs of 16-bit words (b, r), (g, g), (g, b), (g, r), so that each 12-bit component is
// two word multiply-adds. All components and products stay within 32 bits.
struct Layout {
    alignas(64) std::uint8_t br[64], gg[64], gb[64], gr[64], pack[64];
};

Layout layout(int bpp) {
    Layout l{};
    for (int k = 0; k < 16; ++k) {
        const auto set = [&](std::uint8_t* t, int lo, int hi) {
            t[4 * k] = std::uint8_t(k * bpp + lo);
            t[4 * k + 2] = std::uint8_t(k * bpp + hi);
        };
        set(l.br, 0, 2);
        set(l.gg, 1, 1);
        set(l.gb, 1, 0);
        set(l.gr, 1, 2);
    }
    for (int j = 0; j < 64; ++j) l.pack[j] = std::uint8_t(j < 48 ? (j / 3) * 4 + j % 3 : 0);
    return l;
}

const Layout& layoutFor(int bpp) {
    static const Layout three = layout(3), four = layout(4);
    return bpp == 3 ? three : four;
}

constexpr std::int32_t pair(int lo, int hi) {
    return std::int32_t((std::uint32_t(std::uint16_t(hi)) << 16) | std::uint16_t(lo));
}

constexpr __mmask64 kEvenBytes = 0x5555555555555555ULL;

// The first n bytes of a 64-byte step.
inline __mmask64 firstBytes(int n) {
    return n >= 64 ? ~__mmask64(0) : (__mmask64(1) << n) - 1;
}

// The 64 bytes from `at`, of which the first `used` belong to the step; the bytes beyond the
// row of `left` bytes are left out (masked loads only there: they are slower).
VELLUMO_AVX512 inline __m512i loadStep(const std::uint8_t* at, int left, int used) {
    if (left >= 64) return _mm512_loadu_si512(at);
    return _mm512_maskz_loadu_epi8(firstBytes(used), at);
}

struct Words {
    __m512i br, gg, gb, gr;
};

VELLUMO_AVX512 inline Words words(__m512i raw, const Layout& l) {
    return {_mm512_maskz_permutexvar_epi8(kEvenBytes, _mm512_load_si512(l.br), raw),
            _mm512_maskz_permutexvar_epi8(kEvenBytes, _mm512_load_si512(l.gg), raw),
            _mm512_maskz_permutexvar_epi8(kEvenBytes, _mm512_load_si512(l.gb), raw),
            _mm512_maskz_permutexvar_epi8(kEvenBytes, _mm512_load_si512(l.gr), raw)};
}

// Constants that depend on the column parity: lane k holds pixel k, starting at an even x.
VELLUMO_AVX512 inline __m512i byParity(int even, int odd) {
    return _mm512_mask_blend_epi32(__mmask16(0xAAAA), _mm512_set1_epi32(even),
                                   _mm512_set1_epi32(odd));
}

VELLUMO_AVX512 inline __m512i lumaOf(const Words& v, __m512i bias) {
    const __m512i s =
        _mm512_add_epi32(_mm512_madd_epi16(v.br, _mm512_set1_epi32(pair(7471, 19595))),
                         _mm512_madd_epi16(v.gg, _mm512_set1_epi32(pair(19235, 19235))));
    return _mm512_srai_epi32(_mm512_add_epi32(s, bias), 12);
}

VELLUMO_AVX512 LumaRange lumaVector(const std::uint8_t* p, int w, int bpp, int dy,
                                    std::uint16_t* ys) {
    const Layout& l = layoutFor(bpp);
    const __m512i bias = byParity(9798 * dy, 19235 + 9798 * dy);
    __m512i smallest = _mm512_set1_epi32(65536), largest = _mm512_set1_epi32(-1);
    for (int x = 0; x < w; x += 16) {
        const int count = std::min(16, w - x);
        const __mmask16 lanes = __mmask16((1u << count) - 1);
        _mm_prefetch(reinterpret_cast<const char*>(p + x * bpp + 4096), _MM_HINT_T0);
        const __m512i raw = loadStep(p + x * bpp, (w - x) * bpp, count * bpp);
        const __m512i y = lumaOf(words(raw, l), bias);
        smallest = _mm512_mask_min_epi32(smallest, lanes, smallest, y);
        largest = _mm512_mask_max_epi32(largest, lanes, largest, y);
        if (count == 16)
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(ys + x), _mm512_cvtepi32_epi16(y));
        else
            _mm256_mask_storeu_epi16(ys + x, lanes, _mm512_cvtepi32_epi16(y));
    }
    return {_mm512_reduce_min_epi32(smallest), _mm512_reduce_max_epi32(largest)};
}

VELLUMO_AVX512 inline __m512i clampTo(__m512i v, int high) {
    return _mm512_min_epi32(_mm512_max_epi32(v, _mm512_setzero_si512()), _mm512_set1_epi32(high));
}

// One 8-bit channel from Y' x 4096 and the words (Cb', Cr' - 2048): a shift instead of the
// division by 65536, as the two differ only below zero, which clamps to 0 either way.
VELLUMO_AVX512 inline __m512i channel(__m512i y, __m512i cc, std::int32_t factors, int offset) {
    const __m512i s =
        _mm512_add_epi32(_mm512_add_epi32(y, _mm512_madd_epi16(cc, _mm512_set1_epi32(factors))),
                         _mm512_set1_epi32(offset));
    return clampTo(_mm512_srai_epi32(s, 16), 255);
}

VELLUMO_AVX512 void normalizeVector(const std::uint8_t* p, std::uint8_t* d, int w, int bpp, int dy,
                                    const NormalizeCurve& curve) {
    const Layout& l = layoutFor(bpp);
    const __m512i yBias = byParity(9798 * dy, 19235 + 9798 * dy);
    const __m512i cbBias = byParity(16384 * dy + 8388608, 16384 * dy - 10855 + 8388608);
    const __m512i crBias = byParity(-13720 * dy + 8388608, 16384 - 13720 * dy + 8388608);
    const __m512i cbShift = _mm512_set1_epi32(curve.cbShift),
                  crShift = _mm512_set1_epi32(curve.crShift);
    const __m512i crZero = _mm512_set1_epi32(2048);
    const __m512i fourth = _mm512_set1_epi32(std::int32_t(0xFF000000u));
    for (int x = 0; x < w; x += 16) {
        const int count = std::min(16, w - x);
        const int left = (w - x) * bpp;
        _mm_prefetch(reinterpret_cast<const char*>(p + x * bpp + 4096), _MM_HINT_T0);
        const __m512i raw = loadStep(p + x * bpp, left, count * bpp);
        const Words v = words(raw, l);
        const __m512i y = _mm512_i32gather_epi32(lumaOf(v, yBias), curve.yScaled.data(), 4);
        const __m512i cb = _mm512_srai_epi32(
            _mm512_add_epi32(
                _mm512_add_epi32(_mm512_madd_epi16(v.br, _mm512_set1_epi32(pair(16384, -11059))),
                                 _mm512_madd_epi16(v.gb, _mm512_set1_epi32(pair(-21709, 16384)))),
                cbBias),
            12);
        const __m512i cr = _mm512_srai_epi32(
            _mm512_add_epi32(
                _mm512_add_epi32(_mm512_madd_epi16(v.br, _mm512_set1_epi32(pair(-5329, 16384))),
                                 _mm512_madd_epi16(v.gr, _mm512_set1_epi32(pair(-27439, 16384)))),
                crBias),
            12);
        // Words (Cb', Cr' - 2048) for the back conversion.
        const __m512i cc = _mm512_or_si512(
            clampTo(_mm512_add_epi32(cb, cbShift), 4095),
            _mm512_slli_epi32(
                _mm512_sub_epi32(clampTo(_mm512_add_epi32(cr, crShift), 4095), crZero), 16));
        const __m512i red = channel(y, cc, pair(0, 5743), 32768);
        const __m512i green = channel(y, cc, pair(-1410, -2925), 2920448);
        const __m512i blue = channel(y, cc, pair(7258, 0), -14831616);
        __m512i pixels = _mm512_or_si512(
            blue, _mm512_or_si512(_mm512_slli_epi32(green, 8), _mm512_slli_epi32(red, 16)));
        if (bpp == 4) {
            pixels = _mm512_or_si512(pixels, _mm512_and_si512(raw, fourth));
        } else {
            pixels = _mm512_permutexvar_epi8(_mm512_load_si512(l.pack), pixels);
        }
        // Whole steps store all 64 bytes: for 24-bit pixels the last 16 are written again
        // by the next step.
        if (left >= 64)
            _mm512_storeu_si512(d + x * bpp, pixels);
        else
            _mm512_mask_storeu_epi8(d + x * bpp, firstBytes(count * bpp), pixels);
    }
}

#endif

}  // namespace

LumaRange LumaRow(const std::uint8_t* p, int w, int bpp, int dy, std::uint16_t* ys) {
#ifdef VELLUMO_X86_INTRINSICS
    if (EffectRowsUseVectors()) return lumaVector(p, w, bpp, dy, ys);
#endif
    return lumaScalar(p, w, bpp, dy, ys);
}

void NormalizeRow(const std::uint8_t* p, std::uint8_t* d, int w, int bpp, int dy,
                  const NormalizeCurve& curve) {
#ifdef VELLUMO_X86_INTRINSICS
    if (EffectRowsUseVectors()) return normalizeVector(p, d, w, bpp, dy, curve);
#endif
    normalizeScalar(p, d, w, bpp, dy, curve);
}
