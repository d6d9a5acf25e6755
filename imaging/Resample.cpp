#include "imaging/Resample.h"

#include "imaging/Parallel.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

int ChannelCount(const QImage& img) {
    switch (img.format()) {
        case QImage::Format_Grayscale8:
        case QImage::Format_Indexed8:
        case QImage::Format_Alpha8: return 1;
        case QImage::Format_BGR888:
        case QImage::Format_RGB888: return 3;
        case QImage::Format_RGB32:
        case QImage::Format_ARGB32:
        case QImage::Format_ARGB32_Premultiplied: return 4;
        default: return 0;
    }
}

namespace {

constexpr int kOne = 65536;  // weights are 16.16 fixed point

// The source pixels one destination pixel draws on along one axis, with their weights.
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
            const std::int64_t a = std::int64_t(k) * s * kOne / d, b = std::int64_t(k + 1) * s * kOne / d;
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

// One horizontally resampled row, 8 fractional bits per channel value.
using Row = std::vector<std::int32_t>;

class Worker {
public:
    Worker(const QImage& src, const QRect& rect, int bpp, const std::vector<Tap>& h, int dw)
        : src_(src), rect_(rect), bpp_(bpp), h_(h), dw_(dw) {}

    // The horizontally resampled source row `j` (relative to the rectangle, clamped).
    const Row& row(int j) {
        j = std::clamp(j, 0, rect_.height() - 1);
        for (auto& c : cache_)
            if (c.index == j) return c.values;
        Slot& slot = cache_[next_];
        next_ = (next_ + 1) % cache_.size();
        slot.index = j;
        slot.values.assign(size_t(dw_) * size_t(bpp_), 0);
        const uchar* line = src_.constScanLine(rect_.top() + j);
        const int w = rect_.width();
        for (int k = 0; k < dw_; ++k) {
            const Tap& t = h_[size_t(k)];
            for (int c = 0; c < bpp_; ++c) {
                std::int64_t acc = 0;
                for (size_t n = 0; n < t.weights.size(); ++n) {
                    const int x = std::clamp(t.first + int(n), 0, w - 1) + rect_.left();
                    acc += std::int64_t(line[x * bpp_ + c]) * t.weights[n];
                }
                slot.values[size_t(k) * size_t(bpp_) + size_t(c)] = std::int32_t((acc + 128) >> 8);
            }
        }
        return slot.values;
    }

private:
    struct Slot {
        int index = -1;
        Row values;
    };
    const QImage& src_;
    QRect rect_;
    int bpp_;
    const std::vector<Tap>& h_;
    int dw_;
    std::array<Slot, 4> cache_;
    size_t next_ = 0;
};

// Destination rows [y0, y1); `out` is the first byte of the destination's pixels.
void resampleRows(uchar* out0, qsizetype stride, int dw, const QImage& src, const QRect& rect, int bpp,
                  const std::vector<Tap>& h, const std::vector<Tap>& v, int y0, int y1) {
    Worker worker(src, rect, bpp, h, dw);
    const size_t n = size_t(dw) * size_t(bpp);
    std::vector<std::int64_t> acc(n);
    for (int y = y0; y < y1; ++y) {
        const Tap& t = v[size_t(y)];
        std::fill(acc.begin(), acc.end(), 0);
        for (size_t k = 0; k < t.weights.size(); ++k) {
            const Row& r = worker.row(t.first + int(k));
            const std::int64_t w = t.weights[k];
            for (size_t i = 0; i < n; ++i) acc[i] += r[i] * w;
        }
        uchar* out = out0 + stride * y;
        for (size_t i = 0; i < n; ++i) {
            const std::int64_t v8 = (acc[i] + 32768) >> 16;  // back to 8 fractional bits
            out[i] = uchar(std::clamp<std::int64_t>((v8 + 128) >> 8, 0, 255));
        }
    }
}

}  // namespace

void Resample(QImage& dest, const QImage& src, const QRect& srcRect, int filter) {
    const int bpp = ChannelCount(src);
    if (dest.isNull() || dest.width() <= 0 || dest.height() <= 0 || src.isNull() || bpp == 0) return;
    if (srcRect.isEmpty() || !src.rect().contains(srcRect)) return;
    const QSize size = dest.size();
    dest = QImage(size, src.format());
    if (src.format() == QImage::Format_Indexed8) dest.setColorTable(src.colorTable());
    const std::vector<Tap> h = taps(srcRect.width(), size.width(), filter);
    const std::vector<Tap> v = taps(srcRect.height(), size.height(), filter);
    // Rows are independent, so the threads give the single-thread result.
    uchar* out = dest.bits();
    const qsizetype stride = dest.bytesPerLine();
    const int dw = size.width();
    ParallelRows(size.height(), std::int64_t(size.width()) * size.height(),
                 [&](int from, int to) { resampleRows(out, stride, dw, src, srcRect, bpp, h, v, from, to); });
}

void Resample(QImage& dest, const QImage& src, int filter) { Resample(dest, src, src.rect(), filter); }
