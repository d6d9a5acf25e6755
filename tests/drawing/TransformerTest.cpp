#include "drawing/Transformer.h"

#include <gtest/gtest.h>

namespace {

QPoint turned(const TRotator& r, QPoint p) {
    r.TransformPoint(p);
    return p;
}

TEST(Rotator, TurnsClockwiseOnThePageAndRoundsHalfAwayFromZero) {
    TRotator r;
    r.SetAngle(90);
    EXPECT_EQ(turned(r, {10, 0}), QPoint(0, 10));  // right of the centre goes below it
    EXPECT_EQ(turned(r, {0, 10}), QPoint(-10, 0));
    r.SetAngle(-90);
    EXPECT_EQ(turned(r, {10, 0}), QPoint(0, -10));
    r.SetAngle(450);
    EXPECT_EQ(r.Angle(), 450);
    EXPECT_EQ(turned(r, {7, 3}), QPoint(-3, 7));

    // 30 degrees: (2, 0) becomes (1.73, 1.00); mirrored points round away from zero alike.
    r.SetAngle(30);
    EXPECT_EQ(turned(r, {2, 0}), QPoint(2, 1));
    EXPECT_EQ(turned(r, {-2, 0}), QPoint(-2, -1));
    // (1, 0) at 45 degrees is (0.71, 0.71); (3, 0) at 10 degrees is (2.95, 0.52).
    r.SetAngle(45);
    EXPECT_EQ(turned(r, {1, 0}), QPoint(1, 1));
    EXPECT_EQ(turned(r, {-1, 0}), QPoint(-1, -1));
    r.SetAngle(10);
    EXPECT_EQ(turned(r, {3, 0}), QPoint(3, 1));
    EXPECT_EQ(turned(r, {-3, 0}), QPoint(-3, -1));

    // About another centre.
    r.SetAngle(180);
    r.SetCenter({100, 50});
    EXPECT_EQ(turned(r, {110, 55}), QPoint(90, 45));

    TRotator copy;
    copy.Assign(r);
    EXPECT_EQ(turned(copy, {110, 55}), QPoint(90, 45));
    EXPECT_EQ(copy.Angle(), 180);
}

TEST(Rotator, TransformsEveryPointOfAStrokeInOrder) {
    TStroke s;
    s.Add({10, 0}, ptMoveTo);
    s.Add({10, 10}, ptLineTo);
    s.Add({0, 10}, ptBezierToClose);
    TRotator r;
    r.SetAngle(90);
    r.TransformStroke(s);
    ASSERT_EQ(s.Count(), 3);
    EXPECT_EQ(s.Point(0), QPoint(0, 10));
    EXPECT_EQ(s.Point(1), QPoint(-10, 10));
    EXPECT_EQ(s.Point(2), QPoint(-10, 0));
    EXPECT_EQ(s.Type(0), ptMoveTo);
    EXPECT_EQ(s.Type(2), ptBezierToClose);
}

}  // namespace
