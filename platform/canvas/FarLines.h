#pragma once
// Lines and curves reaching far beyond the picture: only what can show is walked, stroked
// or flattened, so the cost follows the picture, not the coordinates.

#include <QPoint>
#include <QPointF>
#include <QRect>
#include <cstdint>
#include <functional>
#include <vector>

namespace platform {

// The pixels of walkLine(a, b) inside `limit` (and a few next to it), the same ones
// walkLine gives;
// `counter` advances by one for each pixel of the whole line (the dash position), the
// pixels passed over included.
void walkLineWithin(QPoint a, QPoint b, const QRect& limit, std::uint32_t& counter,
                    const std::function<void(int x, int y)>& pixel);

// A polyline cut to `box`: the pieces inside it, each with its distance from the start of
// the line (where a dash pattern resumes). A closed line that is cut opens.
struct LinePiece {
    std::vector<QPointF> points;
    double along = 0;
    bool closed = false;
};
std::vector<LinePiece> clipPolyline(const std::vector<QPoint>& line, bool closed,
                                    const QRectF& box);

// Whether the control points of a curve all lie on one side outside `box` (the curve,
// inside their hull, then does too).
bool hullOutside(QPoint p0, QPoint p1, QPoint p2, QPoint p3, const QRect& box);

}  // namespace platform
