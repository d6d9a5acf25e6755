#include "document/stream/Extended80.h"

#include <gtest/gtest.h>
#include <QByteArray>

#include <bit>
#include <cmath>
#include <limits>
#include <random>

namespace {
QByteArray bytesOf(const Extended80& e) {
    return QByteArray(reinterpret_cast<const char*>(e.bytes().data()), 10).toHex().toUpper();
}
}  // namespace

TEST(Extended80, KnownEncodings) {
    // 1.0: significand 8000000000000000, exponent 3FFF.
    EXPECT_EQ(bytesOf(Extended80::fromDouble(1.0)), "0000000000000080FF3F");
    EXPECT_EQ(bytesOf(Extended80::fromDouble(-2.0)), "000000000000008000C0");
    EXPECT_EQ(bytesOf(Extended80::fromDouble(1.5)), "00000000000000C0FF3F");
    EXPECT_EQ(bytesOf(Extended80::fromDouble(0.0)), "00000000000000000000");
    EXPECT_EQ(bytesOf(Extended80::fromDouble(-0.0)), "00000000000000000080");
    EXPECT_EQ(bytesOf(Extended80::fromDouble(std::numeric_limits<double>::infinity())),
              "0000000000000080FF7F");
}

TEST(Extended80, DoublesSurviveBothWays) {
    const double samples[] = {1.0,
                              -1.0,
                              0.1,
                              3.141592653589793,
                              1e308,
                              -1e-308,
                              std::numeric_limits<double>::max(),
                              std::numeric_limits<double>::min(),
                              std::numeric_limits<double>::denorm_min(),
                              4.9406564584124654e-320,
                              std::numeric_limits<double>::infinity(),
                              -std::numeric_limits<double>::infinity()};
    for (double d : samples) {
        const Extended80 e = Extended80::fromDouble(d);
        EXPECT_EQ(std::bit_cast<uint64_t>(e.toDouble()), std::bit_cast<uint64_t>(d)) << d;
        EXPECT_TRUE(e.isDoubleExact());
    }
    std::mt19937_64 rng(42);
    for (int i = 0; i < 20000; ++i) {
        uint64_t bits = rng();
        const double d = std::bit_cast<double>(bits);
        if (std::isnan(d)) continue;
        EXPECT_EQ(std::bit_cast<uint64_t>(Extended80::fromDouble(d).toDouble()), bits);
    }
    EXPECT_TRUE(std::isnan(Extended80::fromDouble(std::nan("")).toDouble()));
    EXPECT_TRUE(std::signbit(Extended80::fromDouble(-0.0).toDouble()));
}

TEST(Extended80, RoundsToNearestEven) {
    // 1 + 2^-53 is halfway between 1 and the next double: ties go to even (1.0).
    const uint64_t one = uint64_t(1) << 63;
    EXPECT_EQ(Extended80::fromParts(false, 0x3FFF, one | (uint64_t(1) << 10)).toDouble(), 1.0);
    // Just above halfway rounds up.
    EXPECT_EQ(Extended80::fromParts(false, 0x3FFF, one | (uint64_t(1) << 10) | 1).toDouble(),
              std::nextafter(1.0, 2.0));
    // Halfway above an odd significand rounds up to even.
    const uint64_t odd = one | (uint64_t(1) << 11);
    EXPECT_EQ(Extended80::fromParts(false, 0x3FFF, odd | (uint64_t(1) << 10)).toDouble(),
              1.0 + 2 * std::ldexp(1.0, -52));
    // All-ones significand carries into the exponent.
    EXPECT_EQ(Extended80::fromParts(false, 0x3FFF, ~uint64_t(0)).toDouble(), 2.0);
    EXPECT_FALSE(Extended80::fromParts(false, 0x3FFF, one | 1).isDoubleExact());
}

TEST(Extended80, RangeEdges) {
    const uint64_t one = uint64_t(1) << 63;
    EXPECT_EQ(Extended80::fromParts(false, 0x3FFF + 1024, one).toDouble(),
              std::numeric_limits<double>::infinity());
    EXPECT_EQ(Extended80::fromParts(true, 0x3FFF + 1024, one).toDouble(),
              -std::numeric_limits<double>::infinity());
    EXPECT_EQ(Extended80::fromParts(false, 0x3FFF - 1074, one).toDouble(),
              std::numeric_limits<double>::denorm_min());
    // Half the smallest subnormal is a tie that goes to even: zero.
    EXPECT_EQ(Extended80::fromParts(false, 0x3FFF - 1075, one).toDouble(), 0.0);
    EXPECT_EQ(Extended80::fromParts(false, 0x3FFF - 1075, one | 1).toDouble(),
              std::numeric_limits<double>::denorm_min());
    EXPECT_EQ(Extended80::fromParts(false, 1, one).toDouble(), 0.0);
    // An unnormal (integer bit clear) still has its value.
    EXPECT_EQ(Extended80::fromParts(false, 0x3FFF + 1, one >> 1).toDouble(), 1.0);
    EXPECT_TRUE(std::isnan(Extended80::fromParts(false, 0x7FFF, one | 1).toDouble()));
}

TEST(Extended80, ZeroTest) {
    EXPECT_TRUE(Extended80().isZero());
    EXPECT_TRUE(Extended80::fromDouble(-0.0).isZero());
    EXPECT_TRUE(Extended80::fromParts(false, 0x1234, 0).isZero());
    EXPECT_FALSE(Extended80::fromDouble(1e-300).isZero());
    EXPECT_FALSE(Extended80::fromParts(false, 0x7FFF, 0).isZero());
}
