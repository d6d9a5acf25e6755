// Metafiles built with our writers, played and compared with the same drawing done on a
// canvas directly, or checked at pixels whose colour the records decide.
#include "imaging/metafile/EmfWriter.h"
#include "imaging/metafile/MetafilePlayer.h"
#include "imaging/metafile/WmfWriter.h"
#include "platform/canvas/Canvas.h"

#include <gtest/gtest.h>

using namespace metafile;
using platform::makeColor;

namespace {

constexpr TColor kRed = makeColor(255, 0, 0), kBlue = makeColor(0, 0, 255),
                 kGreen = makeColor(0, 160, 0);

QImage white(int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::white);
    return img;
}

QImage render(const QByteArray& bytes, int w, int h, PlayReport* report = nullptr) {
    QImage img = white(w, h);
    platform::Canvas canvas(img);
    const PlayReport r = play(bytes, canvas, {0, 0, w, h});
    if (report) *report = r;
    return img;
}

int inked(const QImage& img, QRect area) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) n += img.pixel(x, y) != 0xFFFFFFFF;
    return n;
}

}  // namespace

TEST(EmfPlayback, ShapesMatchTheCanvasAtOneToOne) {
    EmfWriter w(QSize(60, 40));
    w.selectObject(w.createPen(0, 1, kBlue));
    w.selectObject(w.createBrush(0, kRed));
    w.rectangle(QRect(2, 3, 20, 12));
    w.ellipse(QRect(30, 2, 25, 18));
    w.polygon({{5, 30}, {20, 20}, {30, 38}}, true);
    w.polyline({{35, 25}, {58, 38}, {40, 38}});
    w.selectObject(w.createBrush(2, kGreen, 5));
    w.roundRect(QRect(22, 22, 12, 12), QSize(6, 6));
    PlayReport report;
    const QImage played = render(w.finish(), 60, 40, &report);

    QImage direct = white(60, 40);
    platform::Canvas c(direct);
    c.tools().pen.color = kBlue;
    c.tools().brush.color = kRed;
    c.rectangle({2, 3, 22, 15});
    c.ellipse({30, 2, 55, 20});
    c.polygon({{5, 30}, {20, 20}, {30, 38}});
    c.polyline({{35, 25}, {58, 38}, {40, 38}});
    c.tools().brush = {platform::BrushStyle::DiagCross, kGreen, {}};
    c.roundRect({22, 22, 34, 34}, 6, 6);
    EXPECT_EQ(played, direct);
    EXPECT_TRUE(report.skipped.empty());
    EXPECT_FALSE(report.truncated);
    EXPECT_EQ(report.records, 13);  // header and end record included
}

TEST(EmfPlayback, FrameIsStretchedIntoTheDestination) {
    EmfWriter w(QSize(20, 10));
    w.selectObject(0x80000000u | 4);  // black brush
    w.selectObject(0x80000000u | 8);  // null pen
    w.rectangle(QRect(10, 0, 10, 10));
    const QImage img = render(w.finish(), 80, 20);
    EXPECT_EQ(inked(img, QRect(0, 0, 40, 20)), 0);
    // A null pen leaves a rectangle one pixel smaller each way, scaled 4 x 2.
    EXPECT_GE(inked(img, QRect(40, 0, 40, 20)), 36 * 16);
    EXPECT_EQ(img.pixel(60, 10), qRgb(0, 0, 0));
}

TEST(EmfPlayback, WorldTransformAndMappingMoveShapes) {
    EmfWriter w(QSize(40, 40));
    w.selectObject(0x80000000u | 4);
    w.selectObject(0x80000000u | 8);
    // Turned a quarter about the origin, then moved right: (0..10, 0..4) lands at x 36..40.
    w.setWorldTransform(QTransform(0, 1, -1, 0, 40, 0));
    w.rectangle(QRect(0, 0, 11, 5));
    w.setWorldTransform(QTransform());
    // Anisotropic: a window of 10 units onto a viewport of 40 pixels.
    w.setMapMode(8);
    w.setWindowExt(QSize(10, 10));
    w.setViewportExt(QSize(40, 40));
    w.rectangle(QRect(1, 6, 3, 3));
    const QImage img = render(w.finish(), 40, 40);
    EXPECT_EQ(img.pixel(38, 5), qRgb(0, 0, 0));  // the turned bar stands upright
    EXPECT_EQ(img.pixel(30, 2), qRgb(255, 255, 255));
    EXPECT_EQ(img.pixel(10, 30), qRgb(0, 0, 0));  // (1..4, 6..9) x 4
    EXPECT_EQ(img.pixel(2, 30), qRgb(255, 255, 255));
}

TEST(EmfPlayback, ClipSaveRestoreAndMetaRegion) {
    EmfWriter w(QSize(40, 20));
    w.selectObject(0x80000000u | 4);
    w.saveDC();
    w.intersectClipRect(QRect(0, 0, 10, 20));
    w.rectangle(QRect(0, 0, 20, 10));  // only x < 10 painted
    w.restoreDC();
    w.intersectClipRect(QRect(20, 0, 20, 20));
    w.setMetaRegion();
    w.excludeClipRect(QRect(30, 0, 10, 20));
    w.rectangle(QRect(0, 10, 40, 10));  // x 20..29 only
    const QImage img = render(w.finish(), 40, 20);
    EXPECT_EQ(img.pixel(5, 5), qRgb(0, 0, 0));
    EXPECT_EQ(img.pixel(15, 5), qRgb(255, 255, 255));
    EXPECT_EQ(img.pixel(25, 15), qRgb(0, 0, 0));
    EXPECT_EQ(img.pixel(5, 15), qRgb(255, 255, 255));
    EXPECT_EQ(img.pixel(35, 15), qRgb(255, 255, 255));
}

TEST(EmfPlayback, PathsFillAndClip) {
    EmfWriter w(QSize(40, 40));
    w.selectObject(w.createBrush(0, kRed));
    w.beginPath();
    w.moveTo({0, 0});
    w.lineTo({20, 0});
    w.lineTo({0, 20});
    w.closeFigure();
    w.endPath();
    w.fillPath();
    w.beginPath();
    w.ellipse(QRect(20, 20, 20, 20));
    w.endPath();
    w.selectClipPath(5);
    w.selectObject(0x80000000u | 4);
    w.rectangle(QRect(0, 0, 40, 40));
    const QImage img = render(w.finish(), 40, 40);
    EXPECT_EQ(img.pixel(3, 3), qRgb(255, 0, 0));
    EXPECT_EQ(img.pixel(17, 17), qRgb(255, 255, 255));
    EXPECT_EQ(img.pixel(30, 30), qRgb(0, 0, 0));  // inside the clip path
    EXPECT_EQ(img.pixel(21, 21), qRgb(255, 255, 255));
}

TEST(EmfPlayback, BitmapsStretchAndBlend) {
    QImage four(2, 2, QImage::Format_RGB32);
    four.setPixel(0, 0, qRgb(255, 0, 0));
    four.setPixel(1, 0, qRgb(0, 255, 0));
    four.setPixel(0, 1, qRgb(0, 0, 255));
    four.setPixel(1, 1, qRgb(0, 0, 0));
    QImage half(1, 1, QImage::Format_ARGB32);
    half.setPixel(0, 0, qRgba(0, 0, 0, 128));
    EmfWriter w(QSize(40, 20));
    w.stretchDIBits(QRect(0, 0, 20, 20), four);
    w.alphaBlend(QRect(20, 0, 20, 20), half);
    const QImage img = render(w.finish(), 40, 20);
    EXPECT_EQ(img.pixel(4, 4), qRgb(255, 0, 0));
    EXPECT_EQ(img.pixel(15, 4), qRgb(0, 255, 0));
    EXPECT_EQ(img.pixel(4, 15), qRgb(0, 0, 255));
    EXPECT_EQ(img.pixel(15, 15), qRgb(0, 0, 0));
    const int grey = qRed(img.pixel(30, 10));
    EXPECT_NEAR(grey, 127, 2);
}

TEST(EmfPlayback, TextFollowsItsAdvances) {
    EmfWriter w(QSize(200, 40));
    w.selectObject(w.createFont(-20, QStringLiteral("ＭＳ ゴシック")));
    w.setBkMode(1);
    w.setTextColor(kBlue);
    w.textOut({0, 5}, QStringLiteral("IＩ"), {150, 20});
    const QImage img = render(w.finish(), 200, 40);
    EXPECT_GT(inked(img, QRect(0, 0, 20, 40)), 10);
    EXPECT_EQ(inked(img, QRect(25, 0, 120, 40)), 0);  // the gap the first advance leaves
    EXPECT_GT(inked(img, QRect(150, 0, 20, 40)), 10);
}

TEST(WmfPlayback, LowestFreeSlotAndMapping) {
    // 1000 units of 1000 per inch: 96 pixels at 96 per inch.
    WmfWriter w(QRect(0, 0, 1000, 500), 1000);
    w.setMapMode(8);
    w.setWindowOrg({0, 0});
    w.setWindowExt({100, 50});
    const int pen = w.createPen(5, 0, 0);      // slot 0
    const int first = w.createBrush(0, kRed);  // slot 1
    w.createPalette();                         // slot 2, never drawn
    w.deleteObject(pen);
    const int second = w.createBrush(0, kBlue);  // takes slot 0 again
    EXPECT_EQ(second, 0);
    w.selectObject(first);
    w.rectangle(QRect(0, 0, 50, 50));
    w.selectObject(second);
    w.rectangle(QRect(50, 0, 50, 50));
    const int nullPen = w.createPen(5, 0, 0);
    w.selectObject(nullPen);
    w.escape(0x000F, QByteArray(8, '\x7F'));
    PlayReport report;
    const QImage img = render(w.finish(), 100, 50, &report);
    EXPECT_EQ(img.pixel(25, 25), qRgb(255, 0, 0));
    EXPECT_EQ(img.pixel(75, 25), qRgb(0, 0, 255));
    EXPECT_EQ(report.kind, Kind::Wmf);
    EXPECT_EQ(report.skipped.at(QStringLiteral("ESCAPE")), 1);
}

TEST(WmfPlayback, ShiftJisTextArcsAndBitmaps) {
    WmfWriter w(QRect(0, 0, 120, 60), 96);
    w.selectObject(w.createFont(-24, QStringLiteral("ＭＳ 明朝")));
    w.setBkMode(1);
    w.textOut({0, 0}, QStringLiteral("日本"), {40, 0, 24, 0});
    w.selectObject(w.createBrush(0, kGreen));
    w.arc(0x081A, QRect(60, 0, 60, 60), {120, 30}, {90, 0});  // a quarter pie, upper right
    QImage two(2, 1, QImage::Format_RGB32);
    two.setPixel(0, 0, qRgb(255, 0, 0));
    two.setPixel(1, 0, qRgb(0, 0, 255));
    w.stretchDib(QRect(0, 40, 40, 20), two);
    const QImage img = render(w.finish(), 120, 60);
    EXPECT_GT(inked(img, QRect(0, 0, 24, 30)), 20);
    EXPECT_EQ(inked(img, QRect(25, 0, 14, 30)), 0);
    EXPECT_GT(inked(img, QRect(40, 0, 20, 30)), 20);
    EXPECT_EQ(img.pixel(105, 15), qRgb(0, 160, 0));
    EXPECT_EQ(img.pixel(75, 45), qRgb(255, 255, 255));
    EXPECT_EQ(img.pixel(10, 50), qRgb(255, 0, 0));
    EXPECT_EQ(img.pixel(30, 50), qRgb(0, 0, 255));
}
