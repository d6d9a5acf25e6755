#include "platform/canvas/Canvas.h"
#include "tests/support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace platform;

namespace {

QImage blank(int w, int h, QRgb fill = 0xFFFFFFFF) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(fill);
    return img;
}

// The pixels of `img` that differ from white, as a string of rows ('#' painted, '.' not).
std::string picture(const QImage& img) {
    std::string s;
    for (int y = 0; y < img.height(); ++y) {
        for (int x = 0; x < img.width(); ++x) s += img.pixel(x, y) == 0xFFFFFFFF ? '.' : '#';
        s += '\n';
    }
    return s;
}

int painted(const QImage& img) {
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) n += img.pixel(x, y) != 0xFFFFFFFF;
    return n;
}

TEST(Canvas, RectanglesLeaveRightAndBottomEdges) {
    QImage img = blank(8, 6);
    Canvas c(img);
    c.tools().brush.color = clBlack;
    c.fillRect({1, 1, 4, 3}, c.tools().brush);
    EXPECT_EQ(picture(img),
              "........\n"
              ".###....\n"
              ".###....\n"
              "........\n"
              "........\n"
              "........\n");

    QImage r = blank(8, 6);
    Canvas rc(r);
    rc.tools().pen.color = platform::makeColor(255, 0, 0);
    rc.tools().brush.color = platform::makeColor(0, 0, 255);
    rc.rectangle({1, 1, 6, 5});  // pen on the border, brush inside: 5 x 4 in all
    EXPECT_EQ(picture(r),
              "........\n"
              ".#####..\n"
              ".#####..\n"
              ".#####..\n"
              ".#####..\n"
              "........\n");
    EXPECT_EQ(r.pixel(1, 1), qRgb(255, 0, 0));
    EXPECT_EQ(r.pixel(5, 4), qRgb(255, 0, 0));
    EXPECT_EQ(r.pixel(3, 2), qRgb(0, 0, 255));

    // Without a pen the filled area is one pixel smaller each way.
    QImage n = blank(8, 6);
    Canvas nc(n);
    nc.tools().pen.style = PenStyle::Clear;
    nc.tools().brush.color = clBlack;
    nc.rectangle({1, 1, 6, 5});
    EXPECT_EQ(painted(n), 4 * 3);
    EXPECT_EQ(n.pixel(5, 1), 0xFFFFFFFF);
}

TEST(Canvas, LinesOmitTheirLastPoint) {
    QImage img = blank(8, 3);
    Canvas c(img);
    c.moveTo({0, 1});
    c.lineTo({5, 1});
    EXPECT_EQ(picture(img),
              "........\n"
              "#####...\n"
              "........\n");
    EXPECT_EQ(c.currentPosition(), QPoint(5, 1));
    c.lineTo({5, 1});  // zero length: nothing
    EXPECT_EQ(painted(img), 5);

    // A closed polygon outline paints every vertex once.
    QImage p = blank(5, 5);
    Canvas pc(p);
    pc.tools().brush.style = BrushStyle::Clear;
    pc.polygon({{0, 0}, {4, 0}, {4, 4}, {0, 4}});
    EXPECT_EQ(painted(p), 16);
}

TEST(Canvas, PolygonFillFollowsPixelCentres) {
    QImage img = blank(6, 6);
    Canvas c(img);
    c.tools().pen.style = PenStyle::Clear;
    c.tools().brush.color = clBlack;
    c.polygon({{0, 0}, {4, 0}, {0, 4}});
    // The hypotenuse passes through pixel centres; those count as right edges.
    EXPECT_EQ(picture(img),
              "###...\n"
              "##....\n"
              "#.....\n"
              "......\n"
              "......\n"
              "......\n");
}

TEST(Canvas, MappingAtCommonResolutions) {
    for (int dpi : {96, 254, 600}) {
        QImage img = blank(dpi + 10, 20);
        Canvas c(img, {dpi, dpi});
        c.setMapMode(MapMode::Anisotropic);
        c.setWindowExtent({254, 254});
        c.setViewportExtent({dpi, dpi});
        c.tools().brush.color = clBlack;
        c.fillRect({0, 0, 254, 10}, c.tools().brush);  // one inch wide, 1 mm high
        int row = 0;
        for (int x = 0; x < img.width(); ++x) row += img.pixel(x, 0) != 0xFFFFFFFF;
        EXPECT_EQ(row, dpi) << dpi;
        EXPECT_EQ(c.toDevice(QPoint(2540, 0)).x(), dpi * 10);
    }
}

TEST(Canvas, ClippingNoneEmptyAndCombined) {
    QImage img = blank(10, 10);
    Canvas c(img);
    c.tools().brush.color = clBlack;
    EXPECT_FALSE(c.hasClip());
    EXPECT_EQ(c.clipBox(), (TRect{0, 0, 10, 10}));
    c.selectClip(QRegion());  // an empty clip region: nothing is visible
    EXPECT_TRUE(c.hasClip());
    c.fillRect({0, 0, 10, 10}, c.tools().brush);
    EXPECT_EQ(painted(img), 0);

    c.selectClip(std::nullopt);
    c.intersectClipRect({2, 2, 8, 8});
    c.excludeClipRect({4, 4, 6, 6});
    EXPECT_EQ(c.clipBox(), (TRect{2, 2, 8, 8}));
    c.fillRect({0, 0, 10, 10}, c.tools().brush);
    EXPECT_EQ(painted(img), 36 - 4);
    EXPECT_EQ(img.pixel(4, 4), 0xFFFFFFFF);
    EXPECT_EQ(c.pixel({1, 1}), 0u);  // outside the clip
}

TEST(Canvas, SaveAndRestoreTheWholeState) {
    QImage img = blank(10, 10);
    Canvas c(img);
    c.tools().pen.color = clBlack;
    const int level = c.save();
    EXPECT_EQ(level, 1);
    c.tools().pen.color = clWhite;
    c.setMapMode(MapMode::Anisotropic);
    c.setViewportExtent({2, 2});
    c.intersectClipRect({0, 0, 2, 2});
    c.save();
    c.tools().mix = Rop2::XorPen;
    EXPECT_TRUE(c.restore(level));  // back past both saves
    EXPECT_EQ(c.tools().pen.color, clBlack);
    EXPECT_EQ(c.tools().mix, Rop2::CopyPen);
    EXPECT_EQ(c.mapping().mode, MapMode::Text);
    EXPECT_FALSE(c.hasClip());
    EXPECT_FALSE(c.restore());
}

TEST(Canvas, XorPenDrawnTwiceRestores) {
    QImage img = blank(10, 10, qRgb(10, 200, 30));
    const QImage before = img.copy();
    Canvas c(img);
    c.tools().mix = Rop2::XorPen;
    c.tools().pen.color = clWhite;
    c.tools().pen.style = PenStyle::Dot;
    c.tools().brush.style = BrushStyle::Clear;
    c.rectangle({1, 1, 9, 9});
    EXPECT_NE(img, before);
    c.rectangle({1, 1, 9, 9});
    EXPECT_EQ(img, before);
}

// Every operation that ignores the pattern, from 32-bit, 24-bit and monochrome sources, gives
// each pixel what the operation's table says for that pixel's source and destination.
TEST(Canvas, SourceOperationsPerPixelAndFormat) {
    QImage rgb(5, 3, QImage::Format_RGB32);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) rgb.setPixel(x, y, qRgb(40 * x + 7, 90 * y + 3, 17 * x * y + 99));
    QImage mono(5, 3, QImage::Format_Mono);
    mono.setColorCount(2);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) mono.setPixel(x, y, uint((x + y) % 2));
    for (const QImage& src : {rgb, rgb.convertToFormat(QImage::Format_BGR888), mono}) {
        int checked = 0;
        for (int t = 0; t < 256; ++t) {
            const Rop3 rop = Rop3(t) << 16;
            if (rop3UsesPattern(rop)) continue;
            QImage img(5, 3, QImage::Format_RGB32);
            for (int y = 0; y < 3; ++y)
                for (int x = 0; x < 5; ++x) img.setPixel(x, y, qRgb(13 * x, 200 - 60 * y, 0x5A));
            const QImage before = img;
            Canvas c(img);
            c.bitBlt({0, 0, 5, 3}, src, {0, 0}, rop);
            for (int y = 0; y < 3; ++y)
                for (int x = 0; x < 5; ++x) {
                    const QRgb s = sourcePixel(src, x, y, c.tools().textColor,
                                               c.tools().backgroundColor);
                    ASSERT_EQ(img.pixel(x, y) & 0xFFFFFF,
                              applyRop3(std::uint8_t(t), 0, s, before.pixel(x, y)) & 0xFFFFFF)
                        << "table " << t << " format " << src.format() << " at " << x << ',' << y;
                }
            ++checked;
        }
        EXPECT_EQ(checked, 16);
    }
}

TEST(Canvas, RasterOperations) {
    const QRgb d = qRgb(0xF0, 0x0F, 0x33), s = qRgb(0xCC, 0xAA, 0x55);
    QImage src(1, 1, QImage::Format_RGB32);
    src.fill(s);
    auto run = [&](Rop3 rop, TColor brushColor = clBlack) {
        QImage img = blank(1, 1, d);
        Canvas c(img);
        c.tools().brush.color = brushColor;
        c.bitBlt({0, 0, 1, 1}, src, {0, 0}, rop);
        return img.pixel(0, 0) & 0xFFFFFF;
    };
    const QRgb D = d & 0xFFFFFF, S = s & 0xFFFFFF;
    EXPECT_EQ(run(SRCCOPY), S);
    EXPECT_EQ(run(SRCAND), S & D);
    EXPECT_EQ(run(0x008800C6), S & D);
    EXPECT_EQ(run(SRCPAINT), S | D);
    EXPECT_EQ(run(0x00EE0086), S | D);
    EXPECT_EQ(run(SRCINVERT), S ^ D);
    EXPECT_EQ(run(0x00660046), S ^ D);
    EXPECT_EQ(run(NOTSRCCOPY), ~S & 0xFFFFFF);
    EXPECT_EQ(run(DSTINVERT), ~D & 0xFFFFFF);
    EXPECT_EQ(run(0x00BB0226), (~S | D) & 0xFFFFFF);
    const TColor pat = platform::makeColor(0x12, 0x34, 0x56);
    EXPECT_EQ(run(PATINVERT, pat), (colorToRgb(pat) ^ D) & 0xFFFFFF);
    EXPECT_TRUE(rop3UsesSource(SRCCOPY));
    EXPECT_FALSE(rop3UsesSource(PATINVERT));
    EXPECT_FALSE(rop3UsesPattern(SRCAND));
}

TEST(Canvas, MaskedDrawingThroughMonochromeMask) {
    // The transparent-bitmap technique: MERGEPAINT with the mask, then SRCAND with the
    // whitened image, leaves the destination where the mask is 1.
    QImage img = blank(2, 1, qRgb(0, 0, 255));
    QImage mask(2, 1, QImage::Format_Mono);
    mask.setColor(0, qRgb(0, 0, 0));
    mask.setColor(1, qRgb(255, 255, 255));
    mask.setPixel(0, 0, 0);  // opaque
    mask.setPixel(1, 0, 1);  // transparent
    QImage whitened(2, 1, QImage::Format_RGB32);
    whitened.setPixel(0, 0, qRgb(200, 10, 10));
    whitened.setPixel(1, 0, qRgb(255, 255, 255));
    Canvas c(img);
    c.stretchBlt({0, 0, 2, 1}, mask, QRect(0, 0, 2, 1), MERGEPAINT);
    c.stretchBlt({0, 0, 2, 1}, whitened, QRect(0, 0, 2, 1), SRCAND);
    EXPECT_EQ(img.pixel(0, 0), qRgb(200, 10, 10));
    EXPECT_EQ(img.pixel(1, 0), qRgb(0, 0, 255));
}

TEST(Canvas, StretchingColourOnColourTakesNearestPixels) {
    QImage src(2, 2, QImage::Format_RGB32);
    src.setPixel(0, 0, qRgb(255, 0, 0));
    src.setPixel(1, 0, qRgb(0, 255, 0));
    src.setPixel(0, 1, qRgb(0, 0, 255));
    src.setPixel(1, 1, qRgb(0, 0, 0));
    QImage img = blank(4, 4);
    Canvas c(img);
    c.tools().stretchMode = StretchMode::ColorOnColor;
    c.stretchBlt({0, 0, 4, 4}, src, src.rect());
    EXPECT_EQ(img.pixel(1, 1), qRgb(255, 0, 0));
    EXPECT_EQ(img.pixel(2, 1), qRgb(0, 255, 0));
    EXPECT_EQ(img.pixel(3, 3), qRgb(0, 0, 0));
    // Mirrored by a source rectangle of negative width.
    c.stretchBlt({0, 0, 4, 4}, src, QRect(2, 0, -2, 2));
    EXPECT_EQ(img.pixel(0, 0), qRgb(0, 255, 0));

    // Shrinking black on white keeps thin black lines that colour-on-colour drops.
    QImage lines = blank(4, 1);
    lines.setPixel(0, 0, qRgb(0, 0, 0));
    QImage small = blank(2, 1);
    Canvas sc(small);
    sc.stretchBlt({0, 0, 2, 1}, lines, lines.rect());
    EXPECT_EQ(small.pixel(0, 0), qRgb(0, 0, 0));
    sc.tools().stretchMode = StretchMode::ColorOnColor;
    small.fill(0xFFFFFFFF);
    sc.stretchBlt({0, 0, 2, 1}, lines, lines.rect());
    EXPECT_EQ(small.pixel(0, 0), qRgb(255, 255, 255));
}

TEST(Canvas, EnlargingHonoursClipRopsAndHugeTargets) {
    // A 3 x 1 source of distinct reds, enlarged to 9 x 2 with a clip cutting out the
    // middle: each source pixel covers three columns, the clipped ones stay white.
    QImage src(3, 1, QImage::Format_RGB32);
    for (int x = 0; x < 3; ++x) src.setPixel(x, 0, qRgb(50 * (x + 1), 0, 0));
    QImage img = blank(9, 2);
    Canvas c(img);
    c.excludeClipRect({3, 0, 6, 2});
    c.stretchBlt({0, 0, 9, 2}, src, src.rect());
    EXPECT_EQ(img.pixel(0, 1), qRgb(50, 0, 0));
    EXPECT_EQ(img.pixel(2, 0), qRgb(50, 0, 0));
    EXPECT_EQ(img.pixel(4, 0), qRgb(255, 255, 255));
    EXPECT_EQ(img.pixel(8, 1), qRgb(150, 0, 0));
    // Mirrored and XORed onto what is there.
    c.stretchBlt({9, 0, 0, 2}, src, src.rect(), SRCINVERT);
    EXPECT_EQ(img.pixel(0, 0), qRgb(50 ^ 150, 0, 0));
    EXPECT_EQ(img.pixel(8, 1), qRgb(150 ^ 50, 0, 0));
    EXPECT_EQ(img.pixel(7, 0), qRgb(150 ^ 50, 0, 0));
    EXPECT_EQ(img.pixel(4, 0), qRgb(255, 255, 255));

    // A target far wider than the canvas paints its visible part without working out
    // the rest.
    QImage wide = blank(8, 8);
    Canvas w(wide);
    w.stretchBlt({-1'000'000'000, 0, 1'000'000'000, 8}, src, src.rect());
    EXPECT_EQ(wide.pixel(0, 0), qRgb(100, 0, 0));
    EXPECT_EQ(wide.pixel(7, 7), qRgb(100, 0, 0));
}

TEST(Canvas, PathsRecordFillAndBecomeRegions) {
    QImage img = blank(10, 10);
    Canvas c(img);
    c.beginPath();
    c.moveTo({1, 1});
    c.lineTo({6, 1});
    c.lineTo({6, 4});
    c.lineTo({1, 4});
    c.closeFigure();
    c.endPath();
    std::vector<QPoint> pts;
    std::vector<std::uint8_t> types;
    c.getPath(pts, types);
    EXPECT_EQ(pts, (std::vector<QPoint>{{1, 1}, {6, 1}, {6, 4}, {1, 4}}));
    EXPECT_EQ(types, (std::vector<std::uint8_t>{6, 2, 2, 3}));
    EXPECT_EQ(painted(img), 0);  // recording paints nothing

    const QRegion rgn = c.pathToRegion();
    EXPECT_TRUE(rgn.xored(QRegion(1, 1, 5, 3)).isEmpty());
    EXPECT_FALSE(c.hasPath());

    c.beginPath();
    c.rectangle({2, 2, 5, 5});
    c.endPath();
    c.selectClipPath(ClipCombine::Copy);
    c.tools().brush.color = clBlack;
    c.fillRect({0, 0, 10, 10}, c.tools().brush);
    EXPECT_EQ(painted(img), 9);
}

TEST(Canvas, WidePensAreCentredOnTheLine) {
    QImage img = blank(12, 9);
    Canvas c(img);
    c.tools().pen.width = 3;
    c.moveTo({2, 4});
    c.lineTo({9, 4});
    for (int y = 0; y < 9; ++y) EXPECT_EQ(img.pixel(5, y) != 0xFFFFFFFF, y >= 3 && y <= 5) << y;
}

TEST(Canvas, HatchAndPatternBrushes) {
    QImage img = blank(8, 8);
    Canvas c(img);
    c.tools().backgroundMode = BackgroundMode::Transparent;
    Brush hatch;
    hatch.style = BrushStyle::Cross;
    hatch.color = clBlack;
    c.fillRect({0, 0, 8, 8}, hatch);
    EXPECT_EQ(painted(img), 15);  // one row and one column of the 8 x 8 cell

    Brush pattern;
    pattern.style = BrushStyle::Pattern;
    pattern.pattern = QImage(2, 1, QImage::Format_RGB32);
    pattern.pattern.setPixel(0, 0, qRgb(0, 0, 0));
    pattern.pattern.setPixel(1, 0, qRgb(255, 255, 255));
    img.fill(0xFFFFFFFF);
    c.fillRect({0, 0, 8, 8}, pattern);
    EXPECT_EQ(painted(img), 32);
    EXPECT_EQ(img.pixel(2, 5), qRgb(0, 0, 0));
    EXPECT_EQ(img.pixel(3, 5), qRgb(255, 255, 255));
}

}  // namespace

namespace {
// The bounding box of the painted pixels (empty when nothing was painted).
QRect paintedBox(const QImage& img) {
    QRect box;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixel(x, y) != 0xFFFFFFFF) box |= QRect(x, y, 1, 1);
    return box;
}

bool mirroredLeftRight(const QImage& img, const QRect& box) {
    for (int y = box.top(); y <= box.bottom(); ++y)
        for (int x = box.left(); x <= box.right(); ++x)
            if ((img.pixel(x, y) != 0xFFFFFFFF) !=
                (img.pixel(box.right() - (x - box.left()), y) != 0xFFFFFFFF))
                return false;
    return true;
}
}  // namespace

TEST(Canvas, EllipsesAndRoundRectanglesStayInsideTheirRectangle) {
    // With a pen the figure reaches the left and top edges of its rectangle and stops
    // one pixel before the right and bottom ones, like a rectangle.
    QImage e = blank(14, 12);
    Canvas ec(e);
    ec.tools().brush.color = clBlack;
    ec.ellipse({1, 1, 11, 9});
    EXPECT_EQ(paintedBox(e), QRect(QPoint(1, 1), QPoint(10, 8)));
    EXPECT_TRUE(mirroredLeftRight(e, paintedBox(e)));
    EXPECT_EQ(e.pixel(1, 1), 0xFFFFFFFFu);  // corners stay free
    EXPECT_EQ(e.pixel(10, 8), 0xFFFFFFFFu);
    EXPECT_NE(e.pixel(6, 5), 0xFFFFFFFFu);

    // Without a pen the filled area is one pixel smaller each way.
    QImage n = blank(14, 12);
    Canvas nc(n);
    nc.tools().pen.style = PenStyle::Clear;
    nc.tools().brush.color = clBlack;
    nc.ellipse({1, 1, 11, 9});
    const QRect nb = paintedBox(n);
    EXPECT_EQ(nb.topLeft(), QPoint(1, 1));
    EXPECT_LE(nb.right(), 9);
    EXPECT_LE(nb.bottom(), 7);

    QImage r = blank(14, 12);
    Canvas rc(r);
    rc.tools().brush.color = clBlack;
    rc.roundRect({1, 1, 13, 11}, 6, 6);
    EXPECT_EQ(paintedBox(r), QRect(QPoint(1, 1), QPoint(12, 10)));
    EXPECT_TRUE(mirroredLeftRight(r, paintedBox(r)));
    EXPECT_EQ(r.pixel(1, 1), 0xFFFFFFFFu);   // rounded corner
    EXPECT_NE(r.pixel(6, 1), 0xFFFFFFFFu);   // straight top edge
    EXPECT_NE(r.pixel(1, 6), 0xFFFFFFFFu);   // straight left edge
    EXPECT_NE(r.pixel(12, 6), 0xFFFFFFFFu);  // right edge, inside the rectangle
}

TEST(Canvas, StrokedAndWidenedPaths) {
    QImage img = blank(16, 12);
    Canvas c(img);
    c.tools().pen.width = 4;
    c.beginPath();
    c.moveTo({3, 6});
    c.lineTo({13, 6});
    c.endPath();
    c.widenPath();  // the outline of the wide line becomes the path
    ASSERT_TRUE(c.hasPath());
    std::vector<QPoint> pts;
    std::vector<std::uint8_t> types;
    c.getPath(pts, types);
    EXPECT_GE(pts.size(), 4u);
    for (QPoint p : pts) {
        EXPECT_GE(p.y(), 3) << p.x() << "," << p.y();
        EXPECT_LE(p.y(), 9) << p.x() << "," << p.y();
    }
    c.tools().brush.color = clBlack;
    c.fillPath();
    EXPECT_FALSE(c.hasPath());
    const QRect box = paintedBox(img);
    EXPECT_EQ(box.height(), 4);  // as wide as the pen, centred on the line
    EXPECT_TRUE(box.contains(QPoint(8, 4)) && box.contains(QPoint(8, 7)));
    EXPECT_LE(box.left(), 3);
    EXPECT_GE(box.right(), 12);

    // A stroked path paints with the pen, here one pixel wide along the recorded lines.
    QImage s = blank(10, 10);
    Canvas sc(s);
    sc.beginPath();
    sc.moveTo({2, 2});
    sc.lineTo({7, 2});
    sc.lineTo({7, 7});
    sc.endPath();
    sc.strokePath();
    EXPECT_FALSE(sc.hasPath());
    EXPECT_NE(s.pixel(4, 2), 0xFFFFFFFFu);
    EXPECT_NE(s.pixel(7, 4), 0xFFFFFFFFu);
    EXPECT_EQ(s.pixel(4, 4), 0xFFFFFFFFu);
    EXPECT_EQ(paintedBox(s).top(), 2);
    EXPECT_EQ(paintedBox(s).left(), 2);
}

TEST(Canvas, TheDefaultFontKeepsItsPointSizeAtEveryResolution) {
    for (int dpi : {96, 254, 600}) {
        QImage img = blank(4, 4);
        Canvas c(img, DeviceDescriptor{dpi, dpi});
        EXPECT_EQ(c.tools().font.pixelsPerInch, dpi);
        EXPECT_EQ(c.tools().font.size(), 9) << dpi;
        EXPECT_NEAR(-c.tools().font.height, 9.0 * dpi / 72, 1.0) << dpi;
    }
}
