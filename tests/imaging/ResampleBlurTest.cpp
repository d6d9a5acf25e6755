#include "imaging/Blur.h"
#include "imaging/Resample.h"
#include "tests/support/QtPrinters.h"

#include <gtest/gtest.h>
#include <random>

namespace {

QImage grey(std::initializer_list<int> values) {
    QImage img(int(values.size()), 1, QImage::Format_Grayscale8);
    int x = 0;
    for (int v : values) img.scanLine(0)[x++] = uchar(v);
    return img;
}

std::vector<int> row(const QImage& img, int y = 0) {
    std::vector<int> out;
    for (int x = 0; x < img.width(); ++x) out.push_back(img.constScanLine(y)[x]);
    return out;
}

QImage noise(int w, int h, QImage::Format f, unsigned seed = 1) {
    QImage img(w, h, f);
    std::mt19937 rng(seed);
    for (int y = 0; y < h; ++y)
        for (qsizetype i = 0; i < img.bytesPerLine(); ++i) img.scanLine(y)[i] = uchar(rng());
    return img;
}

TEST(Resample, LinearEnlargementSamplesTheStatedPositions) {
    QImage dest(4, 1, QImage::Format_Grayscale8);
    Resample(dest, grey({0, 255}), rfLinear);
    EXPECT_EQ(row(dest), (std::vector<int>{0, 0, 128, 255}));
}

TEST(Resample, ShrinkingAveragesCoveredPixels) {
    QImage dest(2, 1, QImage::Format_Grayscale8);
    Resample(dest, grey({0, 100, 200, 250}), rfCubic);
    EXPECT_EQ(row(dest), (std::vector<int>{50, 225}));
    QImage third(1, 1, QImage::Format_Grayscale8);
    Resample(third, grey({30, 60, 90}), rfLinear);
    EXPECT_EQ(row(third), (std::vector<int>{60}));
}

TEST(Resample, SameSizeCopiesAndFormatsCarryOver) {
    for (QImage::Format f : {QImage::Format_Grayscale8, QImage::Format_BGR888, QImage::Format_RGB32}) {
        const QImage src = noise(17, 9, f);
        for (int filter : {rfLinear, rfCubic}) {
            QImage dest(5, 4, QImage::Format_Mono);
            Resample(dest, src, QRect(3, 2, 5, 4), filter);
            EXPECT_EQ(dest.format(), f);
            EXPECT_EQ(dest, src.copy(3, 2, 5, 4));
        }
    }
}

TEST(Resample, FlatPicturesStayFlatAtAnyScale) {
    QImage src(7, 5, QImage::Format_BGR888);
    src.fill(QColor(200, 17, 99));
    for (QSize size : {QSize(3, 2), QSize(20, 13), QSize(7, 11)}) {
        for (int filter : {rfLinear, rfCubic}) {
            QImage dest(size, QImage::Format_BGR888);
            Resample(dest, src, filter);
            for (int y = 0; y < dest.height(); ++y)
                for (int x = 0; x < dest.width(); ++x) ASSERT_EQ(dest.pixel(x, y), qRgb(200, 17, 99));
        }
    }
}

TEST(Resample, CubicOvershootIsClampedAndBadInputIsIgnored) {
    QImage dest(8, 1, QImage::Format_Grayscale8);
    Resample(dest, grey({0, 0, 255, 255}), rfCubic);
    const std::vector<int> r = row(dest);
    EXPECT_TRUE(std::is_sorted(r.begin(), r.end()));  // Catmull-Rom does not overshoot on a step
    EXPECT_EQ(r.front(), 0);
    EXPECT_EQ(r.back(), 255);

    QImage untouched(3, 3, QImage::Format_Grayscale8);
    untouched.fill(7);
    const QImage before = untouched;
    Resample(untouched, grey({1, 2}), QRect(1, 0, 2, 1), rfLinear);  // rectangle leaves the source
    EXPECT_EQ(untouched, before);
    Resample(untouched, QImage(4, 4, QImage::Format_RGB16), rfLinear);
    EXPECT_EQ(untouched, before);
}

TEST(Blur, SigmaAndRadiusZero) {
    EXPECT_NEAR(BlurSigma(1), 2 / std::sqrt(2 * std::log(255.0)), 1e-12);  // 0.6008
    QImage img = noise(20, 20, QImage::Format_Grayscale8);
    const QImage before = img;
    Blur(img, img.rect(), 0, 0);
    EXPECT_EQ(img, before);
    Blur(img, QRect(40, 40, 5, 5), 3, 3);  // outside the picture
    EXPECT_EQ(img, before);
}

TEST(Blur, FlatAreasKeepTheirValueAndImpulsesSpreadSymmetrically) {
    QImage flat(30, 30, QImage::Format_RGB32);
    flat.fill(qRgb(10, 128, 250));
    Blur(flat, flat.rect(), 10, 10);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 30; ++x) ASSERT_EQ(flat.pixel(x, y), qRgb(10, 128, 250));

    QImage dot(41, 41, QImage::Format_Grayscale8);
    dot.fill(0);
    dot.scanLine(20)[20] = 255;
    Blur(dot, dot.rect(), 4, 4);
    const int centre = dot.constScanLine(20)[20];
    EXPECT_LT(centre, 255);
    EXPECT_GT(centre, 0);
    EXPECT_EQ(dot.constScanLine(20)[17], dot.constScanLine(20)[23]);
    EXPECT_EQ(dot.constScanLine(17)[20], dot.constScanLine(23)[20]);
    EXPECT_EQ(dot.constScanLine(20)[0], 0);

    // A vertical-only blur leaves other columns alone.
    QImage column(9, 9, QImage::Format_Grayscale8);
    column.fill(0);
    for (int y = 0; y < 9; ++y) column.scanLine(y)[4] = y == 4 ? 255 : 0;
    Blur(column, column.rect(), 2, 0);
    EXPECT_EQ(column.constScanLine(4)[3], 0);
    EXPECT_GT(column.constScanLine(3)[4], 0);
}

TEST(Blur, LargeRadiiUseTheFloatingPath) {
    QImage img(200, 3, QImage::Format_Grayscale8);
    for (int x = 0; x < 200; ++x)
        for (int y = 0; y < 3; ++y) img.scanLine(y)[x] = x < 100 ? 0 : 255;
    Blur(img, img.rect(), 0, 60);
    const std::vector<int> r = row(img, 1);
    EXPECT_TRUE(std::is_sorted(r.begin(), r.end()));
    EXPECT_GT(r[90], 0);
    EXPECT_LT(r[110], 255);
}

}  // namespace

#include "imaging/Parallel.h"
#include "imaging/QuadMap.h"

namespace {

TEST(Parallel, ResultsDoNotDependOnTheThreadCount) {
    const QImage src = noise(900, 700, QImage::Format_BGR888, 3);
    QImage one(1300, 500, QImage::Format_BGR888), two = one;
    SetImagingThreads(1);
    Resample(one, src, rfCubic);
    QImage blurOne = src;
    Blur(blurOne, blurOne.rect(), 7, 9);
    SetImagingThreads(2);
    Resample(two, src, rfCubic);
    QImage blurTwo = src;
    Blur(blurTwo, blurTwo.rect(), 7, 9);
    const QImage turnedTwo = Rotate(src, 30, qRgb(255, 255, 255), src.width(), src.height());
    SetImagingThreads(1);
    const QImage turnedOne = Rotate(src, 30, qRgb(255, 255, 255), src.width(), src.height());
    SetImagingThreads(0);
    EXPECT_EQ(one, two);
    EXPECT_EQ(blurOne, blurTwo);
    EXPECT_EQ(turnedOne, turnedTwo);
}

}  // namespace
