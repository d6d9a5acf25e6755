#include "platform/canvas/ArcShapes.h"
#include "platform/canvas/Canvas.h"

#include <gtest/gtest.h>

using namespace platform;

namespace {

QImage blank(int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(0xFFFFFFFF);
    return img;
}

bool isWhite(const QImage& img, int x, int y) {
    return img.pixel(x, y) == 0xFFFFFFFF;
}

}  // namespace

TEST(ArcShapes, PieChordAndArcCoverTheirQuarters) {
    // The box 0..40: start on the right (3 o'clock), end at the top (12 o'clock).
    QImage p = blank(40, 40);
    Canvas pc(p);
    pc.tools().brush.color = clBlack;
    pie(pc, {0, 0, 40, 40}, {40, 20}, {20, 0});
    EXPECT_FALSE(isWhite(p, 30, 10));  // upper right quarter filled
    EXPECT_TRUE(isWhite(p, 10, 10));
    EXPECT_TRUE(isWhite(p, 30, 30));
    EXPECT_TRUE(isWhite(p, 37, 3));  // outside the circle

    // Clockwise the same rays give the other three quarters.
    QImage cw = blank(40, 40);
    Canvas cc(cw);
    cc.tools().brush.color = clBlack;
    pie(cc, {0, 0, 40, 40}, {40, 20}, {20, 0}, true);
    EXPECT_TRUE(isWhite(cw, 30, 10));
    EXPECT_FALSE(isWhite(cw, 10, 10));
    EXPECT_FALSE(isWhite(cw, 30, 30));

    // A chord cuts along the line between the ends: the centre stays outside.
    QImage ch = blank(40, 40);
    Canvas chc(ch);
    chc.tools().brush.color = clBlack;
    chord(chc, {0, 0, 40, 40}, {40, 20}, {20, 0});
    EXPECT_FALSE(isWhite(ch, 33, 7));
    EXPECT_TRUE(isWhite(ch, 22, 18));

    // An arc draws only the curve and keeps the current position.
    QImage a = blank(40, 40);
    Canvas ac(a);
    ac.moveTo({5, 35});
    arc(ac, {0, 0, 40, 40}, {40, 20}, {20, 0});
    EXPECT_FALSE(isWhite(a, 34, 6) && isWhite(a, 33, 6) && isWhite(a, 34, 5));
    EXPECT_TRUE(isWhite(a, 30, 10));
    EXPECT_EQ(ac.currentPosition(), QPoint(5, 35));
    arcTo(ac, {0, 0, 40, 40}, {40, 20}, {20, 0});
    EXPECT_EQ(ac.currentPosition(), QPoint(20, 0));
    EXPECT_FALSE(isWhite(a, 12, 32));  // on the line from (5, 35) to the arc's start
}

TEST(ArcShapes, EqualRaysGiveTheWholeEllipse) {
    const std::vector<QPointF> pts = arcPoints(QRectF(0, 0, 100, 50), {100, 25}, {100, 25}, false);
    ASSERT_GT(pts.size(), 8u);
    EXPECT_NEAR(pts.front().x(), 100, 1e-9);
    EXPECT_NEAR(pts.back().x(), 100, 1e-9);
    EXPECT_NEAR(pts[pts.size() / 2].x(), 0, 0.1);  // half way round: the left end
    EXPECT_LE(pts.size(), 4097u);
}
