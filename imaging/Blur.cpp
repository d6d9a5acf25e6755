#include "imaging/Blur.h"

#include "imaging/Parallel.h"
#include "imaging/Resample.h"
#include "imaging/TargetClones.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

double BlurSigma(int radius) {
    return (std::abs(radius) + 1) / std::sqrt(2 * std::log(255.0));
}

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

// The feed-forward and feedback coefficients of one direction.
struct Step {
    float a0, a1, a2, a3, d0, d1, d2, d3;
};

// One step of the causal recursion for all lanes: reads the input bytes p, keeps them as
// floats in x0 (x1..x3 and y1..y4 are the earlier inputs and outputs) and writes the
// outputs y.
inline __attribute__((always_inline)) void causalStep(
    const Step& s, size_t lanes, const uchar* __restrict p, float* __restrict x0,
    const float* __restrict x1, const float* __restrict x2, const float* __restrict x3,
    const float* __restrict y1, const float* __restrict y2, const float* __restrict y3,
    const float* __restrict y4, float* __restrict y) {
    for (size_t l = 0; l < lanes; ++l) {
        const float x = float(p[l]);
        x0[l] = x;
        y[l] = s.a0 * x + s.a1 * x1[l] + s.a2 * x2[l] + s.a3 * x3[l] - s.d0 * y1[l] - s.d1 * y2[l] -
               s.d2 * y3[l] - s.d3 * y4[l];
    }
}

// One step of the anti-causal recursion: x1..x4 and y1..y4 are the four later inputs and
// outputs; x4 and y4 are replaced by this position's input and output. The result, added
// to the causal output c, goes back to the bytes p.
inline __attribute__((always_inline)) void anticausalStep(
    const Step& s, float bias, size_t lanes, uchar* __restrict p, const float* __restrict c,
    const float* __restrict x1, const float* __restrict x2, const float* __restrict x3,
    float* __restrict x4, const float* __restrict y1, const float* __restrict y2,
    const float* __restrict y3, float* __restrict y4) {
    for (size_t l = 0; l < lanes; ++l) {
        const float v = s.a0 * x1[l] + s.a1 * x2[l] + s.a2 * x3[l] + s.a3 * x4[l] - s.d0 * y1[l] -
                        s.d1 * y2[l] - s.d2 * y3[l] - s.d3 * y4[l];
        x4[l] = float(p[l]);
        y4[l] = v;
        // Clamping first lets a plain conversion truncate (or round, with the bias).
        p[l] = uchar(int(std::min(std::max(c[l] + v + bias, 0.0f), 255.0f)));
    }
}

// Scratch rows of the filter, kept between calls.
struct LaneBuffers {
    std::vector<float> causal, lead, ringX, ringY;
};

// Filters `lanes` independent sequences of `count` values in place: value i of lane l is
// data[i * step + l]. All lanes advance together, so the inner loops run over contiguous
// lanes and vectorise; each lane gets exactly the arithmetic of a one-line filter.
// Built for AVX-512 and AVX2 as well; the arithmetic is the same (no contraction into fused
// multiply-adds, see CMakeLists.txt), so every machine gets the same bytes.
VELLUMO_TARGET_CLONES void filterLanes(const Coefficients& c, LaneBuffers& buf, uchar* data,
                                       int count, qsizetype step, int lanes) {
    const size_t L = size_t(lanes);
    buf.causal.resize(size_t(count) * L);
    buf.lead.resize(L);
    buf.ringX.resize(4 * L);
    buf.ringY.resize(4 * L);
    float* const causal = buf.causal.data();
    float* const rx = buf.ringX.data();
    float* const ry = buf.ringY.data();

    // Causal pass; before the start the input repeats value 0 and the output is in its
    // steady state. The last four inputs are kept as floats in a ring, entry (i & 3)
    // holding position i.
    for (size_t l = 0; l < L; ++l) {
        const float v = float(data[l]);
        buf.lead[l] = v * c.causalGain;
        for (size_t k = 0; k < 4; ++k) rx[k * L + l] = v;
    }
    const Step forward{c.n[0], c.n[1], c.n[2], c.n[3], c.d[0], c.d[1], c.d[2], c.d[3]};
    auto out = [&](int i) -> const float* {
        return i < 0 ? buf.lead.data() : causal + size_t(i) * L;
    };
    for (int i = 0; i < count; ++i) {
        auto x = [&](int k) { return rx + size_t((i - k) & 3) * L; };
        causalStep(forward, L, data + step * i, x(0), x(1), x(2), x(3), out(i - 1), out(i - 2),
                   out(i - 3), out(i - 4), causal + size_t(i) * L);
    }

    // Anti-causal pass from the end, in the steady state of the last value. The output
    // overwrites the input, so the last four inputs and outputs are kept in rings:
    // entry (i & 3) holds position i (and, before it is replaced, position i + 4).
    const uchar* last = data + step * (count - 1);
    for (size_t l = 0; l < L; ++l) {
        const float v = float(last[l]), g = v * c.anticausalGain;
        for (size_t k = 0; k < 4; ++k) rx[k * L + l] = v, ry[k * L + l] = g;
    }
    const Step backward{c.m[0], c.m[1], c.m[2], c.m[3], c.d[0], c.d[1], c.d[2], c.d[3]};
    const float bias = c.truncate ? 0.0f : 0.5f;
    for (int i = count - 1; i >= 0; --i) {
        auto slot = [&](int k) { return size_t((i + k) & 3) * L; };
        anticausalStep(backward, bias, L, data + step * i, causal + size_t(i) * L, rx + slot(1),
                       rx + slot(2), rx + slot(3), rx + slot(0), ry + slot(1), ry + slot(2),
                       ry + slot(3), ry + slot(0));
    }
}

// Copies the `width` pixels of a line to every `step`-th byte of a block, and back. Three-byte
// pixels move as four bytes, all but the last: the extra byte lands where the next pixel
// (or, in the block, the next row or the padding after the lanes) is written afterwards.
template <int Bpp>
void toBlock(const uchar* __restrict line, int width, uchar* __restrict block, size_t step) {
    const int wide = Bpp == 3 ? width - 1 : 0;
    for (int x = 0; x < wide; ++x, line += Bpp, block += step) std::memcpy(block, line, 4);
    for (int x = wide; x < width; ++x, line += Bpp, block += step) std::memcpy(block, line, Bpp);
}

template <int Bpp>
void fromBlock(const uchar* __restrict block, int width, uchar* __restrict line, size_t step) {
    const int wide = Bpp == 3 ? width - 1 : 0;
    for (int x = 0; x < wide; ++x, line += Bpp, block += step) std::memcpy(line, block, 4);
    for (int x = wide; x < width; ++x, line += Bpp, block += step) std::memcpy(line, block, Bpp);
}

void copyLine(bool into, uchar* line, int width, int bpp, uchar* block, size_t step) {
    switch (bpp) {
        case 1:
            return into ? toBlock<1>(line, width, block, step)
                        : fromBlock<1>(block, width, line, step);
        case 3:
            return into ? toBlock<3>(line, width, block, step)
                        : fromBlock<3>(block, width, line, step);
        default:
            return into ? toBlock<4>(line, width, block, step)
                        : fromBlock<4>(block, width, line, step);
    }
}

// Lanes per pass: wide enough for the vector units, small enough that the causal outputs
// of a strip stay in the cache, and multiples of the 32 bytes the vectorised loops take
// at a time (64 with AVX-512), so that few lanes are left to shorter code.
constexpr int kStripBytes = 64;  // vertical pass: bytes of a strip of columns
constexpr int kBlockRows = 32;   // horizontal pass: rows of a block

}  // namespace

void Blur(QImage& img, const QRect& rect, int verticalRadius, int horizontalRadius) {
    const bool vertical = std::abs(verticalRadius) >= 1,
               horizontal = std::abs(horizontalRadius) >= 1;
    const int bpp = ChannelCount(img);
    const QRect r = rect.intersected(img.rect());
    if ((!vertical && !horizontal) || r.isEmpty() || bpp == 0) return;
    uchar* base = img.bits();
    const qsizetype stride = img.bytesPerLine();
    const std::int64_t work = std::int64_t(r.width()) * r.height();
    if (vertical) {
        // Strips of columns; the lanes are the bytes of a strip, the positions its rows.
        const Coefficients c = coefficients(verticalRadius);
        const int rowBytes = r.width() * bpp;
        const int strips = (rowBytes + kStripBytes - 1) / kStripBytes;
        uchar* first = base + stride * r.top() + r.left() * bpp;
        ParallelRows(strips, work, [&](int from, int to) {
            LaneBuffers buf;
            for (int s = from; s < to; ++s)
                filterLanes(c, buf, first + s * kStripBytes, r.height(), stride,
                            std::min(kStripBytes, rowBytes - s * kStripBytes));
        });
    }
    if (horizontal) {
        // Blocks of rows, transposed so that the lanes are the bytes of one column of the
        // block and the positions its columns.
        const Coefficients c = coefficients(horizontalRadius);
        const int blocks = (r.height() + kBlockRows - 1) / kBlockRows;
        const size_t pixelBytes = size_t(bpp);
        ParallelRows(blocks, work, [&](int from, int to) {
            LaneBuffers buf;
            std::vector<uchar> block;
            for (int b = from; b < to; ++b) {
                const int y0 = r.top() + b * kBlockRows,
                          rows = std::min(kBlockRows, r.bottom() + 1 - y0);
                const size_t lanes = size_t(rows) * pixelBytes;
                const size_t step = lanes + 1;  // room for the last row's extra byte
                block.resize(size_t(r.width()) * step);
                for (int j = 0; j < rows; ++j)
                    copyLine(true, base + stride * (y0 + j) + r.left() * bpp, r.width(), bpp,
                             block.data() + size_t(j) * pixelBytes, step);
                filterLanes(c, buf, block.data(), r.width(), qsizetype(step), int(lanes));
                for (int j = 0; j < rows; ++j)
                    copyLine(false, base + stride * (y0 + j) + r.left() * bpp, r.width(), bpp,
                             block.data() + size_t(j) * pixelBytes, step);
            }
        });
    }
}
