#include "imaging/filters/Effects.h"

#include "imaging/Parallel.h"
#include "imaging/PhasedProgress.h"

#include <algorithm>
#include <cmath>
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

// Calls pixel(s, d) for every pixel of the rectangle (s into the source, d into the
// destination), copying the fourth byte of 32-bit pixels, stepping progress every 64 rows.
template <class F>
void forEachPixel(const QImage& src, const QRect& r, QImage& dst, TPhasedProgressBase* progress,
                  F&& pixel) {
    const int bpp = bytesPerPixel(src);
    PhaseGuard phase(progress, r.height() / 64 + 1);
    for (int y = 0; y < r.height(); ++y) {
        if (y % 64 == 0) phase.step();
        const std::uint8_t* s = src.constScanLine(r.top() + y) + r.left() * bpp;
        std::uint8_t* d = dst.scanLine(y);
        if (bpp == 3) {
            for (int x = 0; x < r.width(); ++x, s += 3, d += 3) pixel(s, d);
        } else {
            for (int x = 0; x < r.width(); ++x, s += 4, d += 4) {
                pixel(s, d);
                d[3] = s[3];
            }
        }
    }
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

// One 3 x 3 box pass from `src` (rectangle r) into `dst` (same size, origin 0,0).
template <int Bpp>
void boxPass(const QImage& src, const QRect& r, QImage& dst, PhaseGuard& phase) {
    const int w = r.width(), h = r.height();
    const auto& ninth = ninthTable();
    std::vector<std::uint16_t> buffers(size_t(w) * 3 * 3);
    std::uint16_t* rows[3] = {buffers.data(), buffers.data() + size_t(w) * 3,
                              buffers.data() + size_t(w) * 6};
    auto sums = [&](int y, std::uint16_t* out) {
        const std::uint8_t* p = src.constScanLine(r.top() + y) + r.left() * Bpp;
        for (int c = 0; c < 3; ++c) {
            if (w == 1) {
                out[c] = std::uint16_t(3 * p[c]);
                continue;
            }
            out[c] = std::uint16_t(2 * p[c] + p[Bpp + c]);
            for (int x = 1; x < w - 1; ++x)
                out[x * 3 + c] =
                    std::uint16_t(p[(x - 1) * Bpp + c] + p[x * Bpp + c] + p[(x + 1) * Bpp + c]);
            out[(w - 1) * 3 + c] = std::uint16_t(p[(w - 2) * Bpp + c] + 2 * p[(w - 1) * Bpp + c]);
        }
    };
    sums(0, rows[1]);
    std::copy_n(rows[1], size_t(w) * 3, rows[0]);
    sums(std::min(1, h - 1), rows[2]);
    for (int y = 0; y < h; ++y) {
        if (y % 64 == 0) phase.step();
        const std::uint8_t* s = src.constScanLine(r.top() + y) + r.left() * Bpp;
        std::uint8_t* d = dst.scanLine(y);
        const std::uint16_t *a = rows[0], *b = rows[1], *c = rows[2];
        for (int x = 0; x < w; ++x, d += Bpp, s += Bpp, a += 3, b += 3, c += 3) {
            d[0] = ninth[size_t(a[0] + b[0] + c[0])];
            d[1] = ninth[size_t(a[1] + b[1] + c[1])];
            d[2] = ninth[size_t(a[2] + b[2] + c[2])];
            if constexpr (Bpp == 4) d[3] = s[3];
        }
        std::uint16_t* recycled = rows[0];
        rows[0] = rows[1];
        rows[1] = rows[2];
        rows[2] = recycled;
        sums(std::min(y + 2, h - 1), rows[2]);
    }
}

// `passes` box passes from the source rectangle into dst (already of the right size).
void boxBlur(const QImage& src, const QRect& r, QImage& dst, int passes,
             TPhasedProgressBase* progress) {
    passes = std::max(passes, 1);
    const int bpp = bytesPerPixel(src);
    PhaseGuard phase(progress, passes * (r.height() / 64 + 1));
    QImage scratch;
    if (passes > 1) scratch = QImage(dst.size(), dst.format());
    const QImage* in = &src;
    QRect inRect = r;
    for (int k = 1; k <= passes; ++k) {
        // Targets alternate so that the last pass ends in the destination.
        QImage& out = (passes - k) % 2 == 0 ? dst : scratch;
        if (bpp == 3)
            boxPass<3>(*in, inRect, out, phase);
        else
            boxPass<4>(*in, inRect, out, phase);
        in = &out;
        inRect = out.rect();
    }
}

// 2 x source - blurred, per channel, into `blurred`.
void sharpenInto(const QImage& src, const QRect& r, QImage& blurred) {
    const int bpp = bytesPerPixel(src);
    std::array<std::uint8_t, 766> clampTable{};  // index 2s - b + 255
    for (int i = 0; i < 766; ++i) clampTable[size_t(i)] = std::uint8_t(std::clamp(i - 255, 0, 255));
    for (int y = 0; y < r.height(); ++y) {
        const std::uint8_t* s = src.constScanLine(r.top() + y) + r.left() * bpp;
        std::uint8_t* d = blurred.scanLine(y);
        for (int x = 0; x < r.width(); ++x, s += bpp, d += bpp)
            for (int c = 0; c < 3; ++c) d[c] = clampTable[size_t(2 * s[c] - d[c] + 255)];
    }
}

}  // namespace

QRect TGREffector::effectiveRect() const {
    if (!Source || !Dest || Dest == Source || bytesPerPixel(*Source) == 0) return {};
    return SourceRect.isNull() ? Source->rect() : SourceRect.intersected(Source->rect());
}

void TGREffector::prepareDest(const QRect& rect) const {
    *Dest = QImage(rect.size(), Source->format());
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
    forEachPixel(*Source, r, *Dest, Progress, [&](const std::uint8_t* s, std::uint8_t* d) {
        const auto& t = table[size_t((29 * s[0] + 150 * s[1] + 77 * s[2]) >> 8)];
        d[0] = t[0];
        d[1] = t[1];
        d[2] = t[2];
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
    forEachPixel(*Source, r, *Dest, Progress, [&](const std::uint8_t* s, std::uint8_t* d) {
        d[0] = table[s[0]];
        d[1] = table[s[1]];
        d[2] = table[s[2]];
    });
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

    // Pass 1: the Y histogram and the darkest and lightest pixels, bottom row first.
    Stats st;
    for (int row = 0; row < h; ++row) {
        if (row % 64 == 0) phase.step();
        const int qy = h - 1 - row, dy = row & 1;
        const std::uint8_t* p = Source->constScanLine(r.top() + qy) + r.left() * bpp;
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
    std::uint8_t* const scratchBits = scratch.bits();  // taken once: threads write rows
    const qsizetype scratchStride = scratch.bytesPerLine();
    constexpr int kBand = 64 * 8;  // rows per parallel run; progress steps after each
    for (int band = 0; band < h; band += kBand) {
        const int bandRows = std::min(kBand, h - band);
        ParallelRows(bandRows, (long long)w * bandRows, [&](int first, int last) {
            for (int row = band + first; row < band + last; ++row) {
                const int qy = h - 1 - row, dy = row & 1;
                const std::uint8_t* p = Source->constScanLine(r.top() + qy) + r.left() * bpp;
                std::uint8_t* d = scratchBits + qy * scratchStride;
                for (int x = 0; x < w; ++x, p += bpp, d += bpp) {
                    const Ycc c = toYcc(p, x & 1, dy);
                    const int y = yTable[size_t(c.y)], cb = cbTable[size_t(c.cb)],
                              cr = crTable[size_t(c.cr)];
                    d[2] = std::uint8_t(std::clamp((y + 5743 * cr + 32768) / 65536, 0, 255));
                    d[1] = std::uint8_t(
                        std::clamp((y - 1410 * cb - 2925 * cr + 2920448) / 65536, 0, 255));
                    d[0] = std::uint8_t(std::clamp((y + 7258 * cb - 14831616) / 65536, 0, 255));
                    if (bpp == 4) d[3] = p[3];
                }
            }
        });
        for (int row = 0; row < bandRows; row += 64) phase.step();
    }

    TGREffectUnsharpMask sharpen;
    sharpen.Source = &scratch;
    sharpen.Dest = Dest;
    sharpen.Amount = 1.0L;
    sharpen.Execute();
}
