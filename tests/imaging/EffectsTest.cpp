#include "imaging/Parallel.h"
#include "imaging/PhasedProgress.h"
#include "imaging/filters/Effects.h"
#include "imaging/filters/TableMap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>
#include <vector>

namespace {

QImage run(TGREffector& effect, const QImage& source, TPhasedProgressBase* progress = nullptr) {
    QImage dest;
    effect.Source = &source;
    effect.Dest = &dest;
    effect.Progress = progress;
    effect.Execute();
    return dest;
}

// A horizontal grey ramp from `low` to `high` (24-bit).
QImage ramp(int w, int h, int low, int high) {
    QImage img(w, h, QImage::Format_BGR888);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int v = low + (high - low) * x / std::max(1, w - 1);
            img.setPixel(x, y, qRgb(v, v, v));
        }
    return img;
}

int grey(const QImage& img, int x, int y) {
    return qGreen(img.pixel(x, y));
}

}  // namespace

TEST(Effects, LightTables) {
    const auto identity = TGREffectBrightnessContrast::Table(0, 0);
    for (int j = 0; j < 256; ++j) EXPECT_EQ(identity[size_t(j)], j);
    const auto hard = TGREffectBrightnessContrast::Table(0, 100);
    EXPECT_EQ(hard[127], 0);
    EXPECT_EQ(hard[128], 255);
    EXPECT_EQ(TGREffectBrightnessContrast::Table(300, 0)[0], 255);  // brightness limited to 100 %
    const auto flatter = TGREffectBrightnessContrast::Table(0, -50);
    EXPECT_EQ(flatter[0], 64);
    EXPECT_EQ(flatter[255], 191);

    TGREffectBrightnessContrast light;
    light.Contrast = 100;
    QImage src(3, 1, QImage::Format_ARGB32);
    src.setPixel(0, 0, qRgba(10, 200, 128, 0x12));
    const QImage out = run(light, src);
    EXPECT_EQ(out.pixel(0, 0), qRgba(0, 255, 255, 0x12));  // the fourth byte is kept
}

TEST(Effects, MonoToneTables) {
    const auto grey = TGREffectMonoTone::Table(0x808080);
    for (int j = 0; j < 256; ++j)
        EXPECT_EQ(grey[size_t(j)],
                  (std::array<std::uint8_t, 3>{std::uint8_t(j), std::uint8_t(j), std::uint8_t(j)}));
    const auto red = TGREffectMonoTone::Table(0x0000FF);  // hue 0, saturation 1
    EXPECT_EQ(red[128][2], 255);
    EXPECT_EQ(red[128][0], red[128][1]);
    EXPECT_LE(red[128][0], 1);
    EXPECT_EQ(red[255], (std::array<std::uint8_t, 3>{255, 255, 255}));

    TGREffectMonoTone mono;
    mono.RefColor = 0x808080;
    QImage src(1, 1, QImage::Format_BGR888);
    src.setPixel(0, 0, qRgb(255, 0, 0));  // index (77 x 255) >> 8 = 76
    EXPECT_EQ(run(mono, src).pixel(0, 0), qRgb(76, 76, 76));
}

TEST(Effects, BoxBlurCountsAndEdges) {
    QImage dot(5, 5, QImage::Format_BGR888);
    dot.fill(Qt::black);
    dot.setPixel(2, 2, qRgb(255, 255, 255));
    TGREffectBlur blur;
    blur.Passes = 0;  // one pass
    QImage once = run(blur, dot);
    EXPECT_EQ(grey(once, 1, 1), 28);  // 255 / 9 rounded
    EXPECT_EQ(grey(once, 0, 0), 0);
    blur.Passes = 2;
    QImage twice = run(blur, dot);
    EXPECT_EQ(grey(twice, 0, 0), 3);  // 28 / 9 rounded: the second pass reached the corner
    EXPECT_EQ(grey(twice, 2, 2), 28);
    EXPECT_EQ(grey(twice, 1, 1), 12);  // four 28s

    QImage one(1, 1, QImage::Format_RGB32);
    one.setPixel(0, 0, qRgb(17, 99, 201));
    blur.Passes = 3;
    EXPECT_EQ(run(blur, one).pixel(0, 0), qRgb(17, 99, 201));

    // A rectangle of the source is read; the edge pixels of the rectangle repeat.
    QImage wide = ramp(9, 3, 0, 240);
    blur.Passes = 1;
    blur.SourceRect = QRect(3, 0, 3, 3);
    const QImage part = run(blur, wide);
    EXPECT_EQ(part.size(), QSize(3, 3));
    EXPECT_EQ(grey(part, 0, 1), (2 * grey(wide, 3, 1) + grey(wide, 4, 1) + 1) / 3);
}

TEST(Effects, UnsharpMaskIsTwiceTheSourceMinusItsBlur) {
    const QImage src = ramp(16, 4, 0, 255);
    TGREffectBlur blur;
    blur.Passes = 2;
    const QImage blurred = run(blur, src);
    TGREffectUnsharpMask sharpen;
    sharpen.Amount = 2.4L;  // rounds to two passes
    const QImage out = run(sharpen, src);
    for (int x = 0; x < 16; ++x)
        EXPECT_EQ(grey(out, x, 1), std::clamp(2 * grey(src, x, 1) - grey(blurred, x, 1), 0, 255))
            << x;
}

TEST(Effects, EffectsLeaveOtherFormatsAlone) {
    QImage indexed(4, 4, QImage::Format_Indexed8);
    QImage dest(2, 2, QImage::Format_RGB32);
    dest.fill(Qt::red);
    TGREffectAutoNormalize normalize;
    normalize.Source = &indexed;
    normalize.Dest = &dest;
    normalize.Execute();
    EXPECT_EQ(dest.size(), QSize(2, 2));
    EXPECT_EQ(dest.pixel(0, 0), qRgb(255, 0, 0));
}

TEST(Effects, NormalisationLeavesFlatPicturesAlone) {
    // The parity terms alone give a flat picture four Y values; stretching them would make
    // a checkerboard of black and white.
    for (QRgb colour :
         {qRgb(128, 128, 128), qRgb(30, 90, 200), qRgb(0, 0, 0), qRgb(255, 255, 255)}) {
        QImage flat(8, 8, QImage::Format_BGR888);
        flat.fill(QColor(colour));
        TGREffectAutoNormalize normalize;
        const QImage out = run(normalize, flat);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x) {
                const QRgb p = out.pixel(x, y);
                EXPECT_LE(std::abs(qRed(p) - qRed(colour)) + std::abs(qGreen(p) - qGreen(colour)) +
                              std::abs(qBlue(p) - qBlue(colour)),
                          3)
                    << std::hex << colour << " " << x << "," << y;
            }
    }
}

TEST(Effects, NormalisationStretchesAndBendsTheTones) {
    // A dark picture: most pixels in the lower part of its range.
    QImage dark(64, 8, QImage::Format_BGR888);
    for (int x = 0; x < 64; ++x) {
        const int v = x < 48 ? 40 + x : 40 + 48 + (x - 48) * 5;  // 40..163, median about 72
        for (int y = 0; y < 8; ++y) dark.setPixel(x, y, qRgb(v, v, v));
    }
    TGREffectAutoNormalize normalize;
    const QImage out = run(normalize, dark);
    EXPECT_LE(grey(out, 1, 4), 8);     // near the black point
    EXPECT_GE(grey(out, 62, 4), 245);  // near the white point
    // The median lies below the middle of black and white: the midtones are lifted above
    // the linear stretch.
    const int linear = (72 - 41) * 255 / (160 - 41);
    EXPECT_GT(grey(out, 32, 4), linear + 5);

    // A light picture is darkened below the linear stretch.
    QImage light(64, 8, QImage::Format_BGR888);
    for (int x = 0; x < 64; ++x) {
        const int v = x < 16 ? 60 + x * 8 : 180 + (x - 16);
        for (int y = 0; y < 8; ++y) light.setPixel(x, y, qRgb(v, v, v));
    }
    const QImage lighter = run(normalize, light);
    const int lin = (204 - 61) * 255 / (226 - 61);
    EXPECT_LT(grey(lighter, 40, 4), lin - 5);
}

TEST(Effects, NormalisationRemovesACastOnlyWithBothDarkAndLightPixels) {
    auto tinted = [](int low, int high) {
        QImage img(64, 4, QImage::Format_BGR888);
        for (int x = 0; x < 64; ++x) {
            const int v = low + (high - low) * x / 63;
            for (int y = 0; y < 4; ++y)
                img.setPixel(x, y, qRgb(std::max(0, v - 30), v, std::min(255, v + 30)));
        }
        return img;
    };
    auto cast = [](const QImage& img) { return qBlue(img.pixel(32, 2)) - qRed(img.pixel(32, 2)); };
    TGREffectAutoNormalize normalize;
    const QImage full = tinted(0, 255);
    EXPECT_LT(cast(run(normalize, full)), cast(full) - 20);
    const QImage narrow = tinted(80, 170);  // no Y at or below 1023 after the tint
    EXPECT_GE(cast(run(normalize, narrow)), cast(narrow) - 4);
}

TEST(Effects, ProgressStepsEvery64RowsInOnePhase) {
    struct Counter : TPhasedProgressBase {
        void Changed(int) override {
            ++steps;
            top = Top().Max;
        }
        int steps = 0, top = 0;
    } progress;
    TGREffectAutoNormalize normalize;
    const QImage src = ramp(4, 130, 0, 255);
    run(normalize, src, &progress);
    EXPECT_EQ(progress.top, (130 / 64) * 2 + 3);
    EXPECT_EQ(progress.steps, 3 + 1 + 3);
    EXPECT_EQ(progress.Depth(), 0);
    EXPECT_EQ(progress.Value(), 0);
}

TEST(Effects, ThreadsDoNotChangeTheResult) {
    QImage photo(300, 257, QImage::Format_RGB32);
    for (int y = 0; y < photo.height(); ++y)
        for (int x = 0; x < photo.width(); ++x)
            photo.setPixel(x, y, qRgb((x * 7 + y) & 255, (y * 3) & 255, (x ^ y) & 255));
    TGREffectAutoNormalize normalize;
    TGREffectBlur blur;
    blur.Passes = 3;
    TGREffectMonoTone mono;
    mono.RefColor = 0x2060A0;
    for (TGREffector* e : {static_cast<TGREffector*>(&normalize), static_cast<TGREffector*>(&blur),
                           static_cast<TGREffector*>(&mono)}) {
        SetImagingThreads(1);
        const QImage one = run(*e, photo);
        SetImagingThreads(2);
        EXPECT_EQ(run(*e, photo), one);
    }
    SetImagingThreads(0);
}

// The vector table lookup (where the processor has it) and the byte-by-byte one give the
// same bytes: random rows of every length up to several vector steps, at odd offsets, and
// whole pictures through the brightness/contrast effect.
TEST(Effects, VectorAndScalarTableLookupsAgree) {
    std::mt19937 random(20261211);
    auto byte = [&] { return std::uint8_t(random() & 255); };
    std::array<std::uint8_t, 256> table{};
    for (auto& t : table) t = byte();
    std::vector<std::uint8_t> source(300), vector(300), scalar(300);
    for (auto& s : source) s = byte();
    for (const bool keepFourth : {false, true})
        for (int offset : {0, 1, 3})
            for (int n = 0; n <= 260; ++n) {
                if (keepFourth && offset != 0) continue;  // 32-bit pixels start a row
                std::fill(vector.begin(), vector.end(), 0xA5);
                std::fill(scalar.begin(), scalar.end(), 0xA5);
                ForceScalarTableMap(false);
                MapBytesThroughTable(&source[size_t(offset)], &vector[size_t(offset)], n,
                                     table.data(), keepFourth);
                ForceScalarTableMap(true);
                EXPECT_FALSE(TableMapUsesVectors());
                MapBytesThroughTable(&source[size_t(offset)], &scalar[size_t(offset)], n,
                                     table.data(), keepFourth);
                // Compared whole: bytes beyond the row are left alone by both.
                ASSERT_EQ(vector, scalar) << "n " << n << " offset " << offset;
            }
    ForceScalarTableMap(false);
#if defined(__x86_64__)
    // On a processor with the instructions the comparison above did compare two paths.
    if (__builtin_cpu_supports("avx512vbmi")) {
        EXPECT_TRUE(TableMapUsesVectors());
    }
#endif
    // A known case: the fourth byte is carried, the others looked up.
    const std::uint8_t pixel[4] = {0, 128, 255, 7};
    std::uint8_t out[4] = {};
    MapBytesThroughTable(pixel, out, 4, table.data(), true);
    EXPECT_EQ(out[0], table[0]);
    EXPECT_EQ(out[1], table[128]);
    EXPECT_EQ(out[2], table[255]);
    EXPECT_EQ(out[3], 7);

    for (const QImage::Format format : {QImage::Format_BGR888, QImage::Format_ARGB32}) {
        QImage photo(203, 70, format);
        for (int y = 0; y < photo.height(); ++y) {
            std::uint8_t* line = photo.scanLine(y);
            for (qsizetype i = 0; i < photo.bytesPerLine(); ++i) line[i] = byte();
        }
        TGREffectBrightnessContrast light;
        light.Brightness = 17;
        light.Contrast = -35;
        light.SourceRect = QRect(5, 3, 190, 60);
        ForceScalarTableMap(false);
        const QImage fast = run(light, photo);
        ForceScalarTableMap(true);
        const QImage slow = run(light, photo);
        ForceScalarTableMap(false);
        EXPECT_EQ(fast, slow);
        const auto t = TGREffectBrightnessContrast::Table(17, -35);
        EXPECT_EQ(fast.constScanLine(0)[0],
                  t[photo.constScanLine(3)[5 * (format == QImage::Format_BGR888 ? 3 : 4)]]);
    }
}
