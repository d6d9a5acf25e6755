// Automatic normalisation in 12-bit YCbCr: a histogram pass over the source, a tone curve
// from it, then one pass that converts each row through the curve and sharpens it with the
// 3 x 3 box of its neighbours, three converted rows rotating per thread.
#include "imaging/filters/Effects.h"

#include "imaging/filters/EffectRows.h"
#include "imaging/filters/EffectSupport.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

namespace {

// The 12-bit Cb and Cr of a pixel; dx, dy the parity of its column and of its row as
// counted from the bottom, spreading 8-bit input over the 12-bit scale.
struct Chroma {
    int cb, cr;
};
inline Chroma toChroma(const std::uint8_t* p, int dx, int dy) {
    const int b = p[0], g = p[1], r = p[2];
    return {(32768 * b + 16384 * dy - 11059 * r - 21709 * g - 10855 * dx + 8388608) >> 12,
            (32768 * r + 16384 * dx - 27439 * g - 5329 * b - 13720 * dy + 8388608) >> 12};
}

// A flat picture still shows this spread of Y through the parity terms alone (their
// largest sum, 29033, is about 7.1 twelve-bit steps): no larger spread counts as flat.
constexpr int kDitherSpread = 8;

// Neighbouring pixels often share a Y: four histograms taken in turn keep the counts of
// one pixel from waiting for those of the one before.
constexpr int kSubHistograms = 4;

struct Stats {
    std::array<std::array<std::uint32_t, 4096>, kSubHistograms> hist{};
    int largest = -1, smallest = 65536;
    int cbAtLargest = 2048, crAtLargest = 2048, cbAtSmallest = 2048, crAtSmallest = 2048;

    // Counts a row of Y values (ys) read from the pixels p; the first pixel of the largest
    // or smallest Y so far gives the colour of the extremes.
    void count(const std::uint16_t* ys, const std::uint8_t* p, int w, int bpp, int dy,
               LumaRange range) {
        int x = 0;
        for (; x + 4 <= w; x += 4) {
            ++hist[0][ys[x]];
            ++hist[1][ys[x + 1]];
            ++hist[2][ys[x + 2]];
            ++hist[3][ys[x + 3]];
        }
        for (; x < w; ++x) ++hist[0][ys[x]];
        if (range.largest > largest) {
            const int at = int(std::find(ys, ys + w, range.largest) - ys);
            const Chroma c = toChroma(p + at * bpp, at & 1, dy);
            largest = range.largest;
            cbAtLargest = c.cb;
            crAtLargest = c.cr;
        }
        if (range.smallest < smallest) {
            const int at = int(std::find(ys, ys + w, range.smallest) - ys);
            const Chroma c = toChroma(p + at * bpp, at & 1, dy);
            smallest = range.smallest;
            cbAtSmallest = c.cb;
            crAtSmallest = c.cr;
        }
    }
};

// The tone curve and the colour shifts from the histogram and the extremes.
void buildCurve(const Stats& st, const std::array<long long, 4096>& hist, NormalizeCurve& curve) {
    int distinct = 0;
    std::array<long long, 4096> cum{};
    long long total = 0;
    for (int j = 0; j < 4096; ++j) {
        distinct += hist[size_t(j)] != 0;
        total += hist[size_t(j)];
        cum[size_t(j)] = total;
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

    // Y' x 4096, as the back conversion wants it.
    for (int i = 0; i < 4096; ++i) curve.yScaled[size_t(i)] = i * 4096;
    curve.cbShift = curve.crShift = 0;
    const bool flat = distinct < 2 || st.largest - st.smallest <= kDitherSpread;
    if (flat || black >= white) return;
    const int mid = (black + white) / 2;
    double e = 1;
    if (median > mid) {
        const double x = double(median - mid) / (median - black);
        e = 1 - std::pow(2 * x, 2) / 2;
    } else if (median < mid) {
        const double x = double(mid - median) / (white - median);
        e = 1 + std::pow(2 * x, 0.5) / 2;
    }
    for (int i = 0; i < 4096; ++i) {
        int y;
        if (i <= black)
            y = 0;
        else if (i >= white)
            y = 4095;
        else
            y = std::min(
                4095, int(std::trunc(std::pow(double(i - black) / (white - black), 1 / e) * 4095)));
        curve.yScaled[size_t(i)] = y * 4096;
    }
    if (st.smallest <= 1023 && st.largest >= 3073) {
        curve.cbShift = (1792 - (st.cbAtLargest + st.cbAtSmallest) / 2) / 2;
        curve.crShift = (2304 - (st.crAtLargest + st.crAtSmallest) / 2) / 2;
    }
}

}  // namespace

void TGREffectAutoNormalize::Execute() {
    const QRect r = effectiveRect();
    if (r.isEmpty()) return;
    prepareDest(r);
    const int bpp = EffectBytesPerPixel(*Source), w = r.width(), h = r.height();
    const long long work = (long long)w * h;
    PhaseGuard phase(Progress, (h / 64) * 2 + 3);

    // Pass 1: the Y histogram and the darkest and lightest pixels, bottom row first. Each
    // half of the rows is counted apart (in parallel for large pictures) and the halves are
    // merged in row order, so the first pixel still wins ties.
    const RowPointers in(*Source, r, bpp);
    const auto halves = std::make_unique<Stats[]>(2);
    RunEffectChunks(h, work, phase, (h + 63) / 64, [&](int first, int last, const auto& tick) {
        std::vector<std::uint16_t> ys(static_cast<size_t>(w));
        for (int row = first; row < last; ++row) {
            tick(row);
            const std::uint8_t* p = in[h - 1 - row];
            const int dy = row & 1;
            const LumaRange range = LumaRow(p, w, bpp, dy, ys.data());
            halves[row < h / 2 ? 0 : 1].count(ys.data(), p, w, bpp, dy, range);
        }
    });
    Stats& st = halves[0];
    const Stats& late = halves[1];
    std::array<long long, 4096> hist{};
    for (int half = 0; half < 2; ++half)
        for (const auto& sub : halves[half].hist)
            for (size_t i = 0; i < hist.size(); ++i) hist[i] += sub[i];
    if (late.largest > st.largest) {
        st.largest = late.largest;
        st.cbAtLargest = late.cbAtLargest;
        st.crAtLargest = late.crAtLargest;
    }
    if (late.smallest < st.smallest) {
        st.smallest = late.smallest;
        st.cbAtSmallest = late.cbAtSmallest;
        st.crAtSmallest = late.crAtSmallest;
    }
    phase.step();

    const auto curve = std::make_unique<NormalizeCurve>();
    buildCurve(st, hist, *curve);

    // Pass 2: each row through the curve, then sharpened with a 3 x 3 box of the converted
    // rows (2 x converted - box), straight into the destination. A thread converts the row
    // on each side of its share again rather than waiting for its neighbour.
    const RowPointers out(*Dest);
    RunEffectChunks(h, work, phase, (h + 63) / 64, [&](int first, int last, const auto& tick) {
        const size_t n = size_t(w) * size_t(bpp);
        std::vector<std::uint8_t> converted(n * 3);
        std::vector<std::uint16_t> sums(n * 3);
        std::uint8_t* rows[3] = {converted.data(), converted.data() + n, converted.data() + 2 * n};
        std::uint16_t* rowSums[3] = {sums.data(), sums.data() + n, sums.data() + 2 * n};
        auto convert = [&](int slot, int y) {
            NormalizeRow(in[y], rows[slot], w, bpp, (h - 1 - y) & 1, *curve);
            BoxRowSums(rows[slot], w, bpp, rowSums[slot]);
        };
        convert(0, std::max(first - 1, 0));
        convert(1, first);
        convert(2, std::min(first + 1, h - 1));
        for (int y = first; y < last; ++y) {
            tick(y);
            SharpenRowOut(rowSums[0], rowSums[1], rowSums[2], rows[1], rows[1], out[y], w, bpp);
            std::rotate(rows, rows + 1, rows + 3);
            std::rotate(rowSums, rowSums + 1, rowSums + 3);
            if (y + 1 < last) convert(2, std::min(y + 2, h - 1));
        }
    });
}
