#include "document/stream/Extended80.h"

#include <QtEndian>
#include <bit>
#include <cstring>

namespace {
constexpr int kExtBias = 16383;
constexpr int kDoubleBias = 1023;

// x / 2^shift rounded to nearest, ties to even.
uint64_t roundShift(uint64_t x, int shift) {
    if (shift <= 0) return x;
    if (shift > 64) return 0;
    const uint64_t q = shift == 64 ? 0 : x >> shift;
    const uint64_t rem = shift == 64 ? x : x & ((uint64_t(1) << shift) - 1);
    const uint64_t half = uint64_t(1) << (shift - 1);
    if (rem > half || (rem == half && (q & 1))) return q + 1;
    return q;
}

double fromBits(uint64_t bits) {
    return std::bit_cast<double>(bits);
}
}  // namespace

Extended80 Extended80::fromParts(bool negative, uint16_t exponent, uint64_t significand) {
    Extended80 e;
    const uint16_t top = uint16_t((exponent & 0x7FFF) | (negative ? 0x8000 : 0));
    qToLittleEndian(significand, e.bytes_.data());
    qToLittleEndian(top, e.bytes_.data() + 8);
    return e;
}

Extended80 Extended80::fromBytes(const uint8_t* bytes) {
    Extended80 e;
    std::memcpy(e.bytes_.data(), bytes, 10);
    return e;
}

uint64_t Extended80::significand() const {
    return qFromLittleEndian<uint64_t>(bytes_.data());
}

uint16_t Extended80::exponent() const {
    return qFromLittleEndian<uint16_t>(bytes_.data() + 8) & 0x7FFF;
}

Extended80 Extended80::fromDouble(double value) {
    const uint64_t bits = std::bit_cast<uint64_t>(value);
    const bool neg = (bits >> 63) != 0;
    const int exp = int((bits >> 52) & 0x7FF);
    const uint64_t mant = bits & ((uint64_t(1) << 52) - 1);
    if (exp == 0x7FF) {
        // Infinity keeps only the integer bit; a NaN keeps its payload and quiet bit.
        return fromParts(neg, 0x7FFF, (uint64_t(1) << 63) | (mant << 11));
    }
    if (exp == 0) {
        if (mant == 0) return fromParts(neg, 0, 0);
        const int top = 63 - std::countl_zero(mant);  // highest set bit, 0..51
        return fromParts(neg, uint16_t(top - 1074 + kExtBias), mant << (63 - top));
    }
    return fromParts(neg, uint16_t(exp - kDoubleBias + kExtBias),
                     (uint64_t(1) << 63) | (mant << 11));
}

double Extended80::toDouble() const {
    const bool neg = negative();
    const uint64_t signBit = neg ? uint64_t(1) << 63 : 0;
    const int exp = exponent();
    uint64_t sig = significand();
    if (exp == 0x7FFF) {
        const uint64_t fraction = sig & ~(uint64_t(1) << 63);
        if (fraction == 0) return fromBits(signBit | (uint64_t(0x7FF) << 52));
        uint64_t payload = fraction >> 11;
        payload |= uint64_t(1) << 51;  // a NaN stays a NaN
        return fromBits(signBit | (uint64_t(0x7FF) << 52) | payload);
    }
    if (sig == 0) return fromBits(signBit);
    // value = sig * 2^e2; normalise so that bit 63 is set.
    int e2 = (exp == 0 ? 1 : exp) - kExtBias - 63;
    const int lz = std::countl_zero(sig);
    sig <<= lz;
    e2 -= lz;
    const int e = e2 + 63;  // value = 1.f * 2^e
    if (e > kDoubleBias) return fromBits(signBit | (uint64_t(0x7FF) << 52));
    if (e >= -1022) {
        uint64_t m = roundShift(sig, 11);
        int ee = e;
        if (m == (uint64_t(1) << 53)) {
            m >>= 1;
            ++ee;
            if (ee > kDoubleBias) return fromBits(signBit | (uint64_t(0x7FF) << 52));
        }
        return fromBits(signBit | (uint64_t(ee + kDoubleBias) << 52) |
                        (m & ((uint64_t(1) << 52) - 1)));
    }
    // Subnormal: the result is m * 2^-1074. A rounding carry into bit 52 gives the
    // smallest normal number, whose bit pattern is that same m.
    const int shift = -1074 - e2;
    return fromBits(signBit | roundShift(sig, shift));
}
