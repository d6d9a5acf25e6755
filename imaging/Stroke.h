#pragma once
// TStroke: an outline as a list of points with path point types (the platform's path
// encoding, so a path read from a canvas is stored unchanged), in logical units.

#include "platform/Geometry.h"
#include "platform/canvas/Canvas.h"
#include "platform/canvas/Mapping.h"

#include <QImage>
#include <QPoint>
#include <cstdint>
#include <vector>

enum : std::uint8_t {
    ptLineTo = 2,
    ptLineToClose = 3,
    ptBezierTo = 4,
    ptBezierToClose = 5,
    ptMoveTo = 6,
};

// One figure of a flattened outline, in device pixels.
struct TFlatFigure {
    std::vector<QPoint> points;
    bool closed = false;
};

class TStroke {
public:
    int Count() const { return int(points_.size()); }
    void SetCount(int n);
    void Clear() { SetCount(0); }
    QPoint Point(int i) const { return points_.at(size_t(i)); }
    std::uint8_t Type(int i) const { return types_.at(size_t(i)); }
    void SetPoint(int i, QPoint p) { points_.at(size_t(i)) = p; }
    void SetType(int i, std::uint8_t t) { types_.at(size_t(i)) = t; }
    void Add(QPoint p, std::uint8_t type);
    void Assign(const TStroke& other) { *this = other; }
    bool operator==(const TStroke&) const = default;

    const std::vector<QPoint>& Points() const { return points_; }
    const std::vector<std::uint8_t>& Types() const { return types_; }

    // The smallest rectangle holding every point (Right/Bottom are the largest
    // coordinates); empty for an empty list.
    TRect Bounds() const;

    // Cuts straight edges into pieces of at most 8 units; curve points stay as they are.
    void SubdivideLines();

    // The outline as device polylines under `map`: Bézier curves flattened in 63 steps,
    // skipping steps that land on the pixel drawn last. An empty list gives one figure
    // with a zero-length segment at (0, 0).
    std::vector<TFlatFigure> Flatten(const platform::Mapping& map) const;

    // Draws the outline anti-aliased into an 8-bit alpha map whose pixels are reached
    // through `map`; the alpha map keeps the larger alpha where strokes overlap.
    void DrawAntialiased(QImage& alphaMap, const platform::Mapping& map) const;

    // Draws the outline as lines on `canvas` (logical units): runs of lines as one
    // polyline, curves flattened in 63 steps skipping repeated device pixels. An empty
    // list draws a zero-length line at (0, 0), so a path begun around it is not empty.
    void Draw(platform::Canvas& canvas) const;
    // The same inside BeginPath/EndPath.
    void DrawAsPath(platform::Canvas& canvas) const;
    // Appends the canvas's current path (logical units, path point types).
    void AppendPath(const platform::Canvas& canvas);

    // Replace the contents with a standard shape.
    void SetRectPath(const TRect& r);
    void SetEllipsePath(const TRect& r);
    void SetRoundRectPath(const TRect& r, int cornerSize);

    // Appends the thin three-point arc S-P-E (a move, then lines), starting exactly at S
    // and ending exactly at E.
    void AppendThreePointArc(QPoint s, QPoint p, QPoint e);

private:
    std::vector<QPoint> points_;
    std::vector<std::uint8_t> types_;
};

// The point of the cubic Bézier curve p0..p3 at t, rounded half away from zero.
QPoint BezierPoint(QPoint p0, QPoint p1, QPoint p2, QPoint p3, double t);
