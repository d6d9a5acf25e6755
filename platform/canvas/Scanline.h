#pragma once
// Scan conversion with the platform's pixel rules: a pixel belongs to a filled polygon
// when its centre lies inside (points exactly on a left or top edge are inside, on a right
// or bottom edge outside), and a one-pixel line covers every pixel of its Bresenham walk
// except the last.

#include <QPoint>
#include <QRect>
#include <functional>
#include <vector>

namespace platform {

enum class FillRule { Alternate, Winding };

using Contour = std::vector<QPoint>;  // closed implicitly

// Vertices of contours given to scanPolygons are in 1/16 pixel.
constexpr int kSubPixel = 16;
Contour toSubPixel(const Contour& pixels);

// Calls `span(y, x0, x1)` for the pixels x0 <= x < x1 of row y covered by the polygons,
// limited to the rows and columns of `limit`.
void scanPolygons(const std::vector<Contour>& subPixelContours, FillRule rule, const QRect& limit,
                  const std::function<void(int y, int x0, int x1)>& span);

// Calls `pixel(x, y)` for each pixel of the line from `a` towards `b`, `b` itself excluded.
void walkLine(QPoint a, QPoint b, const std::function<void(int x, int y)>& pixel);

}  // namespace platform
