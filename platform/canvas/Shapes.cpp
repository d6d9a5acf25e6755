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
    // One quadrant is computed; the others are its mirror images about the box's centre
    // lines, taken in whole pixels (x -> l + r - x), so the polygon is exactly symmetric.
    const double cx = (l + r) / 2.0, cy = (t + b) / 2.0, rx = (r - l) / 2.0, ry = (b - t) / 2.0;
    const int quarter = std::clamp(int((std::fabs(rx) + std::fabs(ry)) / 2), 2, 1024);
    std::vector<QPoint> q;  // from the right end (angle 0) to the bottom (angle 90 degrees)
    q.reserve(size_t(quarter) + 1);
    for (int i = 0; i <= quarter; ++i) {
        const double a = M_PI / 2 * i / quarter;
        q.emplace_back(int(std::floor(cx + rx * std::cos(a) + 0.5)),
                       int(std::floor(cy + ry * std::sin(a) + 0.5)));
    }
    std::vector<QPoint> out;
    out.reserve(q.size() * 4);
    const int mx = l + r, my = t + b;
    for (size_t i = 0; i < q.size(); ++i) out.push_back(q[i]);                      // right, bottom
    for (size_t i = q.size(); i-- > 0;) out.emplace_back(mx - q[i].x(), q[i].y());  // bottom, left
    for (size_t i = 0; i < q.size(); ++i)
        out.emplace_back(mx - q[i].x(), my - q[i].y());                             // left, top
    for (size_t i = q.size(); i-- > 0;) out.emplace_back(q[i].x(), my - q[i].y());  // top, right
    // Drop repeated points (where the quadrants meet).
    std::vector<QPoint> unique;
    unique.reserve(out.size());
    for (QPoint p : out)
        if (unique.empty() || unique.back() != p) unique.push_back(p);
    while (unique.size() > 1 && unique.back() == unique.front()) unique.pop_back();
    return unique;
}

std::vector<Span> roundRectSpans(int l, int t, int r, int b, int cw, int ch) {
    std::vector<Span> rows;
    if (r <= l || b <= t) return rows;
    cw = std::clamp(cw, 0, r - l);
    ch = std::clamp(ch, 0, b - t);
    const double ex = cw / 2.0, ey = ch / 2.0;
    const double topCentre = t + ey, bottomCentre = b - ey;
    const int midLeft = int(std::floor((l + r - 1) / 2.0)), midRight = (l + r - 1) - midLeft;
    rows.reserve(size_t(b - t));
    for (int y = t; y < b; ++y) {
        const double yc = y + 0.5;
        double dy = 0;
        if (yc < topCentre)
            dy = topCentre - yc;
        else if (yc > bottomCentre)
            dy = yc - bottomCentre;
        double inset = 0;  // how far the row's ends stay inside the box's sides
        if (dy > 0 && ey > 0) {
            const double k = std::min(1.0, dy / ey);
            inset = ex - ex * std::sqrt(1 - k * k);
        }
        // Pixels whose centres lie in [l + inset, r - inset].
        Span s{int(std::ceil(l + inset - 0.5)), 0};
        s.right = (l + r - 1) - s.left;  // the mirror image of the left end
        if (s.left > midLeft) s = {midLeft, midRight};
        rows.push_back(s);
    }
    return rows;
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
