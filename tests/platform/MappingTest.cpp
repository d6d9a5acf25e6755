#include "platform/IntMath.h"
#include "platform/canvas/Mapping.h"

#include <gtest/gtest.h>

using namespace platform;

TEST(IntMath, MulDivRoundsHalvesAwayFromZero) {
    EXPECT_EQ(mulDiv(5, 1, 2), 3);
    EXPECT_EQ(mulDiv(-5, 1, 2), -3);
    EXPECT_EQ(mulDiv(5, -1, 2), -3);
    EXPECT_EQ(mulDiv(7, 1, 3), 2);
    EXPECT_EQ(mulDiv(2540, 600, 254), 6000);
    EXPECT_EQ(mulDiv(1 << 30, 1 << 30, 1 << 30), 1 << 30);  // 64-bit intermediate
    EXPECT_EQ(mulDiv(1, 1, 0), -1);
    EXPECT_EQ(mulDiv(1 << 30, 8, 1), -1);  // does not fit
    EXPECT_EQ(mulDiv(-(1 << 30), 2, 1), -2147483647 - 1);
}

TEST(IntMath, FloorCeilAndRoundDivisionWithNegatives) {
    EXPECT_EQ(floorDiv(-7, 2), -4);
    EXPECT_EQ(floorDiv(7, -2), -4);
    EXPECT_EQ(floorDiv(-8, 2), -4);
    EXPECT_EQ(ceilDiv(-7, 2), -3);
    EXPECT_EQ(ceilDiv(7, 2), 4);
    EXPECT_EQ(roundDiv(5, 2), 3);
    EXPECT_EQ(roundDiv(-5, 2), -2);  // halves towards plus infinity
    EXPECT_EQ(roundDiv(-7, 3), -2);
    EXPECT_EQ(roundDiv(5, -2), -2);
    EXPECT_EQ(gcd(600 * 100, 254 * 100), 200);
}

TEST(Mapping, TextModeOnlyMovesOrigins) {
    Mapping m;
    m.windowOrigin = {10, 20};
    m.viewportOrigin = {3, 4};
    EXPECT_EQ(m.toDevice(QPoint(10, 20)), QPoint(3, 4));
    EXPECT_EQ(m.toLogical(QPoint(3, 4)), QPoint(10, 20));
    EXPECT_FALSE(m.setWindowExtent({5, 5}));
    EXPECT_EQ(m.lengthToDevice(17), 17);
}

TEST(Mapping, AnisotropicScalesAndRounds) {
    // 254 logical units per inch on a 600 dpi device: extents reduced to 127 : 300.
    Mapping m;
    m.mode = MapMode::Anisotropic;
    ASSERT_TRUE(m.setWindowExtent({127, 127}));
    ASSERT_TRUE(m.setViewportExtent({300, 300}));
    EXPECT_EQ(m.toDevice(QPoint(2540, 254)), QPoint(6000, 600));
    EXPECT_EQ(m.toDevice(QPoint(1, -1)), QPoint(2, -2));  // 2.36 and -2.36
    EXPECT_EQ(m.lengthToDevice(127), 300);
    EXPECT_EQ(m.toLogical(QPoint(6000, 600)), QPoint(2540, 254));
    EXPECT_FALSE(m.setViewportExtent({0, 1}));

    // Origins: the window origin maps onto the viewport origin.
    m.windowOrigin = {100, 100};
    m.viewportOrigin = {-5, 7};
    EXPECT_EQ(m.toDevice(QPoint(100, 100)), QPoint(-5, 7));
    EXPECT_EQ(m.toDevice(QRect(100, 100, 254, 127)), QRect(-5, 7, 600, 300));
}

TEST(Mapping, NegativeExtentsFlipAndRectanglesStayNormalised) {
    Mapping m;
    m.mode = MapMode::Anisotropic;
    m.setWindowExtent({1, 1});
    m.setViewportExtent({2, -2});
    EXPECT_EQ(m.toDevice(QPoint(3, 3)), QPoint(6, -6));
    EXPECT_EQ(m.toDevice(QRect(0, 0, 3, 3)), QRect(0, -6, 6, 6));
}
