#pragma once
// Outlines in device pixels shared by the canvas and the shape code: flattened curves,
// ellipse polygons, and regions made from polygons with the canvas's pixel rule.

#include "platform/canvas/Scanline.h"

#include <QPoint>
#include <QRegion>
#include <vector>

namespace platform {

// Appends the cubic Bézier curve p0..p3 as a polyline without its start point, skipping
// steps that land on the previous pixel (the end point is always appended).
void flattenCubic(QPoint p0, QPoint p1, QPoint p2, QPoint p3, std::vector<QPoint>& out);

// The ellipse inscribed in the box from (left, top) to (right, bottom) as a polygon,
// exactly symmetric about both centre lines of the box.
std::vector<QPoint> ellipsePolygon(int left, int top, int right, int bottom);

// One row of a shape: its first and last pixel (inclusive).
struct Span {
    int left = 0, right = -1;
};

// The rows of the rounded rectangle filling the box [left, right) x [top, bottom) whose
// corners are quarters of a cornerWidth x cornerHeight ellipse (the ellipse itself when
// they are the box's size): for each row from top to bottom - 1, the first and last pixel
// whose centre lies inside. The spans are symmetric about both centre lines, and every
// row holds at least its middle pixel(s), so the shape touches all four sides.
std::vector<Span> roundRectSpans(int left, int top, int right, int bottom, int cornerWidth,
                                 int cornerHeight);

// The pixels whose centres lie inside the polygons (given in whole pixels).
QRegion regionFromPolygons(const std::vector<Contour>& contours, FillRule rule);

}  // namespace platform
