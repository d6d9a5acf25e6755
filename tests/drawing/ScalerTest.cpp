#include "document/stream/ComponentStream.h"
#include "document/stream/Component.h"
#include "drawing/Scaler.h"
#include "platform/Exception.h"

#include <gtest/gtest.h>

namespace {

QImage white(int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(0xFFFFFFFF);
    return img;
}

TEST(Scaler, TenInchesOnEveryDevice) {
    TScaler s;
    s.SetUnitDPI(254);
    for (int dpi : {96, 254, 360, 600, 720}) {
        QImage img = white(1, 1);
        TCanvas c(img, {dpi, dpi});
        EXPECT_EQ(s.LogToDev(c, {2540, 2540}), QPoint(10 * dpi, 10 * dpi));
        EXPECT_EQ(s.DevToLog(c, {10 * dpi, 0}), QPoint(2540, 0));
        s.PrepareCanvas(c);
        EXPECT_EQ(c.toDevice(QPoint(2540, 254)), QPoint(10 * dpi, dpi));
    }
}

TEST(Scaler, RectanglesAlwaysCover) {
    TScaler s;
    s.SetUnitDPI(254);
    EXPECT_EQ(s.LogRectToDev(96, {0, 0, 1, 1}), (TRect{0, 0, 1, 1}));
    EXPECT_EQ(s.LogRectToDev(96, {10, 10, 20, 20}), (TRect{3, 3, 8, 8}));  // 3.78 .. 7.56
    // Partly off the face: left and top still round down.
    EXPECT_EQ(s.LogRectToDev(96, {-10, -1, 5, 5}), (TRect{-4, -1, 2, 2}));
    s.SetScale(200);
    EXPECT_EQ(s.LogRectToDev(600, {0, 0, 127, 127}), (TRect{0, 0, 600, 600}));
}

TEST(Scaler, ChangesAreReportedOnlyWhenTheyHappen) {
    TScaler s;
    int changes = 0;
    s.OnChange = [&] { ++changes; };
    s.SetScale(100);
    EXPECT_EQ(changes, 0);
    s.SetScale(150);
    s.SetUnitDPI(254);
    EXPECT_EQ(changes, 2);
    TScaler other;
    other.SetScale(75);
    s.Assign(other);
    EXPECT_EQ(changes, 3);
    EXPECT_EQ(s.Scale(), 75);
    EXPECT_EQ(s.UnitDPI(), other.UnitDPI());

    // A scale or resolution below 1 would make every conversion divide by zero.
    s.SetScale(0);
    s.SetUnitDPI(-5);
    EXPECT_EQ(s.Scale(), 1);
    EXPECT_EQ(s.UnitDPI(), 1);
    QImage img(4, 4, QImage::Format_RGB32);
    TCanvas c(img);
    EXPECT_EQ(s.DevToLog(c, QPoint(96, 0)).x(), 100);
}

TEST(Scaler, PrepareKeepsAChildControlOffsetAndReducesTheRatio) {
    QImage img = white(10, 10);
    TCanvas c(img, {600, 600});
    c.setViewportOrigin({30, 40});  // the origin moved to paint a child control
    TScaler s;
    s.SetUnitDPI(254);
    s.PrepareCanvas(c);
    EXPECT_EQ(c.mapping().windowExtent, QSize(127, 127));
    EXPECT_EQ(c.mapping().viewportExtent, QSize(300, 300));
    EXPECT_EQ(c.toDevice(QPoint(0, 0)), QPoint(30, 40));
    EXPECT_EQ(c.toDevice(QPoint(254, 0)), QPoint(630, 40));
    // Points keep their size: 12 points at 254 units per inch.
    c.tools().font.pixelsPerInch = 600;
    c.tools().font.setSize(12);
    s.PrepareCanvas(c);
    EXPECT_EQ(c.tools().font.pixelsPerInch, 254);
    EXPECT_EQ(c.tools().font.height, -42);
    EXPECT_EQ(c.tools().font.size(), 12);
}

}  // namespace

namespace {

TEST(Scaler, AssignmentAcceptsOnlyScalers) {
    TScaler s;
    TComponent other;
    EXPECT_THROW(s.Assign(other), Exception);
    EXPECT_EQ(s.Properties().size(), 2u);
    EXPECT_EQ(s.Properties().entries()[0].name, "Scale");
    EXPECT_EQ(s.Properties().entries()[0].defaultValue, 100);
}

}  // namespace
