#include "imaging/AALine.h"
#include "imaging/Blend.h"
#include "imaging/PhasedProgress.h"
#include "tests/support/QtPrinters.h"

#include <gtest/gtest.h>

namespace {

QImage alphaMap(int w, int h) {
    QImage img(w, h, QImage::Format_Grayscale8);
    img.fill(0);
    return img;
}

int at(const QImage& img, int x, int y) {
    return img.constScanLine(y)[x];
}

TEST(AALine, ProfileAndSlopeTable) {
    TAALineRec line;
    const auto& p = line.Profile();
    EXPECT_EQ(p[0], 255);
    EXPECT_EQ(p[12], 255);  // inside W - R = 0.2 pixel
    EXPECT_EQ(p[38], 130);  // 1/160 pixel inside the edge: a little over half
    EXPECT_EQ(p[39], 124);  // 0.6094: a little under half
    EXPECT_GT(p[63], 0);
    EXPECT_EQ(p[64], 0);
    EXPECT_EQ(p[65], 0);
    for (int k = 1; k < 66; ++k) EXPECT_LE(p[k], p[k - 1]);
    EXPECT_EQ(TAALineRec::SlopeTable()[0], 65536);
    EXPECT_EQ(TAALineRec::SlopeTable()[1024], 46341);
    EXPECT_EQ(TAALineRec::SlopeTable()[512], 58617);  // 65536 / sqrt(1.25)
}

TEST(AALine, AxisAlignedSegmentsAreOnePixelWideAndOpaque) {
    QImage img = alphaMap(20, 20);
    TAALineAlphaMap line(img);
    line.Segment({2, 5}, {12, 5});
    for (int x = 0; x < 20; ++x) {
        EXPECT_EQ(at(img, x, 5), (x >= 2 && x <= 12) ? 255 : 0) << x;
        EXPECT_EQ(at(img, x, 4), 0);
        EXPECT_EQ(at(img, x, 6), 0);
    }
    line.Segment({15, 15}, {15, 2});  // vertical, drawn upwards
    for (int y = 2; y <= 15; ++y) EXPECT_EQ(at(img, 15, y), 255);
    EXPECT_EQ(at(img, 14, 8), 0);
    EXPECT_EQ(at(img, 16, 8), 0);
    EXPECT_EQ(line.CurrentPoint(), QPoint(15, 2));

    QImage dot = alphaMap(3, 3);
    TAALineAlphaMap d(dot);
    d.Segment({1, 1}, {1, 1});
    EXPECT_EQ(at(dot, 1, 1), 255);
    EXPECT_EQ(at(dot, 0, 1), 0);
}

TEST(AALine, SlantedSegmentsAreSoftAndOverlapsKeepTheMaximum) {
    QImage img = alphaMap(20, 20);
    TAALineAlphaMap line(img);
    line.Segment({0, 0}, {19, 19});
    EXPECT_EQ(at(img, 10, 10), 255);
    EXPECT_GT(at(img, 11, 10), 0);
    EXPECT_LT(at(img, 11, 10), 255);
    EXPECT_EQ(at(img, 11, 10), at(img, 10, 11));  // symmetric about the diagonal

    const int before = at(img, 11, 10);
    line.Segment({0, 19}, {19, 0});  // crosses the first near (9.5, 9.5)
    EXPECT_EQ(at(img, 10, 10), 255);
    EXPECT_EQ(at(img, 11, 10), std::max(before, at(img, 11, 10)));
    // Off-map pixels are ignored rather than written.
    line.Segment({-5, 3}, {25, 3});
    EXPECT_EQ(at(img, 0, 3), 255);
}

// The table holds k * d / 255 truncated towards zero in signed bytes; the blend adds it to
// the destination byte modulo 256, which gives the exact result.
int blendOne(int alpha, int d, int s) {
    return std::uint8_t(d + BlendTableEntry(alpha, s - d));
}

TEST(BlendTable, TruncatesTowardsZero) {
    EXPECT_EQ(blendOne(255, 0, 200), 200);
    EXPECT_EQ(blendOne(255, 200, 0), 0);
    EXPECT_EQ(blendOne(0, 90, 200), 90);
    EXPECT_EQ(blendOne(128, 0, 255), 128);
    EXPECT_EQ(blendOne(128, 255, 0), 127);
    // Truncation towards zero makes the rounding depend on the direction.
    EXPECT_EQ(blendOne(128, 0, 1), 0);
    EXPECT_EQ(blendOne(128, 1, 0), 1);
    EXPECT_EQ(blendOne(100, 0, 3), 1);  // 300 / 255
    EXPECT_EQ(blendOne(100, 3, 0), 2);  // 3 - 1, not 3 - 2
    EXPECT_EQ(BlendTableEntry(128, -255), -128);
}

struct Counting : TPhasedProgressBase {
    void Changed(int) override {
        steps = Top().Max;
        ++stepped;
    }
    int steps = 0, stepped = 0;
};

class Blending : public ::testing::Test {
protected:
    void SetUp() override {
        dest = QImage(8, 70, QImage::Format_RGB32);
        dest.fill(qRgb(10, 20, 30));
        src = QImage(8, 70, QImage::Format_RGB32);
        src.fill(qRgb(250, 120, 0));
        mask = QImage(8, 70, QImage::Format_Grayscale8);
        mask.fill(255);
    }
    TGRBlendAlphaMapRatio blender(int ratio) {
        TGRBlendAlphaMapRatio b;
        b.Dest = &dest;
        b.DestRect = dest.rect();
        b.Source = &src;
        b.SourceRect = src.rect();
        b.AlphaMap = &mask;
        b.AlphaRect = mask.rect();
        b.Ratio = ratio;
        return b;
    }
    QImage dest, src, mask;
};

TEST_F(Blending, OpaqueCopiesTransparentKeeps) {
    auto b = blender(100);
    Counting progress;
    b.Progress = &progress;
    b.Execute();
    EXPECT_EQ(dest.pixel(3, 3), qRgb(250, 120, 0));
    EXPECT_EQ(progress.steps, 2);  // 70 rows: (70 div 64) + 1
    EXPECT_EQ(progress.stepped, 2);
    EXPECT_EQ(progress.Depth(), 0);

    SetUp();
    blender(0).Execute();
    EXPECT_EQ(dest.pixel(3, 3), qRgb(10, 20, 30));
    mask.fill(0);
    blender(100).Execute();
    EXPECT_EQ(dest.pixel(3, 3), qRgb(10, 20, 30));
}

TEST_F(Blending, HalfAlphaAndRatioUseTheTable) {
    mask.fill(128);
    blender(100).Execute();
    // d + 128 * (s - d) / 255, truncated: red 10 + 120, green 20 + 50, blue 30 - 15.
    EXPECT_EQ(dest.pixel(0, 0), qRgb(130, 70, 15));
    SetUp();
    blender(50).Execute();  // alpha 255 at 50 % becomes 128
    EXPECT_EQ(dest.pixel(0, 0), qRgb(130, 70, 15));
}

TEST_F(Blending, TwentyFourBitAndClipping) {
    dest = QImage(4, 4, QImage::Format_BGR888);
    dest.fill(qRgb(0, 0, 0));
    src = QImage(4, 4, QImage::Format_BGR888);
    src.fill(qRgb(255, 255, 255));
    mask = QImage(4, 4, QImage::Format_Grayscale8);
    mask.fill(255);
    auto b = blender(100);
    b.DestRect = QRect(2, 2, 4, 4);  // half outside the destination
    b.Execute();
    EXPECT_EQ(dest.pixel(1, 1), qRgb(0, 0, 0));
    EXPECT_EQ(dest.pixel(2, 2), qRgb(255, 255, 255));
    EXPECT_EQ(dest.pixel(3, 3), qRgb(255, 255, 255));
}

TEST_F(Blending, MismatchesDoNothing) {
    auto wider = blender(100);
    wider.SourceRect = QRect(0, 0, 9, 70);
    wider.Execute();
    EXPECT_EQ(dest.pixel(0, 0), qRgb(10, 20, 30));

    auto outside = blender(100);
    outside.AlphaRect = QRect(1, 0, 8, 70);  // leaves the alpha map
    outside.Execute();
    EXPECT_EQ(dest.pixel(0, 0), qRgb(10, 20, 30));

    QImage other(8, 70, QImage::Format_BGR888);
    auto formats = blender(100);
    formats.Source = &other;
    EXPECT_FALSE(formats.CanExecute());
    formats.Execute();
    EXPECT_EQ(dest.pixel(0, 0), qRgb(10, 20, 30));
}

}  // namespace
