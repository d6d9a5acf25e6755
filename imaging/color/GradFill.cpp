#include "imaging/color/GradFill.h"

#include "imaging/Resample.h"
#include "platform/canvas/Canvas.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr int kLast = kGradSteps - 1;
constexpr int64_t kCornerDistance = 367831;  // round(4096 * sqrt(2) * 63.5)
constexpr int64_t kHalfTurn = 12868;         // round(4096 * pi)
constexpr int64_t kFullTurn = 25736;
// The largest picture a printer gradation is resampled into (about a B4 face at 600 dpi).
constexpr int64_t kMaxResampledPixels = 48'000'000;
constexpr int kMaxResampledSide = 16384;

int clampStep(int64_t v) {
    return int(std::clamp<int64_t>(v, 0, kLast));
}

// a * b / c rounded to nearest, halves away from zero (c > 0).
int64_t mulDiv(int64_t a, int64_t b, int64_t c) {
    const int64_t p = a * b;
    return p >= 0 ? (p + c / 2) / c : -((-p + c / 2) / c);
}

// Sine, cosine and their larger magnitude for the direction angle.
struct Direction {
    double s, c, m;
};
Direction direction(int32_t angle) {
    int64_t a = angle % 360;
    if (a < 0) a += 360;
    const double r = double(360 - a) * std::numbers::pi / 180.0;
    Direction d{std::sin(r), std::cos(r), 0};
    d.m = std::max(std::abs(d.s), std::abs(d.c));
    return d;
}

// Distance (4096ths of a cell) and angle (4096ths of a radian, from the downward
// direction towards the right) of every cell from the centre, computed once. The grid is
// symmetric, so these are the same as one octant mirrored.
struct PolarTables {
    std::array<int32_t, kGradCells * kGradCells> distance{};
    std::array<int32_t, kGradCells * kGradCells> angle{};
};

const PolarTables& polarTables() {
    static const PolarTables tables = [] {
        PolarTables t;
        for (int j = 0; j < kGradCells; ++j) {
            for (int k = 0; k < kGradCells; ++k) {
                const double dx = double(k) - 63.5, dy = double(j) - 63.5;
                const size_t i = size_t(j) * kGradCells + size_t(k);
                t.distance[i] = int32_t(std::lround(4096.0 * std::sqrt(dx * dx + dy * dy)));
                t.angle[i] = int32_t(std::lround(4096.0 * std::atan2(dx, dy)));
            }
        }
        return t;
    }();
    return tables;
}

}  // namespace

TGradRamp TGradFill::BuildRamp() const {
    TGradRamp ramp;
    const int64_t n = int64_t(colours_.size());
    if (n == 0) {
        ramp.fill(qRgb(0, 0, 0));
        return ramp;
    }
    std::vector<QRgb> rgb(colours_.size());
    for (size_t i = 0; i < colours_.size(); ++i) rgb[i] = platform::colorToRgb(colours_[i]);
    for (int t = 0; t < kGradSteps; ++t) {
        const int64_t s = reversed_ ? kLast - t : t;
        // x = s (n - 1) / 1024 exactly: i its whole part, frac / 1024 its fraction.
        const int64_t x = s * (n - 1);
        const size_t i = size_t(x / kGradSteps);
        const int64_t frac = x % kGradSteps;
        const QRgb a = rgb[i];
        // A single colour has no next one: the ramp is that colour throughout.
        const QRgb b = i + 1 < rgb.size() ? rgb[i + 1] : a;
        auto channel = [frac](int ca, int cb) {
            return std::clamp<int>(ca + int(frac * (cb - ca) / kGradSteps), 0, 255);
        };
        ramp[size_t(t)] = qRgb(channel(qRed(a), qRed(b)), channel(qGreen(a), qGreen(b)),
                               channel(qBlue(a), qBlue(b)));
    }
    return ramp;
}

QImage TGradFill::Render() const {
    const TGradRamp ramp = BuildRamp();
    const TGradIndexMap map = BuildIndexMap();
    QImage image(kGradCells, kGradCells, QImage::Format_RGB32);
    for (int j = 0; j < kGradCells; ++j) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(j));
        const uint16_t* row = map.data() + size_t(j) * kGradCells;
        for (int k = 0; k < kGradCells; ++k) line[k] = ramp[row[k]];
    }
    return image;
}

std::unique_ptr<TGradFill> TGradFill::Create(TGradKind kind, std::vector<TColor> colours,
                                             int32_t angle) {
    switch (kind) {
        case rgkBoxToRim:
        case rgkBoxToCenter:
            return std::make_unique<TBoxGradFill>(std::move(colours), kind == rgkBoxToRim, angle);
        case rgkCircleToRim:
        case rgkCircleToCenter:
            return std::make_unique<TCircleGradFill>(std::move(colours), kind == rgkCircleToRim);
        case rgkConeClockwise:
        case rgkConeCounterClockwise:
            if (!colours.empty()) colours.push_back(colours.front());
            return std::make_unique<TConeGradFill>(std::move(colours), kind == rgkConeClockwise,
                                                   angle);
        case rgkSimple:
        default:
            return std::make_unique<TLinearGradFill>(std::move(colours), angle);
    }
}

TGradIndexMap TLinearGradFill::BuildIndexMap() const {
    const Direction d = direction(angle_);
    const double a = d.s * d.m * 512.0 * 65536.0;
    const double b = d.c * d.m * 512.0 * 65536.0;
    const int64_t stepX = int64_t(std::trunc(2.0 * a / 127.0));
    const int64_t stepY = int64_t(std::trunc(2.0 * b / 127.0));
    int64_t rowStart = -int64_t(std::trunc(b)) - int64_t(std::trunc(a - 33554432.0));
    TGradIndexMap map;
    for (int j = 0; j < kGradCells; ++j, rowStart += stepY) {
        int64_t v = rowStart;
        uint16_t* row = map.data() + size_t(j) * kGradCells;
        for (int k = 0; k < kGradCells; ++k, v += stepX)
            row[k] = uint16_t(clampStep(v < 0 ? 0 : v >> 16));
    }
    return map;
}

TGradIndexMap TBoxGradFill::BuildIndexMap() const {
    const Direction d = direction(angle_);
    TGradIndexMap map;
    for (int j = 0; j < kGradCells; ++j) {
        const double y = 2.0 * j / 127.0 - 1.0;
        for (int k = 0; k < kGradCells; ++k) {
            const double x = 2.0 * k / 127.0 - 1.0;
            const double u = d.m * (d.s * x + d.c * y);
            const double v = d.m * (d.c * x - d.s * y);
            map[size_t(j) * kGradCells + size_t(k)] =
                uint16_t(clampStep(int64_t(1024.0 * std::max(std::abs(u), std::abs(v)))));
        }
    }
    return map;
}

TGradIndexMap TCircleGradFill::BuildIndexMap() const {
    const PolarTables& t = polarTables();
    TGradIndexMap map;
    for (size_t i = 0; i < map.size(); ++i)
        map[i] = uint16_t(clampStep(mulDiv(t.distance[i], kGradSteps, kCornerDistance)));
    return map;
}

TGradIndexMap TConeGradFill::BuildIndexMap() const {
    const PolarTables& t = polarTables();
    const int64_t turn = std::llround(4096.0 * double(angle_ % 360) * std::numbers::pi / 180.0);
    TGradIndexMap map;
    for (size_t i = 0; i < map.size(); ++i) {
        int64_t phi = t.angle[i] + turn;
        while (phi > kHalfTurn - 1) phi -= kFullTurn;
        while (phi < -kHalfTurn) phi += kFullTurn;
        map[i] = uint16_t(clampStep(mulDiv(phi + kHalfTurn, kGradSteps, kFullTurn)));
    }
    return map;
}

void PaintGradation(platform::Canvas& canvas, const TRect& rect, const std::vector<TColor>& colours,
                    bool invert, int32_t angle, TGradKind kind) {
    if (colours.empty() || rect.IsEmpty()) return;
    const QImage cells = TGradFill::Create(kind, colours, angle)->Render();
    const platform::Rop3 rop = invert ? platform::SRCINVERT : platform::SRCCOPY;
    // Shrinking takes the nearest cells: the canvas's default of ANDing the covered cells
    // would darken and mix the colours of small swatches. The mode is put back afterwards.
    platform::CanvasStateKeeper kept(canvas);
    canvas.tools().stretchMode = platform::StretchMode::ColorOnColor;
    if (canvas.device().isPrinter()) {
        // The grid resampled to the rectangle's logical size; a rectangle larger than a
        // picture can sensibly be is resampled to a proportionally smaller one and then
        // stretched, so it still gets painted.
        double w = double(int64_t(rect.Right) - rect.Left),
               h = double(int64_t(rect.Bottom) - rect.Top);
        if (w * h > double(kMaxResampledPixels)) {
            const double f = std::sqrt(double(kMaxResampledPixels) / (w * h));
            w = std::max(1.0, std::floor(w * f));
            h = std::max(1.0, std::floor(h * f));
        }
        const QSize size(int(std::min(w, double(kMaxResampledSide))),
                         int(std::min(h, double(kMaxResampledSide))));
        QImage sized(size, QImage::Format_RGB32);
        Resample(sized, cells, rfLinear);
        canvas.stretchBlt(rect, sized, sized.rect(), rop);
    } else {
        canvas.stretchBlt(rect, cells, cells.rect(), rop);
    }
}
