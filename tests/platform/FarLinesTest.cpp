#include "platform/canvas/FarLines.h"
#include "platform/canvas/Scanline.h"

#include <gtest/gtest.h>
#include <random>
#include <tuple>

using namespace platform;

TEST(FarLines, WalkWithinGivesTheFullWalksPixelsAndDashPositions) {
    // Lines of every direction, near and far, against a small limit: the pixels inside it
    // come in the same order with the same dash positions, and the count ends the same.
    std::mt19937 random(7);
    std::uniform_int_distribution<int> far(-5000, 5000), near(-8, 48);
    const QRect limit(0, 0, 40, 30);
    for (int n = 0; n < 3000; ++n) {
        const bool reach = n % 2 == 0;
        const QPoint a(reach ? far(random) : near(random), reach ? far(random) : near(random));
        const QPoint b(far(random) / (n % 3 + 1), near(random));
        using Pixel = std::tuple<int, int, std::uint32_t>;
        std::vector<Pixel> full, within;
        std::uint32_t counter = 3;
        walkLine(a, b, [&](int x, int y) {
            if (limit.contains(x, y)) full.emplace_back(x, y, counter);
            ++counter;
        });
        const std::uint32_t fullCount = counter;
        counter = 3;
        walkLineWithin(a, b, limit, counter, [&](int x, int y) {
            if (limit.contains(x, y)) within.emplace_back(x, y, counter);
            ++counter;
        });
        ASSERT_EQ(within, full) << a.x() << "," << a.y() << " " << b.x() << "," << b.y();
        ASSERT_EQ(counter, fullCount);
    }
}

TEST(FarLines, PolylinesCutToTheBoxKeepTheirDistances) {
    const QRectF box(0, 0, 100, 100);
    // Entirely inside: the line as it is, still closed.
    const auto whole = clipPolyline({{10, 10}, {90, 10}, {50, 90}}, true, box);
    ASSERT_EQ(whole.size(), 1u);
    EXPECT_TRUE(whole[0].closed);
    // A line leaving and coming back: two open pieces, the second resuming at the distance
    // the line has run by then.
    const auto cut = clipPolyline({{50, 50}, {50, -1000}, {60, -1000}, {60, 50}}, false, box);
    ASSERT_EQ(cut.size(), 2u);
    EXPECT_EQ(cut[0].points, (std::vector<QPointF>{{50, 50}, {50, 0}}));
    EXPECT_EQ(cut[1].points, (std::vector<QPointF>{{60, 0}, {60, 50}}));
    EXPECT_NEAR(cut[1].along, 1050 + 10 + 1000, 1e-9);
    EXPECT_FALSE(cut[1].closed);
    // Nothing near the box: nothing.
    EXPECT_TRUE(clipPolyline({{-500, -500}, {-400, 900}}, false, box).empty());
}
