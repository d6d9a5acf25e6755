#include "imaging/filters/TableMap.h"

#include "imaging/VectorIntrinsics.h"

#include <atomic>

namespace {

std::atomic<bool> forceScalar{false};

void mapScalar(const std::uint8_t* s, std::uint8_t* d, int n, const std::uint8_t* table,
               bool keepFourth) {
    if (!keepFourth) {
        for (int i = 0; i < n; ++i) d[i] = table[s[i]];
        return;
    }
    for (int i = 0; i < n; ++i) d[i] = (i & 3) == 3 ? s[i] : table[s[i]];
}

#ifdef VELLUMO_X86_INTRINSICS

bool cpuHasVbmi() {
    static const bool has = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx512vbmi") != 0;
    }();
    return has;
}

// One permute picks from 128 table bytes by the low seven bits of each index; the top bit
// chooses between the lower and the upper half of the table.
__attribute__((target("avx512f,avx512bw,avx512vbmi"))) inline __m512i lookup64(
    __m512i index, __m512i t0, __m512i t1, __m512i t2, __m512i t3, __mmask64 keep) {
    const __m512i low = _mm512_permutex2var_epi8(t0, index, t1);
    const __m512i high = _mm512_permutex2var_epi8(t2, index, t3);
    const __m512i mapped = _mm512_mask_blend_epi8(_mm512_movepi8_mask(index), low, high);
    return _mm512_mask_blend_epi8(keep, mapped, index);
}

__attribute__((target("avx512f,avx512bw,avx512vbmi"))) void mapVbmi(const std::uint8_t* s,
                                                                    std::uint8_t* d, int n,
                                                                    const std::uint8_t* table,
                                                                    bool keepFourth) {
    const __m512i t0 = _mm512_loadu_si512(table);
    const __m512i t1 = _mm512_loadu_si512(table + 64);
    const __m512i t2 = _mm512_loadu_si512(table + 128);
    const __m512i t3 = _mm512_loadu_si512(table + 192);
    // Every step starts at a multiple of 64, so the fourth bytes keep their lanes.
    const __mmask64 keep = keepFourth ? __mmask64(0x8888888888888888ULL) : __mmask64(0);
    int i = 0;
    for (; i + 64 <= n; i += 64) {
        const __m512i index = _mm512_loadu_si512(s + i);
        _mm512_storeu_si512(d + i, lookup64(index, t0, t1, t2, t3, keep));
    }
    if (i < n) {
        // The tail through masked loads and stores, which touch no byte beyond the row.
        const __mmask64 tail = (__mmask64(1) << (n - i)) - 1;
        const __m512i index = _mm512_maskz_loadu_epi8(tail, s + i);
        _mm512_mask_storeu_epi8(d + i, tail, lookup64(index, t0, t1, t2, t3, keep));
    }
}

#endif

}  // namespace

bool TableMapUsesVectors() {
#ifdef VELLUMO_X86_INTRINSICS
    return cpuHasVbmi() && !forceScalar.load(std::memory_order_relaxed);
#else
    return false;
#endif
}

void ForceScalarTableMap(bool on) {
    forceScalar.store(on, std::memory_order_relaxed);
}

void MapBytesThroughTable(const std::uint8_t* s, std::uint8_t* d, int n, const std::uint8_t* table,
                          bool keepFourth) {
    if (n <= 0) return;
#ifdef VELLUMO_X86_INTRINSICS
    if (TableMapUsesVectors()) return mapVbmi(s, d, n, table, keepFourth);
#endif
    mapScalar(s, d, n, table, keepFourth);
}
