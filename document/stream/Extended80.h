#pragma once
// The 80-bit extended-precision float of component streams, kept as its 10 raw bytes
// (little-endian: 8-byte significand with explicit integer bit, then sign bit and
// 15-bit exponent, bias 16383). Keeping the bytes means a value read and written
// again is unchanged even where no double can hold it. Conversion from double is
// exact; conversion to double rounds to nearest, ties to even.

#include <array>
#include <cstdint>

class Extended80 {
public:
    Extended80() = default;  // +0
    static Extended80 fromDouble(double value);
    static Extended80 fromBytes(const uint8_t* bytes);
    static Extended80 fromParts(bool negative, uint16_t exponent, uint64_t significand);

    double toDouble() const;
    const std::array<uint8_t, 10>& bytes() const { return bytes_; }

    uint64_t significand() const;
    uint16_t exponent() const;  // biased, 15 bits
    bool negative() const { return (bytes_[9] & 0x80) != 0; }
    // +0, -0, and zero significands of any exponent all count as zero.
    bool isZero() const { return significand() == 0 && exponent() != 0x7FFF; }
    // True when toDouble() gives this value exactly (so fromDouble(toDouble()) == *this).
    bool isDoubleExact() const { return fromDouble(toDouble()) == *this; }

    bool operator==(const Extended80& other) const = default;

private:
    std::array<uint8_t, 10> bytes_{};
};
