#include "imaging/Resample.h"

#include "imaging/Parallel.h"
#include "imaging/TargetClones.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

int ChannelCount(const QImage& img) {
    switch (img.format()) {
        case QImage::Format_Grayscale8:
        case QImage::Format_Indexed8:
        case QImage::Format_Alpha8:
            return 1;
        case QImage::Format_BGR888:
        case QImage::Format_RGB888:
            return 3;
        case QImage::Format_RGB32:
        case QImage::Format_ARGB32:
        case QImage::Format_ARGB32_Premultiplied:
            return 4;
        default:
            return 0;
    }
}

namespace {

constexpr int kOne = 65536;      // the rule's weights are 16.16 fixed point
constexpr int kWeightBits = 14;  // the weights the loops use (see the bounds below)

// The source pixels one destination pixel draws on along one axis, with their 16.16 weights.
struct Tap {
    int first = 0;
    std::vector<std::int32_t> weights;
};

std::vector<Tap> taps(int s, int d, int filter) {
    std::vector<Tap> out(static_cast<size_t>(d));
    if (d == s) {
        for (int k = 0; k < d; ++k) out[size_t(k)] = {k, {kOne}};
        return out;
    }
    if (d < s) {
        // Cell k covers [k s/d, (k+1) s/d); overlaps weighted, scaled by d/s.
        for (int k = 0; k < d; ++k) {
            const std::int64_t a = std::int64_t(k) * s * kOne / d,
                               b = std::int64_t(k + 1) * s * kOne / d;
            const int i0 = int(a / kOne), i1 = int((b - 1) / kOne);
            Tap t{i0, {}};
            std::int64_t sum = 0;
            for (int i = i0; i <= i1; ++i) {
                const std::int64_t lo = std::max<std::int64_t>(a, std::int64_t(i) * kOne);
                const std::int64_t hi = std::min<std::int64_t>(b, std::int64_t(i + 1) * kOne);
                const std::int32_t w = std::int32_t((hi - lo) * d / s);
                t.weights.push_back(w);
                sum += w;
            }
            // Rounding in the weights must not change the brightness of flat areas.
            auto& biggest = *std::max_element(t.weights.begin(), t.weights.end());
            biggest += std::int32_t(kOne - sum);
            out[size_t(k)] = std::move(t);
        }
        return out;
    }
    for (int k = 0; k < d; ++k) {
        const double x = double(k) * s / d - 0.5;
        const int i = int(std::floor(x));
        const double f = x - i;
        std::vector<double> w;
        int first;
        if (filter == rfCubic) {
            first = i - 1;
            w = {(-f + 2 * f * f - f * f * f) / 2, (2 - 5 * f * f + 3 * f * f * f) / 2,
                 (f + 4 * f * f - 3 * f * f * f) / 2, (-f * f + f * f * f) / 2};
        } else {
            first = i;
            w = {1 - f, f};
        }
        Tap t{first, {}};
        std::int64_t sum = 0;
        for (double v : w) {
            t.weights.push_back(std::int32_t(std::lround(v * kOne)));
            sum += t.weights.back();
        }
        auto& biggest = *std::max_element(t.weights.begin(), t.weights.end());
        biggest += std::int32_t(kOne - sum);
        out[size_t(k)] = std::move(t);
    }
    return out;
}

// One axis as the loops use it: every destination index has the same number of taps
// (missing ones weigh 0), source indices are already clamped to the rectangle (edge
// repetition), and the weights have 14 fractional bits and still sum to exactly 1.
//
// Why 14 bits keeps every sum in 32 bits: the linear and area weights are >= 0 with sum
// 2^14; the cubic ones have a positive part <= 1.125 and a negative part >= -0.125
// (Catmull-Rom's negative lobes add up to f(1-f)/2), plus at most 2^-13 of rounding.
// - Horizontal: |sum of byte * weight| <= 255 * 1.25 * 2^14 < 2^23.
// - The horizontal result r = (sum + 32) >> 6 has 8 fractional bits and lies in
//   [-8200, 73500] (cubic) or [0, 65280] (others).
// - Vertical: |sum of r * weight| <= 73500 * 18440 + 8200 * 2060 < 1.38e9 < 2^31.
struct Axis {
    int taps = 0;
    std::vector<std::int32_t> index;   // d * taps source indices
    std::vector<std::int32_t> weight;  // d * taps weights, 14 fractional bits
};

Axis axis(int s, int d, int filter) {
    const std::vector<Tap> t = taps(s, d, filter);
    Axis a;
    for (const Tap& tap : t) a.taps = std::max(a.taps, int(tap.weights.size()));
    a.index.assign(size_t(d) * size_t(a.taps), 0);
    a.weight.assign(size_t(d) * size_t(a.taps), 0);
    constexpr int shift = 16 - kWeightBits;
    for (int k = 0; k < d; ++k) {
        const Tap& tap = t[size_t(k)];
        std::int32_t* idx = &a.index[size_t(k) * size_t(a.taps)];
        std::int32_t* w = &a.weight[size_t(k) * size_t(a.taps)];
        std::int32_t sum = 0;
        for (int n = 0; n < a.taps; ++n) {
            const int i = tap.first + std::min(n, int(tap.weights.size()) - 1);
            idx[n] = std::clamp(i, 0, s - 1);
            if (n < int(tap.weights.size())) {
                w[n] = (tap.weights[size_t(n)] + (1 << (shift - 1))) >> shift;
                sum += w[n];
            }
        }
        *std::max_element(w, w + tap.weights.size()) += (1 << kWeightBits) - sum;
    }
    return a;
}

// Horizontal pass of one source row into `out` (8 fractional bits per channel).
// `off` holds the byte offset of every tap's source pixel within the row.
template <int Bpp, int Taps>
void horizontalFixed(const uchar* __restrict line, const std::int32_t* __restrict off,
                     const std::int32_t* __restrict wt, int dw, std::int32_t* __restrict out) {
    for (int k = 0; k < dw; ++k, off += Taps, wt += Taps, out += Bpp) {
        std::int32_t acc[Bpp];
        for (int c = 0; c < Bpp; ++c) acc[c] = 32;
        for (int n = 0; n < Taps; ++n) {
            const uchar* p = line + off[n];
            for (int c = 0; c < Bpp; ++c) acc[c] += std::int32_t(p[c]) * wt[n];
        }
        for (int c = 0; c < Bpp; ++c) out[c] = acc[c] >> (kWeightBits - 8);
    }
}

template <int Bpp>
void horizontalAny(const uchar* __restrict line, const std::int32_t* __restrict off,
                   const std::int32_t* __restrict wt, int taps, int dw,
                   std::int32_t* __restrict out) {
    for (int k = 0; k < dw; ++k, off += taps, wt += taps, out += Bpp) {
        std::int32_t acc[Bpp];
        for (int c = 0; c < Bpp; ++c) acc[c] = 32;
        for (int n = 0; n < taps; ++n) {
            const uchar* p = line + off[n];
            for (int c = 0; c < Bpp; ++c) acc[c] += std::int32_t(p[c]) * wt[n];
        }
        for (int c = 0; c < Bpp; ++c) out[c] = acc[c] >> (kWeightBits - 8);
    }
}

template <int Bpp>
void horizontal(const uchar* line, const std::int32_t* off, const std::int32_t* wt, int taps,
                int dw, std::int32_t* out) {
    switch (taps) {
        case 1:
            return horizontalFixed<Bpp, 1>(line, off, wt, dw, out);
        case 2:
            return horizontalFixed<Bpp, 2>(line, off, wt, dw, out);
        case 3:
            return horizontalFixed<Bpp, 3>(line, off, wt, dw, out);
        case 4:
            return horizontalFixed<Bpp, 4>(line, off, wt, dw, out);
        default:
            return horizontalAny<Bpp>(line, off, wt, taps, dw, out);
    }
}

inline __attribute__((always_inline)) uchar toByte(std::int32_t acc) {
    // 8 + 14 fractional bits back to a byte, rounded.
    return uchar(std::clamp((acc + (1 << 21)) >> 22, 0, 255));
}

// Vertical pass: combines `Taps` horizontally resampled rows into one destination row.
template <int Taps>
inline __attribute__((always_inline)) void verticalFixed(const std::int32_t* const* rows,
                                                         const std::int32_t* wt, size_t n,
                                                         uchar* __restrict out) {
    const std::int32_t* __restrict r[Taps];
    std::int32_t w[Taps];
    for (int t = 0; t < Taps; ++t) r[t] = rows[t], w[t] = wt[t];
    for (size_t i = 0; i < n; ++i) {
        std::int32_t acc = 0;
        for (int t = 0; t < Taps; ++t) acc += r[t][i] * w[t];
        out[i] = toByte(acc);
    }
}

// Built for AVX-512 and AVX2 as well; integer arithmetic gives every build the same bytes.
VELLUMO_TARGET_CLONES void vertical(const std::int32_t* const* rows, const std::int32_t* wt,
                                    int taps, size_t n, uchar* out) {
    switch (taps) {
        case 1:
            return verticalFixed<1>(rows, wt, n, out);
        case 2:
            return verticalFixed<2>(rows, wt, n, out);
        case 3:
            return verticalFixed<3>(rows, wt, n, out);
        default:
            return verticalFixed<4>(rows, wt, n, out);
    }
}

void accumulate(const std::int32_t* __restrict r, std::int32_t w, size_t n,
                std::int32_t* __restrict acc) {
    for (size_t i = 0; i < n; ++i) acc[i] += r[i] * w;
}

void finish(const std::int32_t* __restrict acc, size_t n, uchar* __restrict out) {
    for (size_t i = 0; i < n; ++i) out[i] = toByte(acc[i]);
}

class Worker {
public:
    Worker(const QImage& src, const QRect& rect, int bpp, const Axis& h, int dw)
        : src_(src), rect_(rect), bpp_(bpp), h_(h), dw_(dw) {
        offsets_.resize(h.index.size());
        for (size_t i = 0; i < offsets_.size(); ++i) offsets_[i] = (h.index[i] + rect.left()) * bpp;
        for (Slot& s : cache_) s.values.resize(size_t(dw) * size_t(bpp));
    }

    // The horizontally resampled source row `j` (relative to the rectangle, in range).
    // Rows live in slot j % 4, so any four consecutive rows are held at once.
    const std::int32_t* row(int j) {
        Slot& slot = cache_[size_t(j) & 3];
        if (slot.index == j) return slot.values.data();
        slot.index = j;
        const uchar* line = src_.constScanLine(rect_.top() + j);
        const std::int32_t* off = offsets_.data();
        const std::int32_t* wt = h_.weight.data();
        std::int32_t* out = slot.values.data();
        switch (bpp_) {
            case 1:
                horizontal<1>(line, off, wt, h_.taps, dw_, out);
                break;
            case 3:
                horizontal<3>(line, off, wt, h_.taps, dw_, out);
                break;
            default:
                horizontal<4>(line, off, wt, h_.taps, dw_, out);
                break;
        }
        return slot.values.data();
    }

private:
    struct Slot {
        int index = -1;
        std::vector<std::int32_t> values;
    };
    const QImage& src_;
    QRect rect_;
    int bpp_;
    const Axis& h_;
    int dw_;
    std::vector<std::int32_t> offsets_;
    std::array<Slot, 4> cache_;
};

// Destination rows [y0, y1); `out0` is the first byte of the destination's pixels.
void resampleRows(uchar* out0, qsizetype stride, int dw, const QImage& src, const QRect& rect,
                  int bpp, const Axis& h, const Axis& v, int y0, int y1) {
    Worker worker(src, rect, bpp, h, dw);
    const size_t n = size_t(dw) * size_t(bpp);
    std::vector<std::int32_t> acc;
    for (int y = y0; y < y1; ++y) {
        const std::int32_t* idx = &v.index[size_t(y) * size_t(v.taps)];
        const std::int32_t* wt = &v.weight[size_t(y) * size_t(v.taps)];
        uchar* out = out0 + stride * y;
        if (v.taps <= 4) {
            // The taps are at most four consecutive rows, which the cache holds together.
            const std::int32_t* rows[4];
            for (int t = 0; t < v.taps; ++t) rows[t] = worker.row(idx[t]);
            vertical(rows, wt, v.taps, n, out);
        } else {
            acc.assign(n, 0);
            for (int t = 0; t < v.taps; ++t) accumulate(worker.row(idx[t]), wt[t], n, acc.data());
            finish(acc.data(), n, out);
        }
    }
}

}  // namespace

void Resample(QImage& dest, const QImage& src, const QRect& srcRect, int filter) {
    const int bpp = ChannelCount(src);
    if (dest.isNull() || dest.width() <= 0 || dest.height() <= 0 || src.isNull() || bpp == 0)
        return;
    if (srcRect.isEmpty() || !src.rect().contains(srcRect)) return;
    const QSize size = dest.size();
    // Every filter maps a picture of the same size onto itself.
    if (srcRect.size() == size) {
        dest = srcRect == src.rect() ? src : src.copy(srcRect);
        return;
    }
    dest = QImage(size, src.format());
    if (src.format() == QImage::Format_Indexed8) dest.setColorTable(src.colorTable());
    const Axis h = axis(srcRect.width(), size.width(), filter);
    const Axis v = axis(srcRect.height(), size.height(), filter);
    // Rows are independent, so the threads give the single-thread result.
    uchar* out = dest.bits();
    const qsizetype stride = dest.bytesPerLine();
    const int dw = size.width();
    ParallelRows(size.height(), std::int64_t(size.width()) * size.height(), [&](int from, int to) {
        resampleRows(out, stride, dw, src, srcRect, bpp, h, v, from, to);
    });
}

void Resample(QImage& dest, const QImage& src, int filter) {
    Resample(dest, src, src.rect(), filter);
}
