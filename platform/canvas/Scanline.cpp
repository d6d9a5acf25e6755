#include "platform/canvas/Scanline.h"

#include "platform/IntMath.h"

#include <algorithm>
#include <cstdlib>

namespace platform {
namespace {

struct Edge {
    std::int64_t x0, y0, x1, y1;  // y0 < y1
    int dir;
};

constexpr std::int64_t kHalf = kSubPixel / 2;

std::int64_t rowCentre(int y) { return std::int64_t(y) * kSubPixel + kHalf; }

// The first pixel column whose centre is at or right of the edge at row y's centre.
int crossing(const Edge& e, int y) {
    const std::int64_t den = e.y1 - e.y0;
    const std::int64_t num = (rowCentre(y) - e.y0) * (e.x1 - e.x0);
    return int(ceilDiv(e.x0 * den + num - kHalf * den, kSubPixel * den));
}

}  // namespace

Contour toSubPixel(const Contour& pixels) {
    Contour out;
    out.reserve(pixels.size());
    for (QPoint p : pixels) out.emplace_back(p.x() * kSubPixel, p.y() * kSubPixel);
    return out;
}

void scanPolygons(const std::vector<Contour>& contours, FillRule rule, const QRect& limit,
                  const std::function<void(int, int, int)>& span) {
    std::vector<Edge> edges;
    for (const Contour& c : contours) {
        const size_t n = c.size();
        for (size_t i = 0; i < n; ++i) {
            const QPoint a = c[i], b = c[(i + 1) % n];
            if (a.y() == b.y()) continue;
            if (a.y() < b.y())
                edges.push_back({a.x(), a.y(), b.x(), b.y(), 1});
            else
                edges.push_back({b.x(), b.y(), a.x(), a.y(), -1});
        }
    }
    if (edges.empty() || limit.isEmpty()) return;
    std::sort(edges.begin(), edges.end(), [](const Edge& a, const Edge& b) { return a.y0 < b.y0; });
    std::int64_t yMin = edges.front().y0, yMax = yMin;
    for (const Edge& e : edges) yMax = std::max(yMax, e.y1);
    // Rows whose centre lies in [yMin, yMax).
    const int top = int(std::max<std::int64_t>(ceilDiv(yMin - kHalf, kSubPixel), limit.top()));
    const int bottom = int(std::min<std::int64_t>(ceilDiv(yMax - kHalf, kSubPixel), std::int64_t(limit.bottom()) + 1));
    const int left = limit.left(), right = limit.right() + 1;

    std::vector<const Edge*> active;
    std::vector<std::pair<int, int>> xs;  // crossing, direction
    size_t next = 0;
    for (int y = top; y < bottom; ++y) {
        const std::int64_t cy = rowCentre(y);
        while (next < edges.size() && edges[next].y0 <= cy) active.push_back(&edges[next++]);
        std::erase_if(active, [cy](const Edge* e) { return e->y1 <= cy; });
        xs.clear();
        for (const Edge* e : active) xs.emplace_back(crossing(*e, y), e->dir);
        std::sort(xs.begin(), xs.end());
        int winding = 0;
        for (size_t i = 0; i + 1 < xs.size(); ++i) {
            winding += rule == FillRule::Winding ? xs[i].second : 1;
            const bool inside = rule == FillRule::Winding ? winding != 0 : (winding & 1) != 0;
            if (!inside) continue;
            const int x0 = std::max(xs[i].first, left), x1 = std::min(xs[i + 1].first, right);
            if (x0 < x1) span(y, x0, x1);
        }
    }
}

void walkLine(QPoint a, QPoint b, const std::function<void(int, int)>& pixel) {
    int x = a.x(), y = a.y();
    const int dx = std::abs(b.x() - x), dy = std::abs(b.y() - y);
    const int sx = b.x() > x ? 1 : -1, sy = b.y() > y ? 1 : -1;
    if (dx >= dy) {
        int err = 2 * dy - dx;
        for (int i = 0; i < dx; ++i) {
            pixel(x, y);
            if (err > 0 || (err == 0 && sx > 0)) {
                y += sy;
                err -= 2 * dx;
            }
            err += 2 * dy;
            x += sx;
        }
    } else {
        int err = 2 * dx - dy;
        for (int i = 0; i < dy; ++i) {
            pixel(x, y);
            if (err > 0 || (err == 0 && sy > 0)) {
                x += sx;
                err -= 2 * dy;
            }
            err += 2 * dx;
            y += sy;
        }
    }
}

}  // namespace platform
