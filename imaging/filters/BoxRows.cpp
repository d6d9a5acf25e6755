#include "imaging/filters/EffectRows.h"

#include "imaging/TargetClones.h"
#include "imaging/VectorIntrinsics.h"

#include <algorithm>
#include <atomic>

namespace {

std::atomic<bool> forceScalar{false};

// The sum over 9 rounded, (2 s + 9) / 18, is taken as (2 s + 9) x 3641 >> 16 by the vector
// kernels; both agree for every sum of nine bytes and beyond, once clamped to 255.
constexpr bool ninthByMultiplyIsExact() {
    for (int s = 0; s < 2304; ++s)
        if (std::min(255, ((2 * s + 9) * 3641) >> 16) != std::min(255, (2 * s + 9) / 18))
            return false;
    return true;
}
static_assert(ninthByMultiplyIsExact());

inline int ninth(int s) {
    return std::min(255, (2 * s + 9) / 18);
}

// The plain loops are also built for the wider instruction sets, where the compiler
// vectorises them itself.
VELLUMO_TARGET_CLONES void sumsScalar(const std::uint8_t* p, int w, int bpp, std::uint16_t* out) {
    if (w == 1) {
        for (int c = 0; c < bpp; ++c) out[c] = std::uint16_t(3 * p[c]);
        return;
    }
    for (int c = 0; c < bpp; ++c) out[c] = std::uint16_t(2 * p[c] + p[bpp + c]);
    const int n = (w - 1) * bpp;
    for (int i = bpp; i < n; ++i) out[i] = std::uint16_t(p[i - bpp] + p[i] + p[i + bpp]);
    for (int c = 0; c < bpp; ++c) out[n + c] = std::uint16_t(p[n - bpp + c] + 2 * p[n + c]);
}

// Values from `from` on of one output row; `sharp` null for the plain box.
VELLUMO_TARGET_CLONES void outScalar(const std::uint16_t* a, const std::uint16_t* b,
                                     const std::uint16_t* c, const std::uint8_t* sharp,
                                     const std::uint8_t* centre, std::uint8_t* d, int w, int bpp,
                                     int from) {
    const int n = w * bpp;
    for (int i = from; i < n; ++i) {
        if (bpp == 4 && (i & 3) == 3) {
            d[i] = centre[i];
            continue;
        }
        const int box = ninth(a[i] + b[i] + c[i]);
        d[i] = std::uint8_t(sharp ? std::clamp(2 * sharp[i] - box, 0, 255) : box);
    }
}

#ifdef VELLUMO_X86_INTRINSICS

#define VELLUMO_AVX512 __attribute__((target("avx512f,avx512bw,avx512vl,avx512vbmi")))

bool cpuHasAvx512() {
    static const bool has = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx512vbmi") && __builtin_cpu_supports("avx512bw") &&
               __builtin_cpu_supports("avx512vl");
    }();
    return has;
}

// 32 bytes widened to 16-bit words.
VELLUMO_AVX512 inline __m512i widen(const std::uint8_t* q) {
    return _mm512_cvtepu8_epi16(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(q)));
}

VELLUMO_AVX512 void sumsVector(const std::uint8_t* p, int w, int bpp, std::uint16_t* out) {
    if (w < 3) return sumsScalar(p, w, bpp, out);
    const int n = w * bpp;
    for (int c = 0; c < bpp; ++c) {
        out[c] = std::uint16_t(2 * p[c] + p[bpp + c]);
        out[n - bpp + c] = std::uint16_t(p[n - 2 * bpp + c] + 2 * p[n - bpp + c]);
    }
    int i = bpp;
    for (; i + 32 <= n - bpp; i += 32) {
        const __m512i s = _mm512_add_epi16(_mm512_add_epi16(widen(p + i - bpp), widen(p + i)),
                                           widen(p + i + bpp));
        _mm512_storeu_si512(out + i, s);
    }
    for (; i < n - bpp; ++i) out[i] = std::uint16_t(p[i - bpp] + p[i] + p[i + bpp]);
}

VELLUMO_AVX512 void outVector(const std::uint16_t* a, const std::uint16_t* b,
                              const std::uint16_t* c, const std::uint8_t* sharp,
                              const std::uint8_t* centre, std::uint8_t* d, int w, int bpp) {
    const int n = w * bpp;
    // Steps start at multiples of 32, so the fourth bytes keep their places.
    const __mmask32 keep = bpp == 4 ? __mmask32(0x88888888u) : __mmask32(0);
    const __m512i nine = _mm512_set1_epi16(9), factor = _mm512_set1_epi16(3641),
                  top = _mm512_set1_epi16(255), zero = _mm512_setzero_si512();
    int i = 0;
    for (; i + 32 <= n; i += 32) {
        const __m512i s =
            _mm512_add_epi16(_mm512_add_epi16(_mm512_loadu_si512(a + i), _mm512_loadu_si512(b + i)),
                             _mm512_loadu_si512(c + i));
        __m512i v = _mm512_min_epu16(
            _mm512_mulhi_epu16(_mm512_add_epi16(_mm512_add_epi16(s, s), nine), factor), top);
        if (sharp) {
            const __m512i x = widen(sharp + i);
            v = _mm512_max_epi16(_mm512_sub_epi16(_mm512_add_epi16(x, x), v), zero);
        }
        __m256i bytes = _mm512_cvtusepi16_epi8(v);
        if (keep)
            bytes = _mm256_mask_blend_epi8(
                keep, bytes, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(centre + i)));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + i), bytes);
    }
    outScalar(a, b, c, sharp, centre, d, w, bpp, i);
}

#endif

}  // namespace

bool EffectRowsUseVectors() {
#ifdef VELLUMO_X86_INTRINSICS
    return cpuHasAvx512() && !forceScalar.load(std::memory_order_relaxed);
#else
    return false;
#endif
}

void ForceScalarEffectRows(bool on) {
    forceScalar.store(on, std::memory_order_relaxed);
}

void BoxRowSums(const std::uint8_t* p, int w, int bpp, std::uint16_t* out) {
#ifdef VELLUMO_X86_INTRINSICS
    if (EffectRowsUseVectors()) return sumsVector(p, w, bpp, out);
#endif
    sumsScalar(p, w, bpp, out);
}

void BoxRowOut(const std::uint16_t* above, const std::uint16_t* at, const std::uint16_t* below,
               const std::uint8_t* centre, std::uint8_t* d, int w, int bpp) {
#ifdef VELLUMO_X86_INTRINSICS
    if (EffectRowsUseVectors()) return outVector(above, at, below, nullptr, centre, d, w, bpp);
#endif
    outScalar(above, at, below, nullptr, centre, d, w, bpp, 0);
}

void SharpenRowOut(const std::uint16_t* above, const std::uint16_t* at, const std::uint16_t* below,
                   const std::uint8_t* sharp, const std::uint8_t* centre, std::uint8_t* d, int w,
                   int bpp) {
#ifdef VELLUMO_X86_INTRINSICS
    if (EffectRowsUseVectors()) return outVector(above, at, below, sharp, centre, d, w, bpp);
#endif
    outScalar(above, at, below, sharp, centre, d, w, bpp, 0);
}
