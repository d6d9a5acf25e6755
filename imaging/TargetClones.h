#pragma once
// Marks a hot loop function to be built for AVX-512 and AVX2 as well as for the baseline,
// the best one being picked when the program loads. Only for code whose results do not
// depend on the instruction set (integer arithmetic, or floating point without fused
// multiply-adds).

#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
#define VELLUMO_TARGET_CLONES __attribute__((target_clones("arch=x86-64-v4", "avx2", "default")))
#else
#define VELLUMO_TARGET_CLONES
#endif
