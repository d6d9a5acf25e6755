#include "platform/canvas/ArcShapes.h"

#include "platform/canvas/Canvas.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace platform {

std::vector<QPointF> arcPoints(const QRectF& box, QPointF start, QPointF end, bool clockwise,
                               double step) {
    const QRectF b = box.normalized();
    const double rx = b.width() / 2, ry = b.height() / 2;
    const QPointF c = b.center();
    if (rx <= 0 || ry <= 0 || !std::isfinite(rx) || !std::isfinite(ry)) return {c, c};
    // Angles on the unit circle the ellipse is stretched from, y pointing up.
    const auto angle = [&](QPointF p) {
        const double dx = (p.x() - c.x()) / rx, dy = (c.y() - p.y()) / ry;
        return dx == 0 && dy == 0 ? 0.0 : std::atan2(dy, dx);
    };
    constexpr double kTwoPi = 2 * std::numbers::pi;
    const double a0 = angle(start), a1 = angle(end);
    double sweep = clockwise ? a0 - a1 : a1 - a0;
    sweep = std::fmod(sweep, kTwoPi);
    if (sweep <= 1e-9) sweep += kTwoPi;
    if (clockwise) sweep = -sweep;
    const double length = std::abs(sweep) * std::max(rx, ry);
    const int n = int(std::clamp(length / std::max(step, 0.01), 8.0, 4096.0));
    std::vector<QPointF> out;
    out.reserve(size_t(n) + 1);
    for (int i = 0; i <= n; ++i) {
        const double a = a0 + sweep * i / n;
        out.emplace_back(c.x() + rx * std::cos(a), c.y() - ry * std::sin(a));
    }
    return out;
}

namespace {

std::vector<QPoint> logicalArc(const Canvas& canvas, const TRect& box, QPoint start, QPoint end,
                               bool clockwise) {
    // Steps of about two device pixels, whatever the logical unit.
    const TRect d = canvas.toDevice(box);
    const double scale =
        std::max(1.0, double(std::max(std::abs(box.Width()), std::abs(box.Height()))) /
                          std::max(1, std::max(d.Width(), d.Height())));
    std::vector<QPoint> pts;
    for (const QPointF& p : arcPoints(arcBox(box), start, end, clockwise, 2 * scale)) {
        const QPoint q(int(std::lround(p.x())), int(std::lround(p.y())));
        if (pts.empty() || pts.back() != q) pts.push_back(q);
    }
    return pts;
}

}  // namespace

void arc(Canvas& canvas, const TRect& box, QPoint start, QPoint end, bool clockwise) {
    const QPoint keep = canvas.currentPosition();
    canvas.polyline(logicalArc(canvas, box, start, end, clockwise));
    canvas.moveTo(keep);
}

void arcTo(Canvas& canvas, const TRect& box, QPoint start, QPoint end, bool clockwise) {
    std::vector<QPoint> pts = logicalArc(canvas, box, start, end, clockwise);
    canvas.polylineTo(pts);
}

void pie(Canvas& canvas, const TRect& box, QPoint start, QPoint end, bool clockwise) {
    std::vector<QPoint> pts = logicalArc(canvas, box, start, end, clockwise);
    const QPointF c = arcBox(box).center();
    pts.emplace_back(int(std::lround(c.x())), int(std::lround(c.y())));
    canvas.polygon(pts);
}

void chord(Canvas& canvas, const TRect& box, QPoint start, QPoint end, bool clockwise) {
    canvas.polygon(logicalArc(canvas, box, start, end, clockwise));
}

}  // namespace platform
