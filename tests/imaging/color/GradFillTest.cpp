// The gradient renderer: ramp values, index maps of the four shapes and painting.

#include "imaging/color/GradFill.h"
#include "platform/canvas/Canvas.h"

#include <gtest/gtest.h>
#include <thread>

namespace {

constexpr TColor kRed = 0x0000FF, kGreen = 0x00FF00, kBlue = 0xFF0000;

int at(const TGradIndexMap& m, int k, int j) {
    return m[size_t(j) * kGradCells + size_t(k)];
}

class TestFill : public TGradFill {
public:
    TestFill(std::vector<TColor> c, bool reversed) : TGradFill(std::move(c), reversed) {}
    TGradIndexMap BuildIndexMap() const override { return {}; }
};

// Red channel along row `y` of a picture.
std::vector<int> reds(const QImage& img, int y) {
    std::vector<int> v;
    for (int x = 0; x < img.width(); ++x) v.push_back(qRed(img.pixel(x, y)));
    return v;
}

// Number of monotone runs (rising or falling) in a sequence, ignoring flat steps.
int monotoneRuns(const std::vector<int>& v) {
    int runs = 0, dir = 0;
    for (size_t i = 1; i < v.size(); ++i) {
        const int d = (v[i] > v[i - 1]) - (v[i] < v[i - 1]);
        if (d != 0 && d != dir) {
            ++runs;
            dir = d;
        }
    }
    return runs;
}

}  // namespace

TEST(GradFill, RampEndsAndMiddle) {
    const TGradRamp ramp = TestFill({clWhite, clBlack}, false).BuildRamp();
    EXPECT_EQ(ramp[0], qRgb(255, 255, 255));
    // 255 + trunc(0.5 * -255)
    EXPECT_EQ(ramp[512], qRgb(128, 128, 128));
    // The last step stops short of the last colour: 255 + trunc(1023/1024 * -255).
    EXPECT_EQ(ramp[1023], qRgb(1, 1, 1));
    const TGradRamp rev = TestFill({clWhite, clBlack}, true).BuildRamp();
    EXPECT_EQ(rev[0], qRgb(1, 1, 1));
    EXPECT_EQ(rev[1023], qRgb(255, 255, 255));

    // Three colours: the middle step is exactly the middle colour; channels separately.
    const TGradRamp three = TestFill({kRed, kGreen, kBlue}, false).BuildRamp();
    EXPECT_EQ(three[0], qRgb(255, 0, 0));
    EXPECT_EQ(three[512], qRgb(0, 255, 0));
    EXPECT_EQ(three[256], qRgb(128, 127, 0));  // x = 0.5: 255 - 127 and 0 + 127

    // One colour: that colour throughout; none: black.
    const TGradRamp one = TestFill({kGreen}, false).BuildRamp();
    for (QRgb c : one) ASSERT_EQ(c, qRgb(0, 255, 0));
    EXPECT_EQ(TestFill({}, false).BuildRamp()[700], qRgb(0, 0, 0));
}

TEST(GradFill, LinearFixedPointRule) {
    // 270: left to right. Per column 16.16 steps of trunc(2 * 512 * 65536 / 127) = 528416.
    const TGradIndexMap m = TLinearGradFill({}, 270).BuildIndexMap();
    for (int j : {0, 77, 127}) {
        EXPECT_EQ(at(m, 0, j), 0);
        EXPECT_EQ(at(m, 63, j), (63 * 528416) >> 16);  // 507
        EXPECT_EQ(at(m, 64, j), (64 * 528416) >> 16);  // 516
        EXPECT_EQ(at(m, 127, j), 1023);
    }
    EXPECT_EQ(at(m, 63, 0), 507);
    // 0: top to bottom; 90: right to left, starting at 1024 which is limited to 1023.
    const TGradIndexMap down = TLinearGradFill({}, 0).BuildIndexMap();
    EXPECT_EQ(at(down, 5, 0), 0);
    EXPECT_EQ(at(down, 5, 64), 516);
    EXPECT_EQ(at(down, 120, 127), 1023);
    const TGradIndexMap left = TLinearGradFill({}, 90).BuildIndexMap();
    EXPECT_EQ(at(left, 0, 10), 1023);
    EXPECT_EQ(at(left, 127, 10), 0);
    // 180 bottom to top; angles are taken modulo 360.
    const TGradIndexMap up = TLinearGradFill({}, 180).BuildIndexMap();
    EXPECT_EQ(at(up, 3, 127), 0);
    EXPECT_EQ(at(up, 3, 0), 1023);
    EXPECT_EQ(TLinearGradFill({}, 270 + 720).BuildIndexMap(), m);
    EXPECT_EQ(TLinearGradFill({}, -90).BuildIndexMap(), m);
    // 315: corner to corner, the centre near the middle.
    const TGradIndexMap diag = TLinearGradFill({}, 315).BuildIndexMap();
    EXPECT_LE(at(diag, 0, 0), 1);
    EXPECT_GE(at(diag, 127, 127), 1022);
    EXPECT_NEAR(at(diag, 64, 63), 512, 6);
    EXPECT_EQ(at(diag, 0, 127), at(diag, 127, 0));
}

TEST(GradFill, BoxCircleAndConeMaps) {
    const TGradIndexMap box = TBoxGradFill({}, false, 0).BuildIndexMap();
    EXPECT_LE(at(box, 63, 64), 8);  // centre
    EXPECT_EQ(at(box, 0, 64), 1023);
    EXPECT_EQ(at(box, 127, 0), 1023);
    EXPECT_EQ(at(box, 64, 10), at(box, 10, 64));  // square rings

    const TGradIndexMap circle = TCircleGradFill({}, false).BuildIndexMap();
    EXPECT_EQ(at(circle, 0, 0), 1023);  // at the corner distance
    EXPECT_EQ(at(circle, 127, 127), 1023);
    EXPECT_EQ(at(circle, 63, 63), 8);  // MulDiv(round(4096 * 0.5 * sqrt 2), 1024, 367831)
    EXPECT_EQ(at(circle, 0, 63), at(circle, 63, 0));
    EXPECT_EQ(at(circle, 20, 30), at(circle, 107, 97));

    // Cone: the angle from the downward direction towards the right, -pi at the top.
    const TGradIndexMap cone = TConeGradFill({}, false, 0).BuildIndexMap();
    EXPECT_NEAR(at(cone, 63, 127), 512, 8);  // straight down: angle 0
    EXPECT_NEAR(at(cone, 127, 63), 768, 8);  // right: +pi/2
    EXPECT_NEAR(at(cone, 0, 63), 256, 8);    // left: -pi/2
    EXPECT_LE(at(cone, 63, 0), 2);           // just left of straight up: near -pi
    EXPECT_GE(at(cone, 64, 0), 1020);        // just right of it: near +pi
    // Turning by 90 degrees moves the ramp by a quarter.
    const TGradIndexMap turned = TConeGradFill({}, false, 90).BuildIndexMap();
    EXPECT_NEAR(at(turned, 63, 127), 768, 8);
}

TEST(GradFill, PaintedGradations) {
    QImage img(256, 64, QImage::Format_RGB32);
    platform::Canvas canvas(img);
    const TRect r{0, 0, 256, 64};

    // One colour paints that colour flat, whatever the kind.
    for (TGradKind kind : {rgkSimple, rgkBoxToRim, rgkCircleToCenter, rgkConeClockwise}) {
        img.fill(Qt::black);
        PaintGradation(canvas, r, {kGreen}, false, 30, kind);
        for (int y = 0; y < 64; y += 7)
            for (int x = 0; x < 256; x += 5) ASSERT_EQ(img.pixel(x, y), qRgb(0, 255, 0)) << kind;
    }

    // Red, blue repeated three times: five transitions from left to right.
    PaintGradation(canvas, r, {kRed, kBlue, kRed, kBlue, kRed, kBlue}, false, 270, rgkSimple);
    EXPECT_EQ(monotoneRuns(reds(img, 30)), 5);
    EXPECT_EQ(qRed(img.pixel(0, 30)), 255);
    EXPECT_LE(qRed(img.pixel(255, 30)), 8);

    // A red-blue cone has no seam: both sides of the top centre are near red.
    QImage sq(128, 128, QImage::Format_RGB32);
    platform::Canvas sc(sq);
    PaintGradation(sc, {0, 0, 128, 128}, {kRed, kBlue}, false, 0, rgkConeCounterClockwise);
    for (int x : {62, 63, 64, 65}) {
        EXPECT_GE(qRed(sq.pixel(x, 0)), 230) << x;
        EXPECT_LE(qBlue(sq.pixel(x, 0)), 25) << x;
    }
    EXPECT_GE(qBlue(sq.pixel(64, 127)), 230);  // the far side is the last colour

    // Inverted: XOR onto the canvas; twice gives the canvas back.
    sq.fill(qRgb(10, 200, 30));
    const QImage before = sq.copy();
    PaintGradation(sc, {0, 0, 128, 128}, {kRed, kBlue}, true, 270, rgkSimple);
    EXPECT_EQ(sq.pixel(0, 5), qRgb(10 ^ 255, 200, 30));
    PaintGradation(sc, {0, 0, 128, 128}, {kRed, kBlue}, true, 270, rgkSimple);
    EXPECT_EQ(sq, before);

    // An empty colour list paints nothing.
    PaintGradation(sc, {0, 0, 128, 128}, {}, false, 270, rgkSimple);
    EXPECT_EQ(sq, before);
}

TEST(GradFill, SmallSwatchesTakeTheNearestCells) {
    // 128 cells into 12 pixels: each pixel shows one cell's colour, so the ramp falls
    // steadily; ANDing the covered cells would give 224, 192, 193, ... with steps of 0.
    QImage img(12, 4, QImage::Format_RGB32);
    platform::Canvas canvas(img);
    ASSERT_EQ(canvas.tools().stretchMode, platform::StretchMode::BlackOnWhite);
    PaintGradation(canvas, {0, 0, 12, 4}, {clWhite, clBlack}, false, 270, rgkSimple);
    const std::vector<int> row = reds(img, 2);
    for (int x = 1; x < 12; ++x) {
        ASSERT_GE(row[size_t(x - 1)] - row[size_t(x)], 15) << x;
        ASSERT_LE(row[size_t(x - 1)] - row[size_t(x)], 28) << x;
    }
    EXPECT_EQ(canvas.tools().stretchMode, platform::StretchMode::BlackOnWhite);
}

TEST(GradFill, PrinterCanvasGetsResampledCells) {
    platform::DeviceDescriptor printer;
    printer.technology = platform::DeviceTechnology::RasterPrinter;
    printer.dpiX = printer.dpiY = 360;
    QImage page(600, 100, QImage::Format_RGB32);
    page.fill(Qt::green);
    platform::Canvas canvas(page, printer);
    PaintGradation(canvas, {50, 10, 550, 90}, {clWhite, clBlack}, false, 270, rgkSimple);
    EXPECT_EQ(page.pixel(49, 50), qRgb(0, 255, 0));  // outside untouched
    EXPECT_EQ(page.pixel(550, 50), qRgb(0, 255, 0));
    EXPECT_EQ(page.pixel(50, 50), qRgb(255, 255, 255));
    EXPECT_LE(qRed(page.pixel(549, 50)), 2);
    // Linear interpolation: smooth, never stepping by more than a cell's difference.
    const std::vector<int> row = reds(page, 50);
    for (int x = 51; x < 550; ++x) {
        ASSERT_LE(row[size_t(x)], row[size_t(x - 1)]) << x;
        ASSERT_LE(row[size_t(x - 1)] - row[size_t(x)], 3) << x;
    }
}

TEST(GradFill, PrinterRectangleFarLargerThanThePage) {
    // A rectangle whose logical size no picture could hold still paints: its visible part
    // shows the start of a left-to-right ramp.
    platform::DeviceDescriptor printer;
    printer.technology = platform::DeviceTechnology::RasterPrinter;
    QImage page(64, 64, QImage::Format_RGB32);
    page.fill(Qt::green);
    platform::Canvas canvas(page, printer);
    PaintGradation(canvas, {0, 0, 2'000'000'000, 1'000'000}, {clWhite, clBlack}, false, 270,
                   rgkSimple);
    EXPECT_EQ(page.pixel(0, 0), qRgb(255, 255, 255));
    EXPECT_EQ(page.pixel(63, 63), qRgb(255, 255, 255));
    // A thin one as well.
    page.fill(Qt::green);
    PaintGradation(canvas, {0, 0, 1'000'000'000, 64}, {clBlack, clWhite}, false, 270, rgkSimple);
    EXPECT_EQ(page.pixel(10, 10), qRgb(0, 0, 0));
}

TEST(GradFill, ThreadsPaintAtOnce) {
    // Every paint has pictures of its own: results do not depend on other threads.
    auto paint = [](TGradKind kind, int angle) {
        QImage img(200, 150, QImage::Format_RGB32);
        img.fill(Qt::black);
        platform::Canvas c(img);
        for (int i = 0; i < 20; ++i)
            PaintGradation(c, {0, 0, 200, 150}, {kRed, kGreen, kBlue}, false, angle, kind);
        return img;
    };
    const TGradKind kinds[] = {rgkSimple, rgkBoxToCenter, rgkCircleToRim, rgkConeClockwise};
    QImage expected[4], got[4];
    for (int i = 0; i < 4; ++i) expected[i] = paint(kinds[i], 40 * i);
    {
        std::vector<std::jthread> threads;
        for (int i = 0; i < 4; ++i)
            threads.emplace_back([&, i] { got[i] = paint(kinds[i], 40 * i); });
    }
    for (int i = 0; i < 4; ++i) EXPECT_EQ(got[i], expected[i]) << i;
}
