// The optimised resampler and blur against plain implementations of their rules, written
// here as directly as possible (doubles for the resampler's weights, one line at a time
// for the blur). Every channel must agree within one unit.
#include "imaging/Blur.h"
#include "imaging/Parallel.h"
#include "imaging/Resample.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

namespace {

QImage noise(int w, int h, QImage::Format f, unsigned seed) {
    QImage img(w, h, f);
    std::mt19937 rng(seed);
    for (int y = 0; y < h; ++y)
        for (qsizetype i = 0; i < img.bytesPerLine(); ++i) img.scanLine(y)[i] = uchar(rng());
    return img;
}

// Smooth picture with some noise and a hard edge, closer to what a photo looks like.
QImage picture(int w, int h, QImage::Format f, unsigned seed) {
    QImage img = noise(w, h, f, seed);
    const int bpp = ChannelCount(img);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < bpp; ++c) {
                uchar& v = img.scanLine(y)[x * bpp + c];
                const int smooth = x < w / 2 ? 40 + 30 * c : 230 - 20 * c;
                v = uchar(std::clamp(smooth + (v % 32) - 16 + (y * 7) % 20, 0, 255));
            }
    return img;
}

struct Weights {
    int first;
    std::vector<double> w;
};

// The source pixels and weights of destination index k along an axis of source size s
// and destination size d.
Weights referenceWeights(int k, int s, int d, int filter) {
    if (d == s) return {k, {1.0}};
    if (d < s) {
        const double a = double(k) * s / d, b = double(k + 1) * s / d;
        Weights out{int(std::floor(a)), {}};
        for (int i = out.first; i < b; ++i)
            out.w.push_back((std::min<double>(b, i + 1) - std::max<double>(a, i)) * d / s);
        return out;
    }
    const double x = double(k) * s / d - 0.5;
    const int i = int(std::floor(x));
    const double f = x - i;
    if (filter == rfLinear) return {i, {1 - f, f}};
    return {i - 1,
            {(-f + 2 * f * f - f * f * f) / 2, (2 - 5 * f * f + 3 * f * f * f) / 2,
             (f + 4 * f * f - 3 * f * f * f) / 2, (-f * f + f * f * f) / 2}};
}

QImage referenceResample(const QImage& src, const QRect& rect, QSize size, int filter) {
    const int bpp = ChannelCount(src);
    QImage dest(size, src.format());
    const int sw = rect.width(), sh = rect.height();
    auto at = [&](int x, int y, int c) {
        x = std::clamp(x, 0, sw - 1) + rect.left();
        y = std::clamp(y, 0, sh - 1) + rect.top();
        return double(src.constScanLine(y)[x * bpp + c]);
    };
    for (int y = 0; y < size.height(); ++y) {
        const Weights wy = referenceWeights(y, sh, size.height(), filter);
        for (int x = 0; x < size.width(); ++x) {
            const Weights wx = referenceWeights(x, sw, size.width(), filter);
            for (int c = 0; c < bpp; ++c) {
                double v = 0;
                for (size_t j = 0; j < wy.w.size(); ++j) {
                    double row = 0;
                    for (size_t i = 0; i < wx.w.size(); ++i)
                        row += at(wx.first + int(i), wy.first + int(j), c) * wx.w[i];
                    v += std::round(row * 256) * wy.w[j];  // 8 fractional bits between the passes
                }
                dest.scanLine(y)[x * bpp + c] =
                    uchar(std::clamp(std::floor((v + 128) / 256), 0.0, 255.0));
            }
        }
    }
    return dest;
}

// Largest difference of any byte of the pixels (not the row padding).
int maxDifference(const QImage& a, const QImage& b) {
    EXPECT_EQ(a.size(), b.size());
    EXPECT_EQ(a.format(), b.format());
    const int bytes = a.width() * ChannelCount(a);
    int worst = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int i = 0; i < bytes; ++i)
            worst = std::max(worst, std::abs(a.constScanLine(y)[i] - b.constScanLine(y)[i]));
    return worst;
}

const QImage::Format kFormats[] = {QImage::Format_Grayscale8, QImage::Format_BGR888,
                                   QImage::Format_ARGB32};

TEST(ResampleReference, AgreesWithinOneUnit) {
    struct Case {
        QSize src;
        QRect rect;  // empty: the whole source
        QSize dest;
    };
    const Case cases[] = {
        {{40, 30}, {}, {16, 12}},             // shrink by 2.5
        {{33, 21}, {}, {97, 64}},             // enlarge by about 3
        {{50, 40}, {}, {7, 5}},               // strong shrink: many taps per pixel
        {{25, 30}, {3, 4, 17, 19}, {40, 6}},  // enlarge across, shrink down, from a rectangle
        {{9, 9}, {}, {9, 20}},                // one axis copied
        {{2, 3}, {}, {11, 1}},                // tiny source
        {{64, 48}, {}, {63, 49}},             // close to equal size
        {{21, 13}, {}, {21, 13}},             // equal size: the picture itself
        {{30, 20}, {4, 3, 11, 9}, {11, 9}},   // a rectangle at its own size
    };
    for (const Case& k : cases)
        for (QImage::Format f : kFormats)
            for (int filter : {rfLinear, rfCubic}) {
                SCOPED_TRACE(testing::Message()
                             << "source " << k.src.width() << "x" << k.src.height() << " to "
                             << k.dest.width() << "x" << k.dest.height() << " format " << f
                             << " filter " << filter);
                const QImage src =
                    picture(k.src.width(), k.src.height(), f, unsigned(k.dest.width()));
                const QRect rect = k.rect.isEmpty() ? src.rect() : k.rect;
                QImage dest(k.dest, f);
                Resample(dest, src, rect, filter);
                EXPECT_LE(maxDifference(dest, referenceResample(src, rect, k.dest, filter)), 1);
                // Noise has the steepest steps, and so the largest cubic overshoot.
                const QImage rough = noise(k.src.width(), k.src.height(), f, 7);
                Resample(dest, rough, rect, filter);
                EXPECT_LE(maxDifference(dest, referenceResample(rough, rect, k.dest, filter)), 1);
            }
}

// The recursive Gaussian one line at a time, in single precision: coefficients from the
// published constants, causal and anti-causal passes started in the steady state of the
// end values, results rounded (truncated above radius 50) and clamped.
struct Recursion {
    float n[4], m[4], d[4], causalGain, anticausalGain;
    bool truncate;
};

Recursion recursion(int radius) {
    const double sigma = BlurSigma(radius);
    const double k = 1 / (sigma * std::sqrt(2 * M_PI));
    const double a0 = 1.6803 * k, a1 = 3.735 * k, c0 = -0.6803 * k, c1 = -0.2598 * k;
    const double b0 = 1.783 / sigma, b1 = 1.723 / sigma, w0 = 0.6318 / sigma, w1 = 1.997 / sigma;
    const double e0 = std::exp(-b0), e1 = std::exp(-b1);
    const double cw0 = std::cos(w0), sw0 = std::sin(w0), cw1 = std::cos(w1), sw1 = std::sin(w1);
    double n[4], d[4], m[4];
    n[0] = a0 + c0;
    n[1] = e1 * (c1 * sw1 - (c0 + 2 * a0) * cw1) + e0 * (a1 * sw0 - (2 * c0 + a0) * cw0);
    n[2] = 2 * e0 * e1 * ((a0 + c0) * cw1 * cw0 - a1 * cw1 * sw0 - c1 * cw0 * sw1) + c0 * e0 * e0 +
           a0 * e1 * e1;
    n[3] = e1 * e0 * e0 * (c1 * sw1 - c0 * cw1) + e0 * e1 * e1 * (a1 * sw0 - a0 * cw0);
    d[0] = -2 * e1 * cw1 - 2 * e0 * cw0;
    d[1] = 4 * cw1 * cw0 * e0 * e1 + e1 * e1 + e0 * e0;
    d[2] = -2 * cw0 * e0 * e1 * e1 - 2 * cw1 * e1 * e0 * e0;
    d[3] = e0 * e0 * e1 * e1;
    for (int i = 0; i < 3; ++i) m[i] = n[i + 1] - d[i] * n[0];
    m[3] = -d[3] * n[0];
    const double dsum = 1 + d[0] + d[1] + d[2] + d[3];
    const double gain = (n[0] + n[1] + n[2] + n[3] + m[0] + m[1] + m[2] + m[3]) / dsum;
    Recursion r{};
    for (int i = 0; i < 4; ++i)
        r.n[i] = float(n[i] / gain), r.m[i] = float(m[i] / gain), r.d[i] = float(d[i]);
    r.causalGain = float((n[0] + n[1] + n[2] + n[3]) / gain / dsum);
    r.anticausalGain = float((m[0] + m[1] + m[2] + m[3]) / gain / dsum);
    r.truncate = std::abs(radius) > 50;
    return r;
}

void referenceLine(uchar* p, int count, qsizetype step, const Recursion& c) {
    std::vector<float> x(static_cast<size_t>(count)), y(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) x[size_t(i)] = p[step * i];
    float x1 = x[0], x2 = x[0], x3 = x[0];
    float y1 = x[0] * c.causalGain, y2 = y1, y3 = y1, y4 = y1;
    for (int i = 0; i < count; ++i) {
        const float v = c.n[0] * x[size_t(i)] + c.n[1] * x1 + c.n[2] * x2 + c.n[3] * x3 -
                        c.d[0] * y1 - c.d[1] * y2 - c.d[2] * y3 - c.d[3] * y4;
        y[size_t(i)] = v;
        x3 = x2, x2 = x1, x1 = x[size_t(i)];
        y4 = y3, y3 = y2, y2 = y1, y1 = v;
    }
    const float last = x[size_t(count) - 1];
    float xa1 = last, xa2 = last, xa3 = last, xa4 = last;
    float ya1 = last * c.anticausalGain, ya2 = ya1, ya3 = ya1, ya4 = ya1;
    for (int i = count - 1; i >= 0; --i) {
        const float v = c.m[0] * xa1 + c.m[1] * xa2 + c.m[2] * xa3 + c.m[3] * xa4 - c.d[0] * ya1 -
                        c.d[1] * ya2 - c.d[2] * ya3 - c.d[3] * ya4;
        const float out = y[size_t(i)] + v;
        const float r = c.truncate ? std::trunc(out) : std::floor(out + 0.5f);
        p[step * i] = uchar(std::clamp(r, 0.0f, 255.0f));
        xa4 = xa3, xa3 = xa2, xa2 = xa1, xa1 = x[size_t(i)];
        ya4 = ya3, ya3 = ya2, ya2 = ya1, ya1 = v;
    }
}

void referenceBlur(QImage& img, const QRect& rect, int vertical, int horizontal) {
    const int bpp = ChannelCount(img);
    const QRect r = rect.intersected(img.rect());
    if (std::abs(vertical) >= 1) {
        const Recursion c = recursion(vertical);
        for (int x = r.left(); x <= r.right(); ++x)
            for (int ch = 0; ch < bpp; ++ch)
                referenceLine(img.scanLine(r.top()) + x * bpp + ch, r.height(), img.bytesPerLine(),
                              c);
    }
    if (std::abs(horizontal) >= 1) {
        const Recursion c = recursion(horizontal);
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int ch = 0; ch < bpp; ++ch)
                referenceLine(img.scanLine(y) + r.left() * bpp + ch, r.width(), bpp, c);
    }
}

TEST(BlurReference, AgreesWithinOneUnit) {
    struct Case {
        QSize size;
        QRect rect;  // empty: the whole picture
        int vertical, horizontal;
    };
    const Case cases[] = {
        {{37, 53}, {}, 1, 1},  // narrow: strips and row blocks end part-way
        {{90, 70}, {}, 10, 10},
        {{90, 70}, {5, 3, 61, 50}, 4, 7},     // a rectangle inside the picture
        {{90, 70}, {-10, 60, 50, 40}, 3, 3},  // a rectangle clipped by the picture
        {{120, 45}, {}, 0, 12},               // horizontal only
        {{45, 120}, {}, 12, 0},               // vertical only
        {{160, 130}, {}, 60, 60},             // large radii: floating point, truncated
        {{160, 130}, {}, 51, 20},             // the larger radius decides
        {{300, 7}, {}, 120, 120},
        {{1, 1}, {}, 5, 5},
        {{1, 9}, {}, 5, 5},
        {{9, 1}, {}, 5, 5},
    };
    for (const Case& k : cases)
        for (QImage::Format f : kFormats) {
            SCOPED_TRACE(testing::Message()
                         << k.size.width() << "x" << k.size.height() << " radii " << k.vertical
                         << "/" << k.horizontal << " format " << f);
            for (const QImage& src : {picture(k.size.width(), k.size.height(), f, 3),
                                      noise(k.size.width(), k.size.height(), f, 5)}) {
                const QRect rect = k.rect.isEmpty() ? src.rect() : k.rect;
                QImage ours = src.copy(), reference = src.copy();
                Blur(ours, rect, k.vertical, k.horizontal);
                referenceBlur(reference, rect, k.vertical, k.horizontal);
                EXPECT_LE(maxDifference(ours, reference), 1);
                if (!rect.contains(src.rect())) {
                    // Outside the rectangle nothing changes.
                    const QRect inside = rect.intersected(src.rect());
                    for (int y = 0; y < src.height(); ++y)
                        for (int x = 0; x < src.width(); ++x)
                            if (!inside.contains(x, y)) {
                                ASSERT_EQ(ours.pixel(x, y), src.pixel(x, y));
                            }
                }
            }
        }
}

TEST(ResampleAndBlur, TwoThreadsGiveTheSameBytesOnRectangles) {
    // Rectangles whose strips and row blocks do not line up with the halves of the work.
    for (QImage::Format f : {QImage::Format_Grayscale8, QImage::Format_ARGB32}) {
        const QImage src = picture(700, 500, f, 11);
        const QRect rect(13, 7, 661, 477);
        QImage one = src.copy(), two = src.copy();
        SetImagingThreads(1);
        Blur(one, rect, 9, 60);
        QImage small1(300, 700, f);
        Resample(small1, src, rect, rfCubic);
        SetImagingThreads(2);
        Blur(two, rect, 9, 60);
        QImage small2(300, 700, f);
        Resample(small2, src, rect, rfCubic);
        SetImagingThreads(0);
        EXPECT_EQ(one, two);
        EXPECT_EQ(small1, small2);
        EXPECT_NE(one, src);
    }
}

}  // namespace
