#include "drawing/Scaler.h"

#include <algorithm>

#include "document/stream/PropertyBuilder.h"
#include "platform/IntMath.h"

using platform::mulDiv;

VELLUMO_DEFINE_PERSISTENT(TScaler)

TScaler::TScaler() : unitDpi_(ScreenDPI()) {}

void TScaler::DeclareProperties(PropertyBuilder<TScaler>& p) {
    p.integer("Scale", &TScaler::Scale, &TScaler::SetScale).defaultValue(100);
    p.integer("UnitDPI", &TScaler::UnitDPI, &TScaler::SetUnitDPI);
}

void TScaler::SetScale(int scale) {
    // Conversions divide by the scale and the unit resolution: neither may drop below 1,
    // whatever a stream or a caller asks for.
    scale = std::max(scale, 1);
    if (scale == scale_) return;
    scale_ = scale;
    changed();
}

void TScaler::SetUnitDPI(int dpi) {
    dpi = std::max(dpi, 1);
    if (dpi == unitDpi_) return;
    unitDpi_ = dpi;
    changed();
}

void TScaler::Assign(const TPersistent& source) {
    const auto* other = dynamic_cast<const TScaler*>(&source);
    if (!other) {
        TPersistent::Assign(source);
        return;
    }
    scale_ = other->scale_;
    unitDpi_ = other->unitDpi_;
    changed();
}

QPoint TScaler::LogToDev(const TCanvas& canvas, QPoint p) const {
    const int d = GetCanvasDPI(canvas);
    return {mulDiv(p.x(), d * scale_, unitDpi_ * 100), mulDiv(p.y(), d * scale_, unitDpi_ * 100)};
}

QPoint TScaler::DevToLog(const TCanvas& canvas, QPoint p) const {
    const int d = GetCanvasDPI(canvas);
    return {mulDiv(p.x(), unitDpi_ * 100, d * scale_), mulDiv(p.y(), unitDpi_ * 100, d * scale_)};
}

TRect TScaler::LogRectToDev(int dpi, const TRect& r) const {
    const std::int64_t a = std::int64_t(dpi) * scale_, b = std::int64_t(unitDpi_) * 100;
    if (b == 0) return {};
    return {int(platform::floorDiv(a * r.Left, b)), int(platform::floorDiv(a * r.Top, b)),
            int(platform::ceilDiv(a * r.Right, b)), int(platform::ceilDiv(a * r.Bottom, b))};
}

TRect TScaler::LogRectToDev(const TCanvas& canvas, const TRect& r) const {
    return LogRectToDev(GetCanvasDPI(canvas), r);
}

void TScaler::PrepareCanvas(TCanvas& canvas, int dpi) const {
    // Whatever origins were set become one device offset.
    platform::Mapping m = canvas.mapping();
    const QPoint oldWindow = m.windowOrigin, oldViewport = m.viewportOrigin;
    m.windowOrigin = m.viewportOrigin = {0, 0};
    const QPoint offset = oldViewport - m.toDevice(oldWindow);
    if (dpi == 0) dpi = GetCanvasDPI(canvas);
    std::int64_t n = std::int64_t(dpi) * scale_, d = std::int64_t(unitDpi_) * 100;
    if (const std::int64_t g = platform::gcd(n, d); g > 1) n /= g, d /= g;
    if (n == 0 || d == 0) n = d = 1;
    platform::Mapping prepared;
    prepared.mode = platform::MapMode::Anisotropic;
    prepared.windowExtent = {int(d), int(d)};
    prepared.viewportExtent = {int(n), int(n)};
    prepared.viewportOrigin = offset;
    canvas.setMapping(prepared);
    if (canvas.tools().font.pixelsPerInch != unitDpi_) {
        const int points = canvas.tools().font.size();
        canvas.tools().font.pixelsPerInch = unitDpi_;
        canvas.tools().font.setSize(points);
    }
}
