#pragma once
// Elliptic arcs, pies and chords on a canvas. The ellipse is the one inscribed in a box;
// the arc runs from the ray through `start` to the ray through `end` (both from the
// box's centre), counter-clockwise on the screen unless `clockwise`. Equal rays give the
// whole ellipse. Curves are drawn as polylines and polygons with the canvas's pen and
// brush, so they also go into a path being recorded.

#include "platform/Geometry.h"

#include <QPointF>
#include <QRectF>
#include <vector>

namespace platform {

class Canvas;

// The arc as points in the box's units, the first on the start ray, the last on the end
// ray; enough points that no step is longer than about `step` units (at most 4096).
std::vector<QPointF> arcPoints(const QRectF& box, QPointF start, QPointF end, bool clockwise,
                               double step = 2.0);

// The box of a canvas rectangle as real coordinates (right and bottom as given).
inline QRectF arcBox(const TRect& r) {
    return QRectF(QPointF(r.Left, r.Top), QPointF(r.Right, r.Bottom));
}

// Lines of the arc with the pen; the current position is kept.
void arc(Canvas& canvas, const TRect& box, QPoint start, QPoint end, bool clockwise = false);
// A line from the current position to the arc's start, then the arc; the current
// position moves to the arc's end.
void arcTo(Canvas& canvas, const TRect& box, QPoint start, QPoint end, bool clockwise = false);
// The arc closed through the centre (pie) or by its chord, outlined with the pen and
// filled with the brush.
void pie(Canvas& canvas, const TRect& box, QPoint start, QPoint end, bool clockwise = false);
void chord(Canvas& canvas, const TRect& box, QPoint start, QPoint end, bool clockwise = false);

}  // namespace platform
