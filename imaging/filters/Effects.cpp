#include "imaging/filters/Effects.h"

#include "imaging/Parallel.h"
#include "imaging/PhasedProgress.h"
#include "imaging/filters/TableMap.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

namespace {

int bytesPerPixel(const QImage& image) {
    switch (image.format()) {
        case QImage::Format_BGR888:
            return 3;
        case QImage::Format_RGB32:
        case QImage::Format_ARGB32:
            return 4;
        default:
            return 0;
    }
}

// Runs row(y) for rows 0..h-1, split over the imaging threads for large pictures, and
// steps `steps` times while doing so: the calling thread steps as its share advances (every
// 64 rows of the whole), the rest of the budget is stepped at the end. Progress is only
// ever touched by the calling thread.
template <class Row>
void runRows(int h, long long work, PhaseGuard& phase, int steps, Row&& row) {
    const bool split = ImagingThreads() >= 2 && work >= 256 * 256 && h >= 2;
    const int every = split ? 32 : 64;
    int left = steps;
    ParallelRows(h, work, [&](int first, int last) {
        const bool caller = first == 0;
        for (int y = first; y < last; ++y) {
            if (caller && y % every == 0 && left > 0) {
                --left;
                phase.step();
            }
            row(y);
        }
    });
    for (; left > 0; --left) phase.step();
}

// Rows of an image as raw pointers, taken once so that threads never detach the image.
struct Rows {
    explicit Rows(QImage& img) : bits(img.bits()), stride(img.bytesPerLine()) {}
    explicit Rows(const QImage& img, const QRect& r, int bpp)
        : bits(const_cast<std::uint8_t*>(img.constBits()) + r.top() * img.bytesPerLine() +
               r.left() * bpp),
          stride(img.bytesPerLine()) {}
    std::uint8_t* operator[](int y) const { return bits + qsizetype(y) * stride; }
    std::uint8_t* bits;
    qsizetype stride;
};

// Every channel byte of the rectangle through `table`; the fourth byte of 32-bit pixels
// is carried over.
void mapChannels(const QImage& src, const QRect& r, QImage& dst, TPhasedProgressBase* progress,
                 const std::uint8_t* table) {
    const int bpp = bytesPerPixel(src), w = r.width();
    const Rows in(src, r, bpp), out(dst);
    PhaseGuard phase(progress, r.height() / 64 + 1);
    runRows(r.height(), (long long)w * r.height(), phase, r.height() / 64 + 1,
            [&](int y) { MapBytesThroughTable(in[y], out[y], w * bpp, table, bpp == 4); });
}

// s / 9 rounded, for the sums of nine channel values.
const std::array<std::uint8_t, 2304>& ninthTable() {
    static const auto table = [] {
        std::array<std::uint8_t, 2304> t{};
        for (int s = 0; s < 2304; ++s) t[size_t(s)] = std::uint8_t(std::min(255, (2 * s + 9) / 18));
        return t;
    }();
    return table;
}

// Horizontal sums of a row: each channel value plus its left and right neighbours, the
// edge pixels repeated; laid out like the pixels (Bpp values per pixel).
template <int Bpp>
void rowSums(const std::uint8_t* p, int w, std::uint16_t* out) {
    if (w == 1) {
        for (int c = 0; c < Bpp; ++c) out[c] = std::uint16_t(3 * p[c]);
        return;
    }
    for (int c = 0; c < Bpp; ++c) out[c] = std::uint16_t(2 * p[c] + p[Bpp + c]);
    const int n = (w - 1) * Bpp;
    for (int i = Bpp; i < n; ++i) out[i] = std::uint16_t(p[i - Bpp] + p[i] + p[i + Bpp]);
    for (int c = 0; c < Bpp; ++c) out[n + c] = std::uint16_t(p[n - Bpp + c] + 2 * p[n + c]);
}

// Output rows first..last-1 of one 3 x 3 box pass; three rows of sums rotate.
template <int Bpp>
void boxRows(const Rows& in, int w, int h, const Rows& out, int first, int last,
             const std::function<void(int)>& tick) {
    const auto& ninth = ninthTable();
    const size_t n = size_t(w) * Bpp;
    std::vector<std::uint16_t> buffers(n * 3);
    std::uint16_t* rows[3] = {buffers.data(), buffers.data() + n, buffers.data() + 2 * n};
    rowSums<Bpp>(in[std::max(first - 1, 0)], w, rows[0]);
    rowSums<Bpp>(in[first], w, rows[1]);
    rowSums<Bpp>(in[std::min(first + 1, h - 1)], w, rows[2]);
    for (int y = first; y < last; ++y) {
        tick(y);
        const std::uint16_t *a = rows[0], *b = rows[1], *c = rows[2];
        std::uint8_t* d = out[y];
        for (size_t i = 0; i < n; ++i) d[i] = ninth[size_t(a[i] + b[i] + c[i])];
        if constexpr (Bpp == 4) {
            const std::uint8_t* s = in[y];
            for (size_t i = 3; i < n; i += 4) d[i] = s[i];
        }
        std::uint16_t* recycled = rows[0];
        rows[0] = rows[1];
        rows[1] = rows[2];
        rows[2] = recycled;
        if (y + 1 < last) rowSums<Bpp>(in[std::min(y + 2, h - 1)], w, rows[2]);
    }
}

// One pass from `in` into `out` (both w x h), split over the imaging threads.
void boxPass(const Rows& in, const Rows& out, int w, int h, int bpp, PhaseGuard& phase) {
    const int steps = h / 64 + 1;
    const bool split = ImagingThreads() >= 2 && (long long)w * h >= 256 * 256 && h >= 2;
    const int every = split ? 32 : 64;
    int left = steps;
    const std::function<void(int)> tick = [&](int y) {
        if (y % every == 0 && left > 0) {
            --left;
            phase.step();
        }
    };
    const std::function<void(int)> quiet = [](int) {};
    ParallelRows(h, (long long)w * h, [&](int first, int last) {
        const auto& t = first == 0 ? tick : quiet;
        if (bpp == 3)
            boxRows<3>(in, w, h, out, first, last, t);
        else
            boxRows<4>(in, w, h, out, first, last, t);
    });
    for (; left > 0; --left) phase.step();
}

// `passes` box passes from the source rectangle into dst (already of the right size).
void boxBlur(const QImage& src, const QRect& r, QImage& dst, int passes,
             TPhasedProgressBase* progress) {
    passes = std::max(passes, 1);
    const int bpp = bytesPerPixel(src), w = r.width(), h = r.height();
    PhaseGuard phase(progress, passes * (h / 64 + 1));
    QImage scratch;
    if (passes > 1) scratch = QImage(dst.size(), dst.format());
    const Rows dstRows(dst);
    const Rows scratchRows = passes > 1 ? Rows(scratch) : dstRows;
    Rows in(src, r, bpp);
    for (int k = 1; k <= passes; ++k) {
        // Targets alternate so that the last pass ends in the destination.
        const Rows& out = (passes - k) % 2 == 0 ? dstRows : scratchRows;
        boxPass(in, out, w, h, bpp, phase);
        in = out;
    }
}

// 2 x source - blurred, per channel, into `blurred`.
void sharpenInto(const QImage& src, const QRect& r, QImage& blurred) {
    const int bpp = bytesPerPixel(src), w = r.width();
    std::array<std::uint8_t, 766> clampTable{};  // index 2s - b + 255
    for (int i = 0; i < 766; ++i) clampTable[size_t(i)] = std::uint8_t(std::clamp(i - 255, 0, 255));
    const Rows in(src, r, bpp), out(blurred);
    ParallelRows(r.height(), (long long)w * r.height(), [&](int first, int last) {
        for (int y = first; y < last; ++y) {
            const std::uint8_t* s = in[y];
            std::uint8_t* d = out[y];
            if (bpp == 3) {
                for (int i = 0; i < w * 3; ++i) d[i] = clampTable[size_t(2 * s[i] - d[i] + 255)];
            } else {
                for (int x = 0; x < w * 4; x += 4)
                    for (int c = 0; c < 3; ++c)
                        d[x + c] = clampTable[size_t(2 * s[x + c] - d[x + c] + 255)];
            }
        }
    });
}

}  // namespace

QRect TGREffector::effectiveRect() const {
    if (!Source || !Dest || Dest == Source || bytesPerPixel(*Source) == 0) return {};
    return SourceRect.isNull() ? Source->rect() : SourceRect.intersected(Source->rect());
}

void TGREffector::prepareDest(const QRect& rect) const {
    // A destination of the right kind is written over: every pixel gets a value.
    if (Dest->size() != rect.size() || Dest->format() != Source->format())
        *Dest = QImage(rect.size(), Source->format());
    else
        Dest->detach();
}

// ---- Mono tone ----

std::array<std::array<std::uint8_t, 3>, 256> TGREffectMonoTone::Table(TColor refColor) {
    const double r = (refColor & 0xFF) / 255.0, g = ((refColor >> 8) & 0xFF) / 255.0,
                 b = ((refColor >> 16) & 0xFF) / 255.0;
    const double mx = std::max({r, g, b}), mn = std::min({r, g, b});
    const double l = (mx + mn) / 2;
    double hue = 0, sat = 0;
    if (mx != mn) {
        sat = l <= 0.5 ? (mx - mn) / (mx + mn) : (mx - mn) / (2 - mx - mn);
        if (r == mx)
            hue = 60 * ((g - b) / (mx - mn));
        else if (g == mx)
            hue = 60 * ((b - r) / (mx - mn) + 2);
        else
            hue = 60 * ((r - g) / (mx - mn) + 4);
        while (hue < 0) hue += 360;
        while (hue >= 360) hue -= 360;
    }
    std::array<std::array<std::uint8_t, 3>, 256> table{};
    for (int j = 0; j < 256; ++j) {
        const double lj = j / 255.0;
        double rgb[3] = {lj, lj, lj};
        if (sat != 0) {
            const double m2 = lj <= 0.5 ? lj * (1 + sat) : lj + sat - lj * sat;
            const double m1 = 2 * lj - m2;
            auto v = [&](double h) {
                while (h < 0) h += 360;
                while (h > 360) h -= 360;
                if (h < 60) return m1 + (m2 - m1) * h / 60;
                if (h < 180) return m2;
                if (h < 240) return m1 + (m2 - m1) * (240 - h) / 60;
                return m1;
            };
            rgb[0] = v(hue + 120);
            rgb[1] = v(hue);
            rgb[2] = v(hue - 120);
        }
        auto byte = [](double c) { return std::uint8_t(std::clamp(int(c * 255), 0, 255)); };
        table[size_t(j)] = {byte(rgb[2]), byte(rgb[1]), byte(rgb[0])};
    }
    return table;
}

void TGREffectMonoTone::Execute() {
    const QRect r = effectiveRect();
    if (r.isEmpty()) return;
    prepareDest(r);
    const auto table = Table(RefColor);
    const int bpp = bytesPerPixel(*Source), w = r.width();
    const Rows in(*Source, r, bpp), out(*Dest);
    PhaseGuard phase(Progress, r.height() / 64 + 1);
    runRows(r.height(), (long long)w * r.height(), phase, r.height() / 64 + 1, [&](int y) {
        const std::uint8_t* s = in[y];
        std::uint8_t* d = out[y];
        for (int x = 0; x < w; ++x, s += bpp, d += bpp) {
            const auto& t = table[size_t((29 * s[0] + 150 * s[1] + 77 * s[2]) >> 8)];
            d[0] = t[0];
            d[1] = t[1];
            d[2] = t[2];
            if (bpp == 4) d[3] = s[3];
        }
    });
}

// ---- Brightness and contrast ----

std::array<std::uint8_t, 256> TGREffectBrightnessContrast::Table(int brightness, int contrast) {
    const double a = std::clamp(brightness / 100.0, -1.0, 1.0);
    const double b = std::clamp(contrast / 100.0, -1.0, 1.0);
    std::array<std::uint8_t, 256> table{};
    for (int j = 0; j < 256; ++j) {
        const double c = a + j / 255.0, e = c - 0.5;
        double f;
        if (b < 0)
            f = e * (b + 1) + 0.5;
        else if (b < 1)
            f = e / (1 - b) + 0.5;
        else
            f = c >= 0.5 ? 1 : 0;
        table[size_t(j)] = std::uint8_t(std::clamp(std::trunc(f * 255 + 0.5), 0.0, 255.0));
    }
    return table;
}

void TGREffectBrightnessContrast::Execute() {
    const QRect r = effectiveRect();
    if (r.isEmpty()) return;
    prepareDest(r);
    const auto table = Table(Brightness, Contrast);
    mapChannels(*Source, r, *Dest, Progress, table.data());
}

// ---- Blur and unsharp mask ----

void TGREffectBlur::Execute() {
    const QRect r = effectiveRect();
    if (r.isEmpty()) return;
    prepareDest(r);
    boxBlur(*Source, r, *Dest, Passes, Progress);
}

void TGREffectUnsharpMask::Execute() {
    const QRect r = effectiveRect();
    if (r.isEmpty()) return;
    prepareDest(r);
    boxBlur(*Source, r, *Dest, int(std::lround(double(Amount))), Progress);
    sharpenInto(*Source, r, *Dest);
}

// ---- Automatic normalisation (12-bit YCbCr) ----

namespace {

// The 12-bit Y, Cb, Cr of a pixel; dx, dy the parity of its column and of its row as
// counted from the bottom, spreading 8-bit input over the 12-bit scale.
struct Ycc {
    int y, cb, cr;
};
inline Ycc toYcc(const std::uint8_t* p, int dx, int dy) {
    const int b = p[0], g = p[1], r = p[2];
    return {(19595 * r + 38470 * g + 7471 * b + 19235 * dx + 9798 * dy) >> 12,
            (32768 * b + 16384 * dy - 11059 * r - 21709 * g - 10855 * dx + 8388608) >> 12,
            (32768 * r + 16384 * dx - 27439 * g - 5329 * b - 13720 * dy + 8388608) >> 12};
}

// A flat picture still shows this spread of Y through the parity terms alone (their
// largest sum, 29033, is about 7.1 twelve-bit steps): no larger spread counts as flat.
constexpr int kDitherSpread = 8;

struct Stats {
    std::array<int, 4096> hist{};
    int largest = -1, smallest = 65536;
    int cbAtLargest = 2048, crAtLargest = 2048, cbAtSmallest = 2048, crAtSmallest = 2048;
};

}  // namespace

void TGREffectAutoNormalize::Execute() {
    const QRect r = effectiveRect();
    if (r.isEmpty()) return;
    prepareDest(r);
    const int bpp = bytesPerPixel(*Source), w = r.width(), h = r.height();
    PhaseGuard phase(Progress, (h / 64) * 2 + 3);

    // Pass 1: the Y histogram and the darkest and lightest pixels, bottom row first. Each
    // half of the rows is counted apart (in parallel for large pictures) and the halves are
    // merged in row order, so the first pixel still wins ties.
    const Rows in(*Source, r, bpp);
    Stats halves[2];
    runRows(h, (long long)w * h, phase, (h + 63) / 64, [&](int row) {
        Stats& st = halves[row < h / 2 ? 0 : 1];
        const int dy = row & 1;
        const std::uint8_t* p = in[h - 1 - row];
        for (int x = 0; x < w; ++x, p += bpp) {
            const int dx = x & 1;
            const int y =
                (19595 * p[2] + 38470 * p[1] + 7471 * p[0] + 19235 * dx + 9798 * dy) >> 12;
            ++st.hist[size_t(y)];
            if (y > st.largest || y < st.smallest) {
                const Ycc c = toYcc(p, dx, dy);
                if (y > st.largest) {
                    st.largest = y;
                    st.cbAtLargest = c.cb;
                    st.crAtLargest = c.cr;
                }
                if (y < st.smallest) {
                    st.smallest = y;
                    st.cbAtSmallest = c.cb;
                    st.crAtSmallest = c.cr;
                }
            }
        }
    });
    Stats st = halves[0];
    const Stats& late = halves[1];
    for (size_t i = 0; i < st.hist.size(); ++i) st.hist[i] += late.hist[i];
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

    int distinct = 0;
    std::array<long long, 4096> cum{};
    long long total = 0;
    for (int j = 0; j < 4096; ++j) {
        distinct += st.hist[size_t(j)] != 0;
        total += st.hist[size_t(j)];
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

    std::array<int, 4096> yTable{}, cbTable{}, crTable{};
    for (int i = 0; i < 4096; ++i) yTable[size_t(i)] = cbTable[size_t(i)] = crTable[size_t(i)] = i;
    const bool flat = distinct < 2 || st.largest - st.smallest <= kDitherSpread;
    if (!flat && black < white) {
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
            if (i <= black)
                yTable[size_t(i)] = 0;
            else if (i >= white)
                yTable[size_t(i)] = 4095;
            else
                yTable[size_t(i)] = std::min(
                    4095,
                    int(std::trunc(std::pow(double(i - black) / (white - black), 1 / e) * 4095)));
        }
        if (st.smallest <= 1023 && st.largest >= 3073) {
            const int cbShift = (1792 - (st.cbAtLargest + st.cbAtSmallest) / 2) / 2;
            const int crShift = (2304 - (st.crAtLargest + st.crAtSmallest) / 2) / 2;
            for (int i = 0; i < 4096; ++i) {
                cbTable[size_t(i)] = std::clamp(i + cbShift, 0, 4095);
                crTable[size_t(i)] = std::clamp(i + crShift, 0, 4095);
            }
        }
    }
    // Folded into the back conversion: Y' = Y x 4096, Cr' = Cr - 2048.
    for (int i = 0; i < 4096; ++i) {
        yTable[size_t(i)] *= 4096;
        crTable[size_t(i)] -= 2048;
    }

    // Pass 2 into a scratch picture, then the sharpening into the destination.
    QImage scratch(r.size(), Source->format());
    const Rows scratchRows(scratch);
    runRows(h, (long long)w * h, phase, (h + 63) / 64, [&](int row) {
        const int qy = h - 1 - row, dy = row & 1;
        const std::uint8_t* p = in[qy];
        std::uint8_t* d = scratchRows[qy];
        for (int x = 0; x < w; ++x, p += bpp, d += bpp) {
            const Ycc c = toYcc(p, x & 1, dy);
            const int y = yTable[size_t(c.y)], cb = cbTable[size_t(c.cb)],
                      cr = crTable[size_t(c.cr)];
            d[2] = std::uint8_t(std::clamp((y + 5743 * cr + 32768) / 65536, 0, 255));
            d[1] = std::uint8_t(std::clamp((y - 1410 * cb - 2925 * cr + 2920448) / 65536, 0, 255));
            d[0] = std::uint8_t(std::clamp((y + 7258 * cb - 14831616) / 65536, 0, 255));
            if (bpp == 4) d[3] = p[3];
        }
    });

    TGREffectUnsharpMask sharpen;
    sharpen.Source = &scratch;
    sharpen.Dest = Dest;
    sharpen.Amount = 1.0L;
    sharpen.Execute();
}
