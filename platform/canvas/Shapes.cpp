#include "platform/canvas/Shapes.h"

#include <algorithm>
#include <cmath>

namespace platform {

void flattenCubic(QPoint p0, QPoint p1, QPoint p2, QPoint p3, std::vector<QPoint>& out) {
    const double len = std::hypot(p1.x() - p0.x(), p1.y() - p0.y()) + std::hypot(p2.x() - p1.x(), p2.y() - p1.y()) +
                       std::hypot(p3.x() - p2.x(), p3.y() - p2.y());
    const int steps = std::clamp(int(len / 2), 2, 256);
    QPoint last = p0;
    for (int j = 1; j <= steps; ++j) {
        const double t = double(j) / steps, u = 1 - t;
        const double a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
        const QPoint q(int(std::lround(a * p0.x() + b * p1.x() + c * p2.x() + d * p3.x())),
                       int(std::lround(a * p0.y() + b * p1.y() + c * p2.y() + d * p3.y())));
        if (q != last || j == steps) out.push_back(q);
        last = q;
    }
}

std::vector<QPoint> ellipsePolygon(int l, int t, int r, int b) {
    const double cx = (l + r) / 2.0, cy = (t + b) / 2.0, rx = (r - l) / 2.0, ry = (b - t) / 2.0;
    const int steps = std::clamp(int((std::fabs(rx) + std::fabs(ry)) * 2), 8, 4096);
    std::vector<QPoint> out;
    out.reserve(size_t(steps));
    for (int i = 0; i < steps; ++i) {
        const double a = 2 * M_PI * i / steps;
        out.emplace_back(int(std::lround(cx + rx * std::cos(a))), int(std::lround(cy + ry * std::sin(a))));
    }
    return out;
}

QRegion regionFromPolygons(const std::vector<Contour>& contours, FillRule rule) {
    std::vector<Contour> sub;
    sub.reserve(contours.size());
    for (const Contour& c : contours) sub.push_back(toSubPixel(c));
    // Spans come row by row, left to right, without overlaps: a valid banded rectangle list.
    std::vector<QRect> rects;
    const QRect everywhere(-(1 << 24), -(1 << 24), 1 << 25, 1 << 25);
    scanPolygons(sub, rule, everywhere, [&](int y, int x0, int x1) { rects.emplace_back(x0, y, x1 - x0, 1); });
    QRegion rgn;
    if (!rects.empty()) rgn.setRects(rects.data(), int(rects.size()));
    return rgn;
}

}  // namespace platform
