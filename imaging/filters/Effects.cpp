#include "imaging/filters/Effects.h"

#include "imaging/filters/EffectRows.h"
#include "imaging/filters/EffectSupport.h"
#include "imaging/filters/TableMap.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// Every channel byte of the rectangle through `table`; the fourth byte of 32-bit pixels
// is carried over.
void mapChannels(const QImage& src, const QRect& r, QImage& dst, TPhasedProgressBase* progress,
                 const std::uint8_t* table) {
    const int bpp = EffectBytesPerPixel(src), w = r.width();
    const RowPointers in(src, r, bpp), out(dst);
    PhaseGuard phase(progress, r.height() / 64 + 1);
    RunEffectRows(r.height(), (long long)w * r.height(), phase, r.height() / 64 + 1,
                  [&](int y) { MapBytesThroughTable(in[y], out[y], w * bpp, table, bpp == 4); });
}

// Output rows first..last-1 of one 3 x 3 box pass; three rows of sums rotate. With `sharp`,
// the rows are sharpened against it: 2 x sharp - box.
template <class Tick>
void boxRows(const RowPointers& in, int w, int h, int bpp, const RowPointers& out,
             const RowPointers* sharp, int first, int last, const Tick& tick) {
    const size_t n = size_t(w) * size_t(bpp);
    std::vector<std::uint16_t> buffers(n * 3);
    std::uint16_t* rows[3] = {buffers.data(), buffers.data() + n, buffers.data() + 2 * n};
    BoxRowSums(in[std::max(first - 1, 0)], w, bpp, rows[0]);
    BoxRowSums(in[first], w, bpp, rows[1]);
    BoxRowSums(in[std::min(first + 1, h - 1)], w, bpp, rows[2]);
    for (int y = first; y < last; ++y) {
        tick(y);
        if (sharp)
            SharpenRowOut(rows[0], rows[1], rows[2], (*sharp)[y], in[y], out[y], w, bpp);
        else
            BoxRowOut(rows[0], rows[1], rows[2], in[y], out[y], w, bpp);
        std::uint16_t* recycled = rows[0];
        rows[0] = rows[1];
        rows[1] = rows[2];
        rows[2] = recycled;
        if (y + 1 < last) BoxRowSums(in[std::min(y + 2, h - 1)], w, bpp, rows[2]);
    }
}

// `passes` box passes from the source rectangle into dst (already of the right size); with
// `sharpen`, the last pass gives 2 x source - blur instead of the blur.
void boxBlur(const QImage& src, const QRect& r, QImage& dst, int passes, bool sharpen,
             TPhasedProgressBase* progress) {
    passes = std::max(passes, 1);
    const int bpp = EffectBytesPerPixel(src), w = r.width(), h = r.height();
    const int steps = h / 64 + 1;
    PhaseGuard phase(progress, passes * steps);
    QImage scratch;
    if (passes > 1) scratch = QImage(dst.size(), dst.format());
    const RowPointers source(src, r, bpp), dstRows(dst);
    const RowPointers scratchRows = passes > 1 ? RowPointers(scratch) : dstRows;
    RowPointers in = source;
    for (int k = 1; k <= passes; ++k) {
        // Targets alternate so that the last pass ends in the destination.
        const RowPointers& out = (passes - k) % 2 == 0 ? dstRows : scratchRows;
        const RowPointers* sharp = sharpen && k == passes ? &source : nullptr;
        RunEffectChunks(h, (long long)w * h, phase, steps,
                        [&](int first, int last, const auto& tick) {
                            boxRows(in, w, h, bpp, out, sharp, first, last, tick);
                        });
        in = out;
    }
}

}  // namespace

QRect TGREffector::effectiveRect() const {
    if (!Source || !Dest || Dest == Source || EffectBytesPerPixel(*Source) == 0) return {};
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
    const int bpp = EffectBytesPerPixel(*Source), w = r.width();
    const RowPointers in(*Source, r, bpp), out(*Dest);
    PhaseGuard phase(Progress, r.height() / 64 + 1);
    RunEffectRows(r.height(), (long long)w * r.height(), phase, r.height() / 64 + 1, [&](int y) {
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
    boxBlur(*Source, r, *Dest, Passes, false, Progress);
}

void TGREffectUnsharpMask::Execute() {
    const QRect r = effectiveRect();
    if (r.isEmpty()) return;
    prepareDest(r);
    boxBlur(*Source, r, *Dest, int(std::lround(double(Amount))), true, Progress);
}
