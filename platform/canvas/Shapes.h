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

// The ellipse inscribed in the box from (left, top) to (right, bottom) as a polygon.
std::vector<QPoint> ellipsePolygon(int left, int top, int right, int bottom);

// The pixels whose centres lie inside the polygons (given in whole pixels).
QRegion regionFromPolygons(const std::vector<Contour>& contours, FillRule rule);

}  // namespace platform
