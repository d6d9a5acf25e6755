// Painting colour fills: solid fills with hatches and inversion, stretched and tiled
// bitmaps, gradations, swatches.

#include "imaging/color/ColorFill.h"
#include "imaging/color/TiledFill.h"
#include "imaging/picture/PictureEx.h"
#include "imaging/picture/SafetyBitmap.h"
#include "platform/canvas/Canvas.h"

#include <gtest/gtest.h>

namespace {

constexpr TColor kRed = 0x0000FF, kBlue = 0xFF0000;

// A w x 2 tile whose columns have distinct colours (column c: red = 10 c + 5).
QImage columnTile(int w) {
    QImage t(w, 2, QImage::Format_RGB32);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < w; ++x) t.setPixel(x, y, qRgb(10 * x + 5, 100 + y, 50));
    return t;
}

}  // namespace

TEST(ColorFill, SolidHatchInversionAndToolsKept) {
    QImage img(40, 40, QImage::Format_RGB32);
    img.fill(Qt::white);
    platform::Canvas canvas(img);
    canvas.tools().brush.color = 0x123456;
    canvas.tools().copyMode = platform::SRCAND;

    TColorSpec fill;
    fill.SetColor(kRed);
    fill.Fill(canvas, {0, 0, 20, 20});
    EXPECT_EQ(img.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(img.pixel(19, 19), qRgb(255, 0, 0));
    EXPECT_EQ(img.pixel(20, 20), qRgb(255, 255, 255));
    EXPECT_EQ(canvas.tools().brush.color, 0x123456);
    EXPECT_EQ(canvas.tools().copyMode, platform::SRCAND);

    // Inverted: the colour XORs the destination; twice restores it.
    fill.FillInverted(canvas, {10, 10, 30, 30});
    EXPECT_EQ(img.pixel(25, 25), qRgb(0, 255, 255));
    EXPECT_EQ(img.pixel(15, 15), qRgb(0, 0, 0));
    fill.FillInverted(canvas, {10, 10, 30, 30});
    EXPECT_EQ(img.pixel(25, 25), qRgb(255, 255, 255));
    EXPECT_EQ(canvas.tools().copyMode, platform::SRCAND);

    // A hatch paints some pixels and leaves the rest; a clear style paints nothing.
    img.fill(Qt::white);
    fill.SetStyle(bsCross);
    fill.Fill(canvas, {0, 0, 40, 40});
    int painted = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x) painted += img.pixel(x, y) == qRgb(255, 0, 0);
    EXPECT_GT(painted, 0);
    EXPECT_LT(painted, 40 * 40 / 2);
    img.fill(Qt::white);
    fill.SetStyle(bsClear);
    fill.Fill(canvas, {0, 0, 40, 40});
    EXPECT_EQ(img.pixel(5, 5), qRgb(255, 255, 255));

    // Every canvas shows every colour exactly: only plain solid fills qualify.
    EXPECT_FALSE(fill.IsExactSolid(canvas));
    fill.SetStyle(bsSolid);
    EXPECT_TRUE(fill.IsExactSolid(canvas));
    fill.SetKind(cskGradation);
    EXPECT_FALSE(fill.IsExactSolid(canvas));
}

TEST(ColorFill, BitmapStretchedAndEmpty) {
    QImage img(30, 30, QImage::Format_RGB32);
    img.fill(Qt::white);
    platform::Canvas canvas(img);
    TColorSpec fill;
    fill.SetColor(kBlue);
    fill.SetKind(cskBitmap);  // no picture yet: solid
    fill.Fill(canvas, {0, 0, 10, 10});
    EXPECT_EQ(img.pixel(5, 5), qRgb(0, 0, 255));

    QImage two(2, 1, QImage::Format_RGB32);
    two.setPixel(0, 0, qRgb(255, 0, 0));
    two.setPixel(1, 0, qRgb(0, 255, 0));
    fill.SetBitmap(two);
    fill.Fill(canvas, {10, 10, 30, 30});
    EXPECT_EQ(img.pixel(12, 25), qRgb(255, 0, 0));
    EXPECT_EQ(img.pixel(28, 12), qRgb(0, 255, 0));
    fill.FillInverted(canvas, {10, 10, 30, 30});
    EXPECT_EQ(img.pixel(12, 25), qRgb(0, 0, 0));
}

TEST(ColorFill, TilesWithAndWithoutShift) {
    // Small rectangles draw tile by tile, large ones in blocks: both give the same tiles.
    for (int w : {4, 5}) {
        const QImage tile = columnTile(w);
        TPictureEx picture;
        picture.SetGraphic(std::make_unique<TSafetyBitmap>(tile));
        for (QSize area : {QSize(3 * w, 6), QSize(900, 700)}) {
            for (bool shift : {false, true}) {
                QImage img(area, QImage::Format_RGB32);
                img.fill(Qt::black);
                platform::Canvas canvas(img);
                DrawTiles(canvas, {0, 0, area.width(), area.height()}, picture, tile.size(), shift);
                const int offset = (w + 1) / 2;
                for (int y = 0; y < area.height(); y += 1 + area.height() / 17) {
                    const bool shifted = shift && (y / 2) % 2 == 1;
                    for (int x = 0; x < area.width(); x += 1 + area.width() / 23) {
                        const int col = (x + (shifted ? offset : 0)) % w;
                        ASSERT_EQ(img.pixel(x, y), tile.pixel(col, y % 2))
                            << "w " << w << " area " << area.width() << " shift " << shift << " at "
                            << x << "," << y;
                    }
                }
            }
        }
    }

    // Through the fill: the second row starts half a tile further left.
    TColorSpec fill;
    fill.SetBitmap(columnTile(4));
    fill.SetKind(cskBitmap);
    fill.SetTile(true);
    fill.SetTileShift(true);
    QImage img(16, 4, QImage::Format_RGB32);
    platform::Canvas canvas(img);
    fill.Fill(canvas, {0, 0, 16, 4});
    EXPECT_EQ(img.pixel(0, 0), qRgb(5, 100, 50));
    EXPECT_EQ(img.pixel(0, 2), qRgb(25, 100, 50));  // column 2 of the tile
    EXPECT_EQ(img.pixel(2, 3), qRgb(5, 101, 50));
}

TEST(ColorFill, GradationAndPreview) {
    QImage img(64, 32, QImage::Format_RGB32);
    platform::Canvas canvas(img);
    TColorSpec fill;
    fill.SetKind(cskGradation);
    fill.GradColors()->SetList({kRed});
    fill.Fill(canvas, {0, 0, 64, 32});
    EXPECT_EQ(img.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(img.pixel(63, 31), qRgb(255, 0, 0));
    // Top to bottom, enlarged from the cells: the first colour on the first row.
    fill.GradColors()->SetList({kRed, kBlue});
    fill.SetGradAngle(0);
    QImage big(64, 256, QImage::Format_RGB32);
    platform::Canvas bc(big);
    fill.Fill(bc, {0, 0, 64, 256});
    EXPECT_EQ(big.pixel(40, 0), qRgb(255, 0, 0));
    EXPECT_GE(qBlue(big.pixel(40, 255)), 250);
    EXPECT_LE(qRed(big.pixel(40, 255)), 5);
    EXPECT_NEAR(qRed(big.pixel(10, 128)), 128, 3);

    // A clear swatch shows the checkerboard.
    TColorSpec clear;
    clear.SetStyle(bsClear);
    clear.Preview(canvas, {0, 0, 64, 32});
    EXPECT_EQ(img.pixel(1, 1), qRgb(255, 255, 255));
    EXPECT_EQ(img.pixel(9, 1), qRgb(128, 128, 128));
    EXPECT_EQ(img.pixel(9, 9), qRgb(255, 255, 255));
    EXPECT_EQ(img.pixel(1, 9), qRgb(128, 128, 128));

    // A tiled swatch: a 4 x 2 tile in a 50-wide swatch becomes 20 x 10.
    TColorSpec tiled;
    QImage tile(4, 2, QImage::Format_RGB32);
    tile.fill(Qt::black);
    tile.setPixel(0, 0, qRgb(255, 0, 0));
    tiled.SetBitmap(tile);
    tiled.SetKind(cskBitmap);
    tiled.SetTile(true);
    QImage sw(50, 30, QImage::Format_RGB32);
    platform::Canvas sc(sw);
    tiled.Preview(sc, {0, 0, 50, 30});
    EXPECT_EQ(sw.pixel(4, 4), qRgb(255, 0, 0));
    EXPECT_EQ(sw.pixel(5, 4), qRgb(0, 0, 0));
    EXPECT_EQ(sw.pixel(24, 4), qRgb(255, 0, 0));
    EXPECT_EQ(sw.pixel(4, 14), qRgb(255, 0, 0));
}
