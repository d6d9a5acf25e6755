#include "imaging/Blur.h"

#include "imaging/Parallel.h"
#include "imaging/Resample.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

double BlurSigma(int radius) { return (std::abs(radius) + 1) / std::sqrt(2 * std::log(255.0)); }

namespace {

// Coefficients of the recursive Gaussian (causal n0..n3, anti-causal m1..m4, shared d1..d4),
// normalised so that flat areas keep their value.
struct Coefficients {
    float n[4], m[4], d[4];
    float causalGain, anticausalGain;  // steady-state output per unit input
    bool truncate;                     // large radii truncate, small ones round
};

Coefficients coefficients(int radius) {
    const double sigma = BlurSigma(radius);
    const double k = 1 / (sigma * std::sqrt(2 * M_PI));
    const double a0 = 1.6803 * k, a1 = 3.735 * k, c0 = -0.6803 * k, c1 = -0.2598 * k;
    const double b0 = 1.783 / sigma, b1 = 1.723 / sigma, w0 = 0.6318 / sigma, w1 = 1.997 / sigma;
    const double e0 = std::exp(-b0), e1 = std::exp(-b1);
    const double cw0 = std::cos(w0), sw0 = std::sin(w0), cw1 = std::cos(w1), sw1 = std::sin(w1);
    double n[4], d[4], m[4];
    n[0] = a0 + c0;
    n[1] = e1 * (c1 * sw1 - (c0 + 2 * a0) * cw1) + e0 * (a1 * sw0 - (2 * c0 + a0) * cw0);
    n[2] = 2 * e0 * e1 * ((a0 + c0) * cw1 * cw0 - a1 * cw1 * sw0 - c1 * cw0 * sw1) + c0 * e0 * e0 + a0 * e1 * e1;
    n[3] = e1 * e0 * e0 * (c1 * sw1 - c0 * cw1) + e0 * e1 * e1 * (a1 * sw0 - a0 * cw0);
    d[0] = -2 * e1 * cw1 - 2 * e0 * cw0;
    d[1] = 4 * cw1 * cw0 * e0 * e1 + e1 * e1 + e0 * e0;
    d[2] = -2 * cw0 * e0 * e1 * e1 - 2 * cw1 * e1 * e0 * e0;
    d[3] = e0 * e0 * e1 * e1;
    for (int i = 0; i < 3; ++i) m[i] = n[i + 1] - d[i] * n[0];
    m[3] = -d[3] * n[0];
    const double dsum = 1 + d[0] + d[1] + d[2] + d[3];
    const double gain = (n[0] + n[1] + n[2] + n[3] + m[0] + m[1] + m[2] + m[3]) / dsum;
    Coefficients c{};
    for (int i = 0; i < 4; ++i) {
        c.n[i] = float(n[i] / gain);
        c.m[i] = float(m[i] / gain);
        c.d[i] = float(d[i]);
    }
    c.causalGain = float((n[0] + n[1] + n[2] + n[3]) / gain / dsum);
    c.anticausalGain = float((m[0] + m[1] + m[2] + m[3]) / gain / dsum);
    c.truncate = std::abs(radius) > 50;
    return c;
}

// Filters `count` values spaced `step` bytes apart, starting at `p`, in place.
void filterLine(uchar* p, int count, qsizetype step, const Coefficients& c, std::vector<float>& x,
                std::vector<float>& y) {
    x.resize(size_t(count));
    y.resize(size_t(count));
    for (int i = 0; i < count; ++i) x[size_t(i)] = p[step * i];
    // Causal pass, starting in the steady state of the first value.
    float x1 = x[0], x2 = x[0], x3 = x[0];
    float y1 = x[0] * c.causalGain, y2 = y1, y3 = y1, y4 = y1;
    for (int i = 0; i < count; ++i) {
        const float x0 = x[size_t(i)];
        const float v = c.n[0] * x0 + c.n[1] * x1 + c.n[2] * x2 + c.n[3] * x3 - c.d[0] * y1 - c.d[1] * y2 -
                        c.d[2] * y3 - c.d[3] * y4;
        y[size_t(i)] = v;
        x3 = x2, x2 = x1, x1 = x0;
        y4 = y3, y3 = y2, y2 = y1, y1 = v;
    }
    // Anti-causal pass from the end, in the steady state of the last value.
    const float last = x[size_t(count) - 1];
    float xa1 = last, xa2 = last, xa3 = last, xa4 = last;
    float ya1 = last * c.anticausalGain, ya2 = ya1, ya3 = ya1, ya4 = ya1;
    for (int i = count - 1; i >= 0; --i) {
        const float v = c.m[0] * xa1 + c.m[1] * xa2 + c.m[2] * xa3 + c.m[3] * xa4 - c.d[0] * ya1 - c.d[1] * ya2 -
                        c.d[2] * ya3 - c.d[3] * ya4;
        const float out = y[size_t(i)] + v;
        const float r = c.truncate ? std::trunc(out) : std::floor(out + 0.5f);
        p[step * i] = uchar(std::clamp(r, 0.0f, 255.0f));
        xa4 = xa3, xa3 = xa2, xa2 = xa1, xa1 = x[size_t(i)];
        ya4 = ya3, ya3 = ya2, ya2 = ya1, ya1 = v;
    }
}

}  // namespace

void Blur(QImage& img, const QRect& rect, int verticalRadius, int horizontalRadius) {
    const bool vertical = std::abs(verticalRadius) >= 1, horizontal = std::abs(horizontalRadius) >= 1;
    const int bpp = ChannelCount(img);
    const QRect r = rect.intersected(img.rect());
    if ((!vertical && !horizontal) || r.isEmpty() || bpp == 0) return;
    uchar* base = img.bits();
    const qsizetype stride = img.bytesPerLine();
    const std::int64_t work = std::int64_t(r.width()) * r.height();
    if (vertical) {
        const Coefficients c = coefficients(verticalRadius);
        ParallelRows(r.width(), work, [&](int from, int to) {
            std::vector<float> x, y;
            for (int col = from; col < to; ++col)
                for (int ch = 0; ch < bpp; ++ch)
                    filterLine(base + stride * r.top() + (r.left() + col) * bpp + ch, r.height(), stride, c, x, y);
        });
    }
    if (horizontal) {
        const Coefficients c = coefficients(horizontalRadius);
        ParallelRows(r.height(), work, [&](int from, int to) {
            std::vector<float> x, y;
            for (int row = from; row < to; ++row)
                for (int ch = 0; ch < bpp; ++ch)
                    filterLine(base + stride * (r.top() + row) + r.left() * bpp + ch, r.width(), bpp, c, x, y);
        });
    }
}
