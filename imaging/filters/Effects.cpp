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

// Several 3 x 3 box passes over one thread's share of rows at once: each pass keeps its last
// three rows and the sums of the three rows of the pass before that it reads, and a row of
// the last pass pulls the rows it needs through the passes below. Rows just outside the
// share that the passes need are computed again here rather than shared between threads.
class BoxCascade {
public:
    // Passes 1..passes over the rows `in` (pass 0) into `out`; with `sharp`, the last pass
    // gives 2 x sharp - box.
    BoxCascade(const RowPointers& in, const RowPointers& out, const RowPointers* sharp, int w,
               int h, int bpp, int passes, int first)
        : in_(in),
          out_(out),
          sharp_(sharp),
          w_(w),
          h_(h),
          bpp_(bpp),
          passes_(passes),
          n_(size_t(w) * size_t(bpp)),
          levels_(size_t(passes) + 1) {
        for (int j = 1; j <= passes; ++j) {
            Level& l = levels_[size_t(j)];
            l.next = std::max(0, first - (passes - j));
            l.summed = std::max(0, first - (passes - j + 1)) - 1;
            l.sums.resize(3 * n_);
            if (j < passes) l.rows.resize(3 * n_);
        }
    }

    // The next row of pass j (the rows of each pass come in order).
    void produce(int j) {
        Level& l = levels_[size_t(j)];
        const int y = l.next++, below = std::min(y + 1, h_ - 1);
        while (l.summed < below) {
            const int row = ++l.summed;
            if (j > 1) produce(j - 1);  // the row `row` of the pass below
            BoxRowSums(rowOf(j - 1, row), w_, bpp_, sumsOf(l, row));
        }
        const std::uint16_t *a = sumsOf(l, std::max(y - 1, 0)), *b = sumsOf(l, y),
                            *c = sumsOf(l, below);
        if (j == passes_ && sharp_)
            SharpenRowOut(a, b, c, (*sharp_)[y], rowOf(j - 1, y), rowOf(j, y), w_, bpp_);
        else
            BoxRowOut(a, b, c, rowOf(j - 1, y), rowOf(j, y), w_, bpp_);
    }

private:
    struct Level {
        int next = 0;                     // the next row this pass gives
        int summed = -1;                  // the last row of the pass below whose sums are held
        std::vector<std::uint8_t> rows;   // the last three rows given, by row % 3
        std::vector<std::uint16_t> sums;  // sums of rows of the pass below, by row % 3
    };
    std::uint8_t* rowOf(int j, int y) {
        if (j == 0) return in_[y];
        if (j == passes_) return out_[y];
        return levels_[size_t(j)].rows.data() + size_t(y % 3) * n_;
    }
    std::uint16_t* sumsOf(Level& l, int y) { return l.sums.data() + size_t(y % 3) * n_; }

    const RowPointers &in_, &out_;
    const RowPointers* sharp_;
    int w_, h_, bpp_, passes_;
    size_t n_;
    std::vector<Level> levels_;
};

// At most this many passes run at once; more go through a scratch picture in turns.
constexpr int kPassesAtOnce = 8;

// `passes` box passes from the source rectangle into dst (already of the right size); with
// `sharpen`, the last pass gives 2 x source - blur instead of the blur.
void boxBlur(const QImage& src, const QRect& r, QImage& dst, int passes, bool sharpen,
             TPhasedProgressBase* progress) {
    passes = std::max(passes, 1);
    const int bpp = EffectBytesPerPixel(src), w = r.width(), h = r.height();
    const int steps = h / 64 + 1;
    PhaseGuard phase(progress, passes * steps);
    const int turns = (passes + kPassesAtOnce - 1) / kPassesAtOnce;
    QImage scratch;
    if (turns > 1) scratch = QImage(dst.size(), dst.format());
    const RowPointers source(src, r, bpp), dstRows(dst);
    const RowPointers scratchRows = turns > 1 ? RowPointers(scratch) : dstRows;
    RowPointers in = source;
    for (int turn = 1, left = passes; turn <= turns; ++turn) {
        const int now = std::min(left, kPassesAtOnce);
        left -= now;
        // Targets alternate so that the last turn ends in the destination.
        const RowPointers& out = (turns - turn) % 2 == 0 ? dstRows : scratchRows;
        const RowPointers* sharp = sharpen && turn == turns ? &source : nullptr;
        // Each row of the last pass stands for a row of every pass in the progress.
        RunEffectChunks(h, (long long)w * h, phase, now * steps,
                        [&](int first, int last, const auto& tick) {
                            BoxCascade cascade(in, out, sharp, w, h, bpp, now, first);
                            for (int y = first; y < last; ++y) {
                                for (int k = 0; k < now; ++k) tick(y);
                                cascade.produce(now);
                            }
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
