#include "imaging/QuadMap.h"
#include "platform/Geometry.h"
#include "tests/support/QtPrinters.h"

#include <gtest/gtest.h>

namespace {

QImage numbered(int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) img.setPixel(x, y, qRgb(x * 10, y * 10, 77));
    return img;
}

TEST(RotatePoint, ClockwiseOnThePageWithHalfAwayRounding) {
    EXPECT_EQ(RotatePoint({10, 0}, 90), QPoint(0, 10));
    EXPECT_EQ(RotatePoint({10, 0}, -90), QPoint(0, -10));
    EXPECT_EQ(RotatePoint({10, 5}, 180), QPoint(-10, -5));
    EXPECT_EQ(RotatePoint({1, 0}, 45), QPoint(1, 1));     // 0.707 rounds up
    EXPECT_EQ(RotatePoint({-1, 0}, 45), QPoint(-1, -1));  // and away from zero
}

TEST(QuadMap, IdentityAndQuarterTurns) {
    const QImage src = numbered(6, 4);
    const QImage same = Rotate(src, 0, qRgb(255, 255, 255), 6, 4);
    EXPECT_EQ(same, src);

    const QImage turned = Rotate(src, 90, qRgb(255, 255, 255), 6, 4);
    ASSERT_EQ(turned.size(), QSize(4, 6));
    // Clockwise: the source's top-left ends at the result's top-right.
    EXPECT_EQ(turned.pixel(3, 0), src.pixel(0, 0));
    EXPECT_EQ(turned.pixel(0, 0), src.pixel(0, 3));
    EXPECT_EQ(turned.pixel(0, 5), src.pixel(5, 3));

    const QImage scaled = Rotate(src, 0, qRgb(255, 255, 255), 12, 8);
    EXPECT_EQ(scaled.size(), QSize(12, 8));
    EXPECT_EQ(scaled.pixel(11, 7), src.pixel(5, 3));
    EXPECT_EQ(scaled.pixel(2, 2), src.pixel(1, 1));
}

TEST(QuadMap, TurnedPicturesLeaveBackgroundCorners) {
    QImage src(40, 40, QImage::Format_BGR888);
    src.fill(QColor(0, 0, 0));
    const QImage r = Rotate(src, 45, qRgb(255, 255, 255), 40, 40);
    EXPECT_LE(std::abs(r.width() - r.height()), 1);  // corners are rounded separately
    EXPECT_EQ(r.pixel(0, 0), qRgb(255, 255, 255));
    EXPECT_EQ(r.pixel(r.width() - 1, r.height() - 1), qRgb(255, 255, 255));
    EXPECT_EQ(r.pixel(r.width() / 2, r.height() / 2), qRgb(0, 0, 0));
}

TEST(QuadMap, PlacementFormatsAndBadInput) {
    QImage grey(4, 4, QImage::Format_Grayscale8);
    grey.fill(100);
    const TQuadMapResult r = MapQuadrilateral(grey, grey.rect(), {QPoint(-5, 10), QPoint(5, 10), QPoint(5, 20), QPoint(-5, 20)}, qRgb(0, 0, 0));
    EXPECT_EQ(r.topLeft, QPoint(-5, 10));
    EXPECT_EQ(r.image.format(), QImage::Format_Grayscale8);
    EXPECT_EQ(r.image.size(), QSize(10, 10));
    EXPECT_EQ(r.image.constScanLine(5)[5], 100);

    QImage mono(4, 4, QImage::Format_Mono);
    EXPECT_TRUE(MapQuadrilateral(mono, mono.rect(), {QPoint(0, 0), QPoint(4, 0), QPoint(4, 4), QPoint(0, 4)}, 0).image.isNull());
    EXPECT_TRUE(MapQuadrilateral(QImage(), QRect(), {}, 0).image.isNull());
}

}  // namespace
