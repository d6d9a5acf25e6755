#include "imaging/FaceInfo.h"
#include "tests/support/QtPrinters.h"

#include <gtest/gtest.h>

namespace {

TFaceInfo cd(int w = 1200, int h = 1200) {
    TFaceInfo f;
    f.FaceRect = {100, 200, 100 + w, 200 + h};
    f.FaceShape = fsDoughnut;
    return f;
}

TEST(FaceInfo, DerivedRectangles) {
    TFaceInfo f = cd();
    EXPECT_TRUE(f.HasHole());
    EXPECT_EQ(f.HoleRect(), (TRect{100 + 395, 200 + 395, 100 + 805, 200 + 805}));
    EXPECT_EQ(f.OuterRect(), f.FaceRect);
    f.FaceMargin = 20;
    EXPECT_EQ(f.OuterRect(), (TRect{80, 180, 1320, 1420}));
    EXPECT_EQ(f.HoleOutlineRect(), (TRect{100 + 415, 200 + 415, 100 + 785, 200 + 785}));
    f.SetFromOuterRect({0, 0, 1000, 500});
    EXPECT_EQ(f.FaceRect, (TRect{20, 20, 980, 480}));
    f.SetSquareHole(220);
    EXPECT_EQ(f.CutCenterWidth, 220);
    EXPECT_EQ(f.CutCenterHeight, 220);
    EXPECT_EQ(FaceShapeNames().at(fsBarrelCD), "樽CDラベル");
}

TEST(FaceInfo, OlderFaceTypes) {
    TFaceInfo f;
    f.SetFromOldFaceType(5);
    EXPECT_EQ(f.FaceShape, fsRect);
    EXPECT_EQ(f.FacePurpose, "MOSquare");
    f.SetFromOldFaceType(1);
    EXPECT_EQ(f.FaceShape, fsDoughnut);
    EXPECT_EQ(f.FacePurpose, "CD");
    f.SetFromOldFaceType(8);
    EXPECT_EQ(f.FaceShape, fsDoughnut);
    EXPECT_EQ(f.FacePurpose, "CD");
    f.SetFromOldFaceType(7);
    EXPECT_EQ(f.FaceShape, fsRoundRect);
    EXPECT_TRUE(f.FacePurpose.isEmpty());
}

TEST(FaceInfo, BarrelOutlinesFlatEdgesAndArcs) {
    const TStroke wide = BarrelOutline({0, 0, 1200, 800});
    // Flat edges from 600 - sqrt(600^2 - 400^2) = 152.8 to 1047.2.
    EXPECT_EQ(wide.Point(0), QPoint(153, 800));
    EXPECT_EQ(wide.Type(0), ptMoveTo);
    // The arcs reach the middles of the sides (their 2-degree points are truncated).
    const TRect b = wide.Bounds();
    EXPECT_LE(b.Left, 1);
    EXPECT_GE(b.Right, 1199);
    bool topJoin = false;
    for (int i = 1; i < wide.Count(); ++i) {
        EXPECT_NE(wide.Type(i), ptMoveTo);  // one figure
        if (wide.Point(i) == QPoint(1047, 0)) topJoin = true;
    }
    EXPECT_TRUE(topJoin);

    const TStroke tall = BarrelOutline({0, 0, 800, 1200});
    EXPECT_EQ(tall.Point(0), QPoint(0, 153));
    EXPECT_LE(tall.Bounds().Top, 1);
    EXPECT_GE(tall.Bounds().Bottom, 1199);
}

TEST(FaceInfo, RegionsWithAndWithoutHole) {
    TFaceInfo f = cd();
    const QRegion full = f.Region(nullptr, false);
    const QRegion holed = f.Region(nullptr, true);
    const QPoint centre(700, 800);
    EXPECT_TRUE(full.contains(centre));
    EXPECT_FALSE(holed.contains(centre));
    EXPECT_TRUE(holed.contains(QPoint(700, 250)));
    EXPECT_FALSE(full.contains(QPoint(110, 210)));  // outside the circle

    // On a 96 dpi canvas mapped from 254 units per inch.
    QImage img(500, 600, QImage::Format_RGB32);
    platform::Canvas c(img, {96, 96});
    c.setMapMode(platform::MapMode::Anisotropic);
    c.setWindowExtent({127, 127});
    c.setViewportExtent({48, 48});
    const QRegion dev = f.Region(&c, true);
    EXPECT_TRUE(dev.contains(c.toDevice(QPoint(700, 250))));
    EXPECT_FALSE(dev.contains(c.toDevice(centre)));

    TFaceInfo r;
    r.FaceRect = {0, 0, 1000, 600};
    r.FaceShape = fsRoundRect;
    EXPECT_FALSE(r.Region(nullptr, true).contains(QPoint(2, 2)));
    EXPECT_TRUE(r.Region(nullptr, true).contains(QPoint(500, 2)));
    r.FaceShape = fsRect;
    EXPECT_TRUE(r.Region(nullptr, true).contains(QPoint(0, 0)));
    r.FaceRect = {};
    EXPECT_TRUE(r.Region(nullptr, true).isEmpty());
}

TEST(FaceInfo, TrimLineOnlyWithABleed) {
    QImage img(140, 140, QImage::Format_RGB32);
    img.fill(0xFFFFFFFF);
    platform::Canvas c(img);
    c.tools().brush.style = platform::BrushStyle::Clear;
    TFaceInfo f;
    f.FaceRect = {20, 20, 120, 120};
    f.DrawTrimLine(c, false);
    EXPECT_EQ(img, [] {
        QImage w(140, 140, QImage::Format_RGB32);
        w.fill(0xFFFFFFFF);
        return w;
    }());
    f.FaceMargin = 10;
    f.DrawTrimLine(c, false);
    EXPECT_EQ(img.pixel(20, 50), qRgb(0, 0, 0));
    f.DrawOutline(c, true, true);  // outer rectangle moved to (0, 0), cross at the centre
    EXPECT_EQ(img.pixel(0, 50), qRgb(0, 0, 0));
    EXPECT_EQ(img.pixel(60, 60 - 30), qRgb(0, 0, 0));
}

}  // namespace
