// The blur, the unsharp mask and the automatic normalisation against plain per-pixel
// versions of their formulas, written here pixel by pixel, on random pictures of odd sizes
// in both pixel layouts, through the vector row kernels and through the plain ones: any
// fault of the row kernels (vector steps, row tails, thread halves, rolling rows) shows as
// a differing byte.
#include "imaging/Parallel.h"
#include "imaging/filters/EffectRows.h"
#include "imaging/filters/Effects.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <random>
#include <vector>

namespace {

// Channel c (0 blue, 1 green, 2 red, 3 the fourth byte) of pixel x, y, edges repeated.
int at(const QImage& img, int x, int y, int c) {
    x = std::clamp(x, 0, img.width() - 1);
    y = std::clamp(y, 0, img.height() - 1);
    const int bpp = img.format() == QImage::Format_BGR888 ? 3 : 4;
    return img.constScanLine(y)[x * bpp + c];
}

void put(QImage& img, int x, int y, int c, int v) {
    const int bpp = img.format() == QImage::Format_BGR888 ? 3 : 4;
    img.scanLine(y)[x * bpp + c] = std::uint8_t(v);
}

QImage randomPicture(int w, int h, QImage::Format format, unsigned seed, bool dark) {
    std::mt19937 random(seed);
    QImage img(w, h, format);
    for (int y = 0; y < h; ++y) {
        std::uint8_t* line = img.scanLine(y);
        for (qsizetype i = 0; i < img.bytesPerLine(); ++i) {
            const unsigned a = random() & 255, b = random() & 255;
            line[i] = std::uint8_t(dark ? a * b / 255 : a);
        }
    }
    return img;
}

QImage boxReference(const QImage& src) {
    QImage out(src.size(), src.format());
    const int channels = src.format() == QImage::Format_BGR888 ? 3 : 4;
    for (int y = 0; y < src.height(); ++y)
        for (int x = 0; x < src.width(); ++x)
            for (int c = 0; c < channels; ++c) {
                int s = 0;
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx) s += at(src, x + dx, y + dy, c);
                put(out, x, y, c, c == 3 ? at(src, x, y, 3) : std::min(255, (2 * s + 9) / 18));
            }
    return out;
}

QImage sharpenReference(const QImage& src, const QImage& blurred) {
    QImage out = blurred.copy();
    for (int y = 0; y < src.height(); ++y)
        for (int x = 0; x < src.width(); ++x)
            for (int c = 0; c < 3; ++c)
                put(out, x, y, c, std::clamp(2 * at(src, x, y, c) - at(blurred, x, y, c), 0, 255));
    return out;
}

// The 12-bit Y, Cb, Cr of pixel x, y, the parities counted from the bottom row.
std::array<int, 3> ycc(const QImage& img, int x, int y) {
    const int b = at(img, x, y, 0), g = at(img, x, y, 1), r = at(img, x, y, 2);
    const int dx = x & 1, dy = (img.height() - 1 - y) & 1;
    return {(19595 * r + 38470 * g + 7471 * b + 19235 * dx + 9798 * dy) >> 12,
            (32768 * b + 16384 * dy - 11059 * r - 21709 * g - 10855 * dx + 8388608) >> 12,
            (32768 * r + 16384 * dx - 27439 * g - 5329 * b - 13720 * dy + 8388608) >> 12};
}

QImage normalizeReference(const QImage& src) {
    const int w = src.width(), h = src.height();
    std::vector<long long> hist(4096);
    int largest = -1, smallest = 65536;
    std::array<int, 3> atLargest{}, atSmallest{};
    for (int y = h - 1; y >= 0; --y)  // bottom row first, left to right
        for (int x = 0; x < w; ++x) {
            const auto c = ycc(src, x, y);
            ++hist[size_t(c[0])];
            if (c[0] > largest) largest = c[0], atLargest = c;
            if (c[0] < smallest) smallest = c[0], atSmallest = c;
        }
    std::vector<long long> cum(4096);
    long long total = 0;
    int distinct = 0;
    for (int j = 0; j < 4096; ++j) {
        distinct += hist[size_t(j)] != 0;
        cum[size_t(j)] = total += hist[size_t(j)];
    }
    auto percent = [&](int p) { return std::max<long long>(1, (total * p + 50) / 100); };
    int j = 32;
    while (j < 4095 && cum[size_t(j)] < percent(2)) ++j;
    const int black = std::max(0, j - 1);
    int k = black;
    while (k < 4095 && cum[size_t(k)] < total / 2) ++k;
    const int median = std::max(black, k - 1);
    int l = 4063;
    while (l > 0 && cum[size_t(l)] > percent(98)) --l;
    const int white = std::min(4095, l + 1);
    EXPECT_TRUE(distinct >= 2 && largest - smallest > 8 && black < white) << "not stretched";
    const int mid = (black + white) / 2;
    double e = 1;
    if (median > mid)
        e = 1 - std::pow(2 * double(median - mid) / (median - black), 2) / 2;
    else if (median < mid)
        e = 1 + std::pow(2 * double(mid - median) / (white - median), 0.5) / 2;
    auto yOut = [&](int i) {
        if (i <= black) return 0;
        if (i >= white) return 4095;
        return std::min(
            4095, int(std::trunc(std::pow(double(i - black) / (white - black), 1 / e) * 4095)));
    };
    int cbShift = 0, crShift = 0;
    if (smallest <= 1023 && largest >= 3073) {
        cbShift = (1792 - (atLargest[1] + atSmallest[1]) / 2) / 2;
        crShift = (2304 - (atLargest[2] + atSmallest[2]) / 2) / 2;
    }
    QImage stretched(src.size(), src.format());
    const bool four = src.format() != QImage::Format_BGR888;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const auto c = ycc(src, x, y);
            const long long Y = yOut(c[0]) * 4096LL;
            const long long cb = std::clamp(c[1] + cbShift, 0, 4095);
            const long long cr = std::clamp(c[2] + crShift, 0, 4095) - 2048;
            auto byte = [](long long v) { return int(std::clamp<long long>(v / 65536, 0, 255)); };
            put(stretched, x, y, 2, byte(Y + 5743 * cr + 32768));
            put(stretched, x, y, 1, byte(Y - 1410 * cb - 2925 * cr + 2920448));
            put(stretched, x, y, 0, byte(Y + 7258 * cb - 14831616));
            if (four) put(stretched, x, y, 3, at(src, x, y, 3));
        }
    return sharpenReference(stretched, boxReference(stretched));
}

QImage run(TGREffector& effect, const QImage& source, const QRect& rect = {}) {
    QImage dest;
    effect.Source = &source;
    effect.Dest = &dest;
    effect.SourceRect = rect;
    effect.Execute();
    return dest;
}

struct Case {
    int w, h;
    QImage::Format format;
};

// Odd sizes: the last two are large enough to be split over two threads.
const Case kCases[] = {{1, 1, QImage::Format_BGR888},    {1, 5, QImage::Format_RGB32},
                       {3, 1, QImage::Format_ARGB32},    {37, 23, QImage::Format_BGR888},
                       {71, 9, QImage::Format_ARGB32},   {263, 251, QImage::Format_BGR888},
                       {257, 259, QImage::Format_ARGB32}};

}  // namespace

// Runs each case through the vector kernels (where the processor has them), then the plain.
template <class Check>
void bothKernels(Check&& check) {
#if defined(__x86_64__)
    // On a processor with the instructions the vector kernels are the ones in use.
    if (__builtin_cpu_supports("avx512vbmi") && __builtin_cpu_supports("avx512bw")) {
        EXPECT_TRUE(EffectRowsUseVectors());
    }
#endif
    SetImagingThreads(2);
    for (bool scalar : {false, true}) {
        SCOPED_TRACE(scalar ? "plain kernels" : "vector kernels");
        ForceScalarEffectRows(scalar);
        check();
    }
    ForceScalarEffectRows(false);
    SetImagingThreads(0);
}

TEST(EffectsReference, BlurAndUnsharpMaskMatchThePlainFormulas) {
    bothKernels([] {
        unsigned seed = 11;
        for (const Case& k : kCases) {
            const QImage src = randomPicture(k.w, k.h, k.format, ++seed, false);
            TGREffectBlur blur;
            blur.Passes = 1;
            const QImage once = boxReference(src);
            EXPECT_EQ(run(blur, src), once) << k.w << "x" << k.h << " format " << k.format;
            const QImage twice = boxReference(once);
            blur.Passes = 2;
            EXPECT_EQ(run(blur, src), twice) << k.w << "x" << k.h;
            TGREffectUnsharpMask sharpen;
            EXPECT_EQ(run(sharpen, src), sharpenReference(src, once)) << k.w << "x" << k.h;
            // Several passes run at once, each pulling its rows through the ones below.
            const QImage thrice = boxReference(twice);
            blur.Passes = 3;
            EXPECT_EQ(run(blur, src), thrice) << k.w << "x" << k.h;
            if (k.w * k.h > 2000) continue;
            // More passes than run at once go through a scratch picture in turns.
            QImage many = thrice;
            for (int pass = 4; pass <= 11; ++pass) many = boxReference(many);
            blur.Passes = 11;
            EXPECT_EQ(run(blur, src), many) << k.w << "x" << k.h;
            sharpen.Amount = 11.0L;
            EXPECT_EQ(run(sharpen, src), sharpenReference(src, many)) << k.w << "x" << k.h;
        }
        // A rectangle inside a larger picture: its edge pixels repeat, not the picture's.
        const QImage big = randomPicture(41, 33, QImage::Format_ARGB32, 5, false);
        const QRect part(3, 4, 29, 21);
        TGREffectUnsharpMask sharpen;
        const QImage inner = big.copy(part);
        EXPECT_EQ(run(sharpen, big, part), sharpenReference(inner, boxReference(inner)));
    });
}

TEST(EffectsReference, NormalisationMatchesThePlainFormulas) {
    bothKernels([] {
        unsigned seed = 101;
        for (const Case& k : kCases) {
            if (k.w * k.h < 100) continue;  // too few pixels for a stretch
            for (bool dark : {false, true}) {
                const QImage src = randomPicture(k.w, k.h, k.format, ++seed, dark);
                TGREffectAutoNormalize normalize;
                const QImage out = run(normalize, src);
                const QImage expected = normalizeReference(src);
                ASSERT_EQ(out.size(), expected.size());
                EXPECT_EQ(out, expected)
                    << k.w << "x" << k.h << " format " << k.format << (dark ? " dark" : " even");
            }
        }
        const QImage big = randomPicture(45, 31, QImage::Format_BGR888, 9, true);
        const QRect part(2, 3, 39, 25);
        TGREffectAutoNormalize normalize;
        EXPECT_EQ(run(normalize, big, part), normalizeReference(big.copy(part)));
    });
}
