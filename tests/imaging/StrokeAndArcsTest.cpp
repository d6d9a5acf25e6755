#include "imaging/Arcs.h"
#include "imaging/Stroke.h"
#include "tests/support/QtPrinters.h"

#include <gtest/gtest.h>

namespace {

using Pts = std::vector<std::pair<QPoint, int>>;

Pts entries(const TStroke& s) {
    Pts out;
    for (int i = 0; i < s.Count(); ++i) out.emplace_back(s.Point(i), s.Type(i));
    return out;
}

TEST(Stroke, SubdividingTheClosedSquareKeepsTheKnownResult) {
    TStroke s;
    s.Add({0, 0}, ptMoveTo);
    s.Add({20, 0}, ptLineTo);
    s.Add({20, 20}, ptLineTo);
    s.Add({0, 20}, ptLineToClose);
    s.SubdivideLines();
    const Pts expected = {{{0, 0}, 6},  {{0, 0}, 2},   {{8, 0}, 2},   {{16, 0}, 2},
                          {{20, 0}, 2}, {{20, 8}, 2},  {{20, 16}, 2}, {{20, 20}, 2},
                          {{12, 20}, 2}, {{4, 20}, 2}, {{0, 20}, 2},  {{0, 12}, 3}};
    EXPECT_EQ(entries(s), expected);
}

TEST(Stroke, SubdivisionKeepsRealVertices) {
    // A line followed by a curve keeps its end point, where the curve starts.
    TStroke s;
    s.Add({0, 0}, ptMoveTo);
    s.Add({10, 0}, ptLineTo);
    s.Add({12, 5}, ptBezierTo);
    s.Add({14, 5}, ptBezierTo);
    s.Add({16, 0}, ptBezierTo);
    s.Add({30, 0}, ptLineTo);  // the last entry of the list
    s.SubdivideLines();
    const Pts expected = {{{0, 0}, 6},  {{0, 0}, 2},  {{8, 0}, 2},  {{10, 0}, 2},
                          {{12, 5}, 4}, {{14, 5}, 4}, {{16, 0}, 4}, {{16, 0}, 2},
                          {{24, 0}, 2}, {{30, 0}, 2}};
    EXPECT_EQ(entries(s), expected);

    // A short closing edge keeps the corner that closes the figure.
    TStroke t;
    t.Add({0, 0}, ptMoveTo);
    t.Add({4, 0}, ptLineTo);
    t.Add({4, 4}, ptLineToClose);
    t.SubdivideLines();
    const Pts closed = {{{0, 0}, 6}, {{0, 0}, 2}, {{4, 0}, 2}, {{4, 4}, 3}};
    EXPECT_EQ(entries(t), closed);
}

TEST(Stroke, ShapePaths) {
    TStroke e;
    e.SetEllipsePath({0, 0, 100, 100});
    ASSERT_EQ(e.Count(), 13);
    EXPECT_EQ(e.Point(0), QPoint(100, 50));
    EXPECT_EQ(e.Point(1), QPoint(100, 22));
    EXPECT_EQ(e.Point(2), QPoint(78, 0));
    EXPECT_EQ(e.Type(12), ptBezierToClose);
    EXPECT_EQ(e.Bounds(), (TRect{0, 0, 100, 100}));

    TStroke r;
    r.SetRoundRectPath({0, 0, 100, 50}, 20);
    ASSERT_EQ(r.Count(), 21);
    EXPECT_EQ(r.Point(0), QPoint(100, 10));
    EXPECT_EQ(r.Point(1), QPoint(100, 4));  // e = 10, b = round(20 * 0.5522847 / 2) = 6
    EXPECT_EQ(r.Type(20), ptLineToClose);
    EXPECT_EQ(TStroke().Bounds(), TRect{});
}

TEST(Stroke, FlatteningSkipsRepeatedPixelsAndEmptyListsGiveADot) {
    platform::Mapping oneToOne;
    const auto dot = TStroke().Flatten(oneToOne);
    ASSERT_EQ(dot.size(), 1u);
    EXPECT_EQ(dot[0].points, (std::vector<QPoint>{{0, 0}, {0, 0}}));

    TStroke e;
    e.SetEllipsePath({0, 0, 10, 10});
    const auto figs = e.Flatten(oneToOne);
    ASSERT_EQ(figs.size(), 1u);
    EXPECT_TRUE(figs[0].closed);
    for (size_t i = 1; i + 1 < figs[0].points.size(); ++i) EXPECT_NE(figs[0].points[i], figs[0].points[i - 1]);
    EXPECT_LT(figs[0].points.size(), 60u);  // a small ellipse needs few pixels
    EXPECT_EQ(figs[0].points.back(), QPoint(10, 5));
}

TEST(Stroke, AntialiasedRectangleOutline) {
    TStroke s;
    s.SetRectPath({2, 2, 12, 8});
    QImage img(16, 12, QImage::Format_Grayscale8);
    img.fill(0);
    s.DrawAntialiased(img, platform::Mapping{});
    EXPECT_EQ(img.constScanLine(2)[7], 255);
    EXPECT_EQ(img.constScanLine(8)[2], 255);
    EXPECT_EQ(img.constScanLine(5)[7], 0);  // inside stays empty
}

TEST(Arcs, BulgeSignsAndCollinearPoints) {
    EXPECT_EQ(SignedBulge({0, 0}, {5, 0}, {10, 0}), 0);
    EXPECT_GT(SignedBulge({0, 0}, {5, -3}, {10, 0}), 0);
    EXPECT_LT(SignedBulge({0, 0}, {5, 3}, {10, 0}), 0);
    EXPECT_EQ(SignedBulge({0, 0}, {50, -50}, {100, 0}), 50);  // a half circle
    const TCircle c = Circumcentre({0, 0}, {3, 0}, {9, 0});
    EXPECT_EQ(c.Center, QPoint(4, 0));
    EXPECT_DOUBLE_EQ(c.Radius, 1.0);
}

TEST(Arcs, ChordAndBulgeAgreeWithThreePoints) {
    const QPoint s(0, 0), e(100, 0);
    const QPoint m = MiddleFromBulge(s, e, 50);
    EXPECT_EQ(m, QPoint(50, -50));
    TArcRec a;
    ASSERT_TRUE(ArcFromChord(s, e, 50, a));
    EXPECT_EQ(a.Radius, 50);
    EXPECT_EQ(QPoint(a.CenterX, a.CenterY), QPoint(50, 0));
    EXPECT_EQ(ArcStartPoint(a), s);
    EXPECT_EQ(ArcEndPoint(a), e);
    EXPECT_EQ(ArcMiddlePoint(a), QPoint(50, -50));
    EXPECT_EQ(ArcBounds(a), (TRect{0, -50, 100, 0}));
    EXPECT_FALSE(ArcFromChord({0, 0}, {0, 0}, 5, a));
    EXPECT_EQ(MiddleFromBulge(s, s, 10), s);
}

TEST(Arcs, ThinArcChoosesQuadraticOrPolyline) {
    // Bulge 20: the eight-piece quadratic through the middle point.
    ASSERT_EQ(SignedBulge({0, 0}, {60, -20}, {120, 0}), 20);
    const auto q = ThinArcPolyline({0, 0}, {60, -20}, {120, 0});
    ASSERT_EQ(q.size(), 9u);
    EXPECT_EQ(q[4], QPoint(60, -20));
    // Bulge 21 with a radius below 8000: the 2-degree polyline over the 77 degrees of arc;
    // its points are truncated, so the end lands within a pixel of E.
    ASSERT_EQ(SignedBulge({0, 0}, {60, -21}, {120, 0}), 21);
    const auto arc = ThinArcPolyline({0, 0}, {60, -21}, {120, 0});
    EXPECT_EQ(arc.size(), 39u);
    EXPECT_LE((arc.back() - QPoint(120, 0)).manhattanLength(), 2);
    TStroke s;
    s.AppendThreePointArc({0, 0}, {60, -21}, {120, 0});
    EXPECT_EQ(s.Point(0), QPoint(0, 0));
    EXPECT_EQ(s.Type(0), ptMoveTo);
    EXPECT_EQ(s.Count(), 39);
    EXPECT_EQ(s.Point(s.Count() - 1), QPoint(120, 0));  // appended arcs end exactly at E
}

TEST(Arcs, ThickArcIsAClosedBandAroundTheThinArc) {
    const auto band = ThickArcPolygon({0, 0}, {100, -60}, {200, 0}, 10);
    ASSERT_GT(band.size(), 10u);
    const auto quad = ThickArcPolygon({0, 0}, {100, -10}, {200, 0}, 10);
    ASSERT_EQ(quad.size(), 19u);  // start, nine points per side
    // The two sides lie about half the pen width either side of the curve's start.
    EXPECT_EQ(quad[0], quad[18]);
    EXPECT_LE(std::abs(quad[1].y() - quad[18].y()), 12);
}

}  // namespace

namespace {

TEST(StrokeOnCanvas, EmptyListInAPathIsOneZeroLengthSegment) {
    QImage img(4, 4, QImage::Format_RGB32);
    img.fill(0xFFFFFFFF);
    platform::Canvas c(img);
    TStroke().DrawAsPath(c);
    std::vector<QPoint> pts;
    std::vector<std::uint8_t> types;
    c.getPath(pts, types);
    EXPECT_EQ(pts, (std::vector<QPoint>{{0, 0}, {0, 0}}));
    EXPECT_EQ(types, (std::vector<std::uint8_t>{6, 2}));

    TStroke copy;
    copy.AppendPath(c);
    EXPECT_EQ(copy.Count(), 2);
    EXPECT_EQ(copy.Type(0), ptMoveTo);
}

TEST(StrokeOnCanvas, ClosedShapesDrawAndFillAsPaths) {
    QImage img(12, 12, QImage::Format_RGB32);
    img.fill(0xFFFFFFFF);
    platform::Canvas c(img);
    TStroke e;
    e.SetEllipsePath({1, 1, 11, 11});
    e.DrawAsPath(c);
    c.tools().brush.color = clBlack;
    c.tools().pen.style = platform::PenStyle::Clear;
    c.fillPath();
    EXPECT_EQ(img.pixel(6, 6), qRgb(0, 0, 0));
    EXPECT_EQ(img.pixel(1, 1), qRgb(255, 255, 255));  // outside the circle's corner
    EXPECT_EQ(img.pixel(10, 6), qRgb(0, 0, 0));

    // A thick arc drawn in a path fills a band around the arc.
    QImage band(220, 80, QImage::Format_RGB32);
    band.fill(0xFFFFFFFF);
    platform::Canvas b(band);
    b.tools().pen.width = 10;
    b.beginPath();
    DrawThickArc(b, {10, 60}, {110, 0}, {210, 60});
    b.endPath();
    EXPECT_EQ(b.tools().pen.width, 10);
    b.tools().brush.color = clBlack;
    b.fillPath();
    EXPECT_EQ(band.pixel(110, 2), qRgb(0, 0, 0));
    EXPECT_EQ(band.pixel(110, 30), qRgb(255, 255, 255));
}

}  // namespace
