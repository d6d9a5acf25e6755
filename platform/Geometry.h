#pragma once
// Rectangles as the drawing code uses them: Left/Top inclusive, Right/Bottom exclusive, so
// Width = Right - Left. (QRect's inclusive right edge is avoided in engine code.)

#include <QPoint>
#include <QRect>
#include <algorithm>

struct TRect {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;

    constexpr int Width() const { return Right - Left; }
    constexpr int Height() const { return Bottom - Top; }
    constexpr bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
    constexpr bool operator==(const TRect&) const = default;

    QRect toQRect() const { return QRect(Left, Top, Width(), Height()); }
    static TRect fromQRect(const QRect& r) { return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()}; }
    // Grows the rectangle so that it includes the point (as a coordinate, not a pixel).
    void include(QPoint p) {
        Left = std::min(Left, p.x());
        Top = std::min(Top, p.y());
        Right = std::max(Right, p.x());
        Bottom = std::max(Bottom, p.y());
    }
};

// Rounds half away from zero, the rounding most geometry uses.
inline int roundHalfAway(double v) { return int(v < 0 ? v - 0.5 : v + 0.5); }

// `p` turned about the origin by `degrees`, clockwise on a page whose y axis points
// down, rounded half away from zero.
QPoint RotatePoint(QPoint p, double degrees);
