#include "imaging/QuadMap.h"
#include "platform/Geometry.h"
#include "tests/support/QtPrinters.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

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
    const TQuadMapResult r = MapQuadrilateral(
        grey, grey.rect(), {QPoint(-5, 10), QPoint(5, 10), QPoint(5, 20), QPoint(-5, 20)},
        qRgb(0, 0, 0));
    EXPECT_EQ(r.topLeft, QPoint(-5, 10));
    EXPECT_EQ(r.image.format(), QImage::Format_Grayscale8);
    EXPECT_EQ(r.image.size(), QSize(10, 10));
    EXPECT_EQ(r.image.constScanLine(5)[5], 100);

    QImage mono(4, 4, QImage::Format_Mono);
    EXPECT_TRUE(MapQuadrilateral(mono, mono.rect(),
                                 {QPoint(0, 0), QPoint(4, 0), QPoint(4, 4), QPoint(0, 4)}, 0)
                    .image.isNull());
    EXPECT_TRUE(MapQuadrilateral(QImage(), QRect(), {}, 0).image.isNull());
}

}  // namespace

namespace {

// The mapping done the plain way, for comparison: per row the span between the edges, per
// pixel the 16.16 texture position clamped to the rectangle.
QImage referenceMap(const QImage& src, const QRect& rect, const std::array<QPoint, 4>& t,
                    QRgb background) {
    int minX = t[0].x(), maxX = minX, minY = t[0].y(), maxY = minY;
    for (QPoint p : t) {
        minX = std::min(minX, p.x()), maxX = std::max(maxX, p.x());
        minY = std::min(minY, p.y()), maxY = std::max(maxY, p.y());
    }
    QImage out(maxX - minX, maxY - minY, src.format());
    out.fill(QColor::fromRgb(background));
    const double tex[4][2] = {
        {double(rect.left()), double(rect.top())},
        {double(rect.left() + rect.width()), double(rect.top())},
        {double(rect.left() + rect.width()), double(rect.top() + rect.height())},
        {double(rect.left()), double(rect.top() + rect.height())}};
    const int bpp = src.depth() / 8;
    for (int y = 0; y < out.height(); ++y) {
        const double cy = y + 0.5;
        std::vector<std::array<double, 3>>
            hits;  // x, u, v where the row's centre line meets an edge
        for (int e = 0; e < 4; ++e) {
            const double ax = t[size_t(e)].x() - minX, ay = t[size_t(e)].y() - minY;
            const double bx = t[size_t((e + 1) % 4)].x() - minX,
                         by = t[size_t((e + 1) % 4)].y() - minY;
            if (ay == by || cy < std::min(ay, by) || cy >= std::max(ay, by)) continue;
            const double f = (cy - ay) / (by - ay);
            const double* ta = tex[e];
            const double* tb = tex[(e + 1) % 4];
            hits.push_back(
                {ax + f * (bx - ax), ta[0] + f * (tb[0] - ta[0]), ta[1] + f * (tb[1] - ta[1])});
        }
        if (hits.empty()) continue;
        auto left = hits[0], right = hits[0];
        for (const auto& h : hits) {
            if (h[0] < left[0]) left = h;
            if (h[0] > right[0]) right = h;
        }
        if (right[0] <= left[0]) continue;
        const int x0 = std::max(0, int(std::ceil(left[0] - 0.5)));
        const int x1 = std::min(out.width() - 1, int(std::floor(right[0] - 0.5)));
        const double span = right[0] - left[0];
        const double f0 = (x0 + 0.5 - left[0]) / span;
        std::int64_t u = std::llround((left[1] + f0 * (right[1] - left[1])) * 65536);
        std::int64_t v = std::llround((left[2] + f0 * (right[2] - left[2])) * 65536);
        const std::int64_t du = std::llround((right[1] - left[1]) / span * 65536);
        const std::int64_t dv = std::llround((right[2] - left[2]) / span * 65536);
        for (int x = x0; x <= x1; ++x, u += du, v += dv) {
            const int sx = std::clamp(int(u >> 16), rect.left(), rect.right());
            const int sy = std::clamp(int(v >> 16), rect.top(), rect.bottom());
            std::memcpy(out.scanLine(y) + x * bpp, src.constScanLine(sy) + sx * bpp, size_t(bpp));
        }
    }
    return out;
}

TEST(QuadMap, AgreesWithThePlainMappingAtManyAnglesAndShapes) {
    for (QImage::Format f : {QImage::Format_Grayscale8, QImage::Format_RGB16, QImage::Format_BGR888,
                             QImage::Format_RGB32}) {
        QImage src(37, 23, f);
        for (int y = 0; y < src.height(); ++y)
            for (qsizetype i = 0; i < src.bytesPerLine(); ++i)
                src.scanLine(y)[i] = uchar(i * 7 + y * 13);
        const QRect rect(3, 2, 30, 19);
        for (double degrees = -180; degrees < 360; degrees += 13.7) {
            SCOPED_TRACE(testing::Message() << "format " << f << " angle " << degrees);
            const std::array<QPoint, 4> corners{
                RotatePoint({0, 0}, degrees), RotatePoint({45, 0}, degrees),
                RotatePoint({45, 31}, degrees), RotatePoint({0, 31}, degrees)};
            const QImage ours = MapQuadrilateral(src, rect, corners, qRgb(255, 255, 255)).image;
            EXPECT_EQ(ours, referenceMap(src, rect, corners, qRgb(255, 255, 255)));
        }
        // Shapes that are not parallelograms, and a mapping that shrinks strongly.
        for (const std::array<QPoint, 4>& q :
             {std::array<QPoint, 4>{QPoint(5, 0), QPoint(60, 9), QPoint(41, 50), QPoint(0, 33)},
              std::array<QPoint, 4>{QPoint(0, 0), QPoint(9, 1), QPoint(8, 6), QPoint(1, 5)},
              std::array<QPoint, 4>{QPoint(30, 0), QPoint(31, 40), QPoint(29, 41),
                                    QPoint(0, 20)}}) {
            const QImage ours = MapQuadrilateral(src, rect, q, qRgb(0, 0, 0)).image;
            EXPECT_EQ(ours, referenceMap(src, rect, q, qRgb(0, 0, 0)));
        }
    }
}

}  // namespace
