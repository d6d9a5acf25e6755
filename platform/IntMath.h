#pragma once
// Integer arithmetic with the rounding rules the drawing code relies on.

#include <cstdint>

namespace platform {

// a * b / c in 64-bit precision, rounded to nearest with halves away from zero; -1 when c
// is 0 or the result does not fit 32 bits (the Windows MulDiv contract).
int mulDiv(int a, int b, int c);

// The low 32 bits of a 64-bit result as a signed integer: what 32-bit arithmetic gives
// for sums of untrusted stored values, without the undefined overflow.
constexpr int wrap32(std::int64_t v) {
    return static_cast<int>(static_cast<std::int32_t>(v));
}
constexpr int wrapSum(int a, int b) {
    return wrap32(std::int64_t(a) + b);
}

// Division rounding towards minus infinity / plus infinity (b != 0).
constexpr std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
    const std::int64_t q = a / b;
    return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}
constexpr std::int64_t ceilDiv(std::int64_t a, std::int64_t b) {
    return -floorDiv(-a, b);
}

// a / b rounded to nearest, halves towards plus infinity (floor(a / b + 1/2)); b != 0.
constexpr std::int64_t roundDiv(std::int64_t a, std::int64_t b) {
    return b < 0 ? floorDiv(-2 * a - b, -2 * b) : floorDiv(2 * a + b, 2 * b);
}

// Greatest common divisor of two non-negative numbers (gcd(0, 0) = 0).
constexpr std::int64_t gcd(std::int64_t a, std::int64_t b) {
    while (b != 0) {
        const std::int64_t t = a % b;
        a = b;
        b = t;
    }
    return a < 0 ? -a : a;
}

}  // namespace platform
