#include "drawing/CanvasUtils.h"
#include "drawing/CoordMap.h"
#include "drawing/MemoryCanvas.h"
#include "drawing/OffscreenBitmap.h"
#include "platform/Exception.h"
#include "tests/support/QtPrinters.h"

#include <gtest/gtest.h>

namespace {

QImage white(int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(0xFFFFFFFF);
    return img;
}

// 254 logical units per inch on a 600 dpi canvas, with a device offset of (7, 3).
void prepare(TCanvas& c) {
    c.setMapMode(platform::MapMode::Anisotropic);
    c.setWindowExtent({127, 127});
    c.setViewportExtent({300, 300});
    c.setViewportOrigin({7, 3});
}

TEST(CoordMap, RestoreFoldsTheWindowOriginIntoTheViewport) {
    QImage img = white(10, 10);
    TCanvas c(img, {600, 600});
    prepare(c);
    c.setWindowOrigin({127, 0});
    const QPoint before = c.toDevice(QPoint(200, 50));
    TCoordMap m;
    m.Save(c);
    TCoordMap::ResetMapping(c);
    EXPECT_EQ(c.mapping().mode, platform::MapMode::Text);
    m.Restore(c);
    EXPECT_EQ(c.mapping().windowOrigin, QPoint(0, 0));
    EXPECT_EQ(c.mapping().viewportOrigin, QPoint(7 - 300, 3));
    EXPECT_EQ(c.toDevice(QPoint(200, 50)), before);
}

TEST(OffscreenBitmap, DrawsOnTheSamePixelsAsTheCanvas) {
    QImage img = white(300, 200);
    TCanvas c(img, {600, 600});
    prepare(c);
    c.tools().brush.color = clBlack;
    c.fillRect({20, 10, 40, 30}, c.tools().brush);

    auto bmp = CreateOffscreenBitmap(c, {10, 5, 60, 40}, 0, true);
    EXPECT_EQ(bmp->LogicalRect, (TRect{10, 5, 60, 40}));
    EXPECT_EQ(bmp->DeviceRect, c.toDevice(TRect{10, 5, 60, 40}));
    EXPECT_EQ(bmp->Image.size(), QSize(bmp->DeviceRect.Width(), bmp->DeviceRect.Height()));
    // The background was copied, and a logical point lands on the matching pixel.
    const QPoint onCanvas = c.toDevice(QPoint(25, 15));
    const QPoint onBitmap = bmp->Canvas().toDevice(QPoint(25, 15));
    EXPECT_EQ(onBitmap, onCanvas - QPoint(bmp->DeviceRect.Left, bmp->DeviceRect.Top));
    EXPECT_EQ(bmp->Image.pixel(onBitmap), qRgb(0, 0, 0));

    // The clip box limits what is covered.
    c.intersectClipRect({0, 0, 30, 30});
    auto clipped = CreateOffscreenBitmap(c, {10, 5, 60, 40}, 5, false);
    EXPECT_EQ(clipped->LogicalRect, (TRect{10, 5, 35, 35}));
}

TEST(CanvasSavers, PutStateBackOnce) {
    QImage img = white(10, 10);
    TCanvas c(img);
    c.tools().pen.color = clBlack;
    c.tools().font.pixelsPerInch = 96;
    {
        auto saver = SaveCanvas(c, true);
        c.tools().pen.color = clWhite;
        c.tools().font.pixelsPerInch = 254;
        c.intersectClipRect({0, 0, 2, 2});
        prepare(c);
    }
    EXPECT_EQ(c.tools().pen.color, clBlack);
    EXPECT_EQ(c.tools().font.pixelsPerInch, 96);
    EXPECT_FALSE(c.hasClip());
    EXPECT_EQ(c.mapping().mode, platform::MapMode::Text);
    {
        auto clip = SaveClip(c);
        c.selectClip(QRegion());
    }
    EXPECT_FALSE(c.hasClip());
    {
        auto locked = LockCanvas(c);
        auto again = LockCanvas(c);  // recursive on one thread
        EXPECT_TRUE(HasDIBSection(c));
    }
}

class Band : public TMemoryCanvas {
public:
    QImage& GetBitmapHandle() override { return picture; }
    QImage picture = white(4, 4);
};

TEST(MemoryCanvas, ReportsItsReferenceOrOverrideResolution) {
    Band band;
    EXPECT_EQ(GetCanvasDPI(band.Canvas()), ScreenDPI());
    EXPECT_FALSE(IsPrinterCanvas(band.Canvas()));
    band.SetPixelsPerInch(254);
    EXPECT_FALSE(band.HandleAllocated());
    EXPECT_EQ(GetCanvasDPI(band.Canvas()), 254);
    band.SetPixelsPerInch(0);
    band.SetReferenceDevice(platform::DeviceDescriptor{360, 360, platform::DeviceTechnology::RasterPrinter});
    EXPECT_EQ(GetCanvasDPI(band.Canvas()), 360);
    EXPECT_TRUE(IsPrinterCanvas(band.Canvas()));

    QImage other = white(8, 8);
    band.SelectBitmap(other);
    EXPECT_EQ(band.Canvas().image().size(), QSize(8, 8));
    TBitmapRelatedDC related(band.Canvas());
    EXPECT_TRUE(related.IsValid());
    EXPECT_EQ(&related.Bitmap(), &other);
    try {
        related.SetBitmap(QImage());
        FAIL();
    } catch (const Exception& e) {
        EXPECT_EQ(e.message(), "TDCRelatedBitmap cannot change");
    }
    EXPECT_EQ(GetCanvasDC(band.Canvas()).technology, platform::DeviceTechnology::RasterPrinter);

    // Deselecting lets the picture go while the canvas keeps its state.
    band.Canvas().setMapMode(platform::MapMode::Anisotropic);
    band.DeselectBitmap();
    EXPECT_NE(&band.Canvas().image(), &other);
    EXPECT_EQ(band.Canvas().image().size(), QSize(1, 1));
    EXPECT_EQ(band.Canvas().mapping().mode, platform::MapMode::Anisotropic);
    band.SelectBitmap(band.picture);
    EXPECT_EQ(&band.Canvas().image(), &band.picture);
}

}  // namespace
