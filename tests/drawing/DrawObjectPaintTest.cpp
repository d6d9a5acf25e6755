#include "drawing/FailureMarker.h"
#include "drawing/Pivot.h"
#include "tests/drawing/DrawTestSite.h"

#include <gtest/gtest.h>

namespace {

constexpr QRgb kWhite = 0xFFFFFFFF;
constexpr QRgb kRed = 0xFFFF0000;    // TColor 0x0000FF
constexpr QRgb kGreen = 0xFF00FF00;  // TColor 0x00FF00

// A canvas of 96 pixels per inch prepared in the site's logical units.
struct Target {
    explicit Target(platform::DeviceTechnology tech = platform::DeviceTechnology::Display)
        : image(200, 120, QImage::Format_RGB32), canvas(image, {96, 96, tech, {0, 0}}) {
        image.fill(kWhite);
        TScaler s;
        s.SetUnitDPI(96);
        s.PrepareCanvas(canvas);
    }
    QRgb at(int x, int y) const { return image.pixel(x, y) | 0xFF000000; }
    QImage image;
    TCanvas canvas;
};

TEST(DrawObjectPaint, AFailingObjectIsContainedAndTheOthersPaint) {
    TTestSite site;
    TTestRect below(QStringLiteral("Below"), {10, 10, 40, 40}, 0x0000FF);
    TTestRect broken(QStringLiteral("Broken"), {50, 10, 90, 40});
    TTestRect above(QStringLiteral("Above"), {100, 10, 140, 40}, 0x00FF00);
    broken.fail = true;
    site.Add(below);
    site.Add(broken);
    site.Add(above);

    site.PaintScreen();
    EXPECT_EQ(site.image.pixel(20, 20), kRed);
    EXPECT_EQ(site.image.pixel(120, 20), kGreen);
    EXPECT_EQ(site.image.pixel(70, 25), kWhite);  // nothing of the failed painting
    EXPECT_TRUE(broken.PaintFailed());
    EXPECT_FALSE(below.PaintFailed());
    // Reported once, after painting, with the object's message.
    EXPECT_EQ(site.errors, QStringList{QStringLiteral("Broken: 壊れています")});

    // From now on the object shows the marker on screen without trying again.
    broken.fail = false;
    const int paints = broken.paints;
    site.PaintScreen();
    EXPECT_EQ(broken.paints, paints);
    EXPECT_EQ(site.errors.size(), 1);
    EXPECT_EQ(site.image.pixel(50, 10), kRed);  // the marker's frame
    EXPECT_EQ(site.image.pixel(120, 20), kGreen);
    EXPECT_TRUE(broken.PaintFailed());

    // It still prints.
    Target printer(platform::DeviceTechnology::RasterPrinter);
    broken.PaintTo(printer.canvas);
    EXPECT_EQ(printer.at(70, 25), kRed);
    // Errors of PaintTo reach the caller, and the canvas is left as it was.
    broken.fail = true;
    const platform::Mapping before = printer.canvas.mapping();
    EXPECT_THROW(broken.PaintTo(printer.canvas), Exception);
    EXPECT_EQ(printer.canvas.mapping(), before);
    EXPECT_FALSE(printer.canvas.hasClip());
    EXPECT_THROW(broken.Canvas(), Exception);  // no canvas outside painting
}

TEST(DrawObjectPaint, ScreenPaintingDrawsTheBorderAndHonoursOpaqueObjectsAbove) {
    TTestSite site;
    TTestRect o(QStringLiteral("O"), {10, 10, 40, 40});
    TTestRect cover(QStringLiteral("Cover"), {20, 10, 40, 40}, 0x00FF00);
    o.SetBorder(true);
    site.Add(o);
    site.PaintScreen();
    EXPECT_EQ(site.image.pixel(40, 25), 0xFF0000FF);  // blue frame on the control's right edge
    EXPECT_EQ(site.image.pixel(25, 25), kRed);

    site.Add(cover);
    cover.SetOpaque(true);
    cover.SetVisible(false);
    site.PaintScreen();
    EXPECT_EQ(site.image.pixel(25, 25), kRed);
    cover.SetVisible(true);
    cover.fail = true;  // paints nothing, yet hides what lies below it
    site.PaintScreen();
    EXPECT_EQ(site.image.pixel(15, 25), kRed);
    EXPECT_EQ(site.image.pixel(25, 25), kWhite);
}

TEST(DrawObjectPaint, DontPrintObjectsAreSkippedOnPrintersOnly) {
    TTestSite site;
    TTestRect o(QStringLiteral("O"), {10, 10, 40, 40});
    o.SetDontPrint(true);
    site.Add(o);
    site.PaintScreen();
    EXPECT_EQ(site.image.pixel(20, 20), kRed);

    Target preview;
    o.PaintTo(preview.canvas);
    EXPECT_EQ(preview.at(20, 20), kRed);
    Target printer(platform::DeviceTechnology::RasterPrinter);
    o.PaintTo(printer.canvas);
    EXPECT_EQ(printer.at(20, 20), kWhite);
    EXPECT_EQ(o.paints, 2);
}

TEST(DrawObjectPaint, PaintToClipsToTheBoundsAndSkipsInvisibleObjects) {
    TTestRect o(QStringLiteral("O"), {10, 10, 40, 40});
    Target t;
    t.canvas.intersectClipRect({0, 0, 100, 5});
    o.PaintTo(t.canvas);
    EXPECT_EQ(o.paints, 0);  // nothing of it inside the clip
    t.canvas.selectClip(std::nullopt);
    o.PaintTo(t.canvas);
    EXPECT_EQ(o.paints, 1);
    EXPECT_EQ(o.lastCanvas, &t.canvas);
    EXPECT_FALSE(o.PaintingCopy());
}

TEST(DrawObjectPaint, BlendedPainting) {
    // At 100 percent without shading the ordinary path paints on the target itself.
    TTestRect o(QStringLiteral("O"), {10, 10, 40, 40});
    o.blends = true;
    EXPECT_FALSE(o.NeedsBlend());
    Target plain;
    o.PaintTo(plain.canvas);
    EXPECT_EQ(o.lastCanvas, &plain.canvas);
    EXPECT_EQ(plain.at(20, 20), kRed);

    // Shading alone goes through the blender: the object paints offscreen, fully opaque.
    o.SetBlendShade(true);
    EXPECT_TRUE(o.NeedsBlend());
    Target shaded;
    o.PaintTo(shaded.canvas);
    EXPECT_NE(o.lastCanvas, &shaded.canvas);
    EXPECT_EQ(shaded.at(20, 20), kRed);
    EXPECT_EQ(shaded.at(45, 20), kWhite);

    // Half opacity mixes with what is below; the blend stays inside the clip region.
    o.SetBlendShade(false);
    o.SetBlendRatio(50);
    Target half;
    half.canvas.intersectClipRect({0, 0, 25, 120});
    o.PaintTo(half.canvas);
    const QRgb mixed = half.at(20, 20);
    EXPECT_EQ(qRed(mixed), 255);
    EXPECT_NEAR(qGreen(mixed), 128, 2);
    EXPECT_NEAR(qBlue(mixed), 128, 2);
    EXPECT_EQ(half.at(27, 20), kWhite);  // inside the blended part, outside the clip

    // A type that does not answer the blend facet never blends.
    o.blends = false;
    EXPECT_FALSE(o.NeedsBlend());
}

TEST(DrawObjectPaint, PivotsShowWhetherTheirObjectIsLocked) {
    TTestSite site;
    auto o = std::make_unique<TTestRect>(QStringLiteral("O"), TRect{10, 10, 40, 40});
    site.Add(*o);
    TLabelPivot handle(o.get(), 7, Qt::SizeFDiagCursor);
    EXPECT_EQ(handle.Size(), 6);
    handle.SetBounds({50, 50, 56, 56});
    handle.SetParent(&site);
    site.PaintScreen();
    EXPECT_EQ(site.image.pixel(50, 50), kWhite);       // white frame
    EXPECT_EQ(site.image.pixel(52, 52), 0xFF000000u);  // black inside
    EXPECT_EQ(handle.Cursor(), Qt::SizeFDiagCursor);

    o->SetMovable(false);
    site.PaintScreen();
    EXPECT_EQ(site.image.pixel(50, 50), 0xFF000000u);  // the plain look
    EXPECT_EQ(site.image.pixel(52, 52), kWhite);
    EXPECT_EQ(handle.Cursor(), Qt::ArrowCursor);

    handle.MouseDown(Qt::LeftButton, Qt::NoModifier, {1, 1}, false);
    EXPECT_EQ(site.presses, QStringList{QStringLiteral("O 51,51 7")});
    o.reset();  // the handle outlives its object without reaching it
    EXPECT_EQ(handle.Object(), nullptr);
    handle.MouseDown(Qt::LeftButton, Qt::NoModifier, {1, 1}, false);
    EXPECT_EQ(site.presses.size(), 1);
}

}  // namespace
