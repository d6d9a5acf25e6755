#include "platform/Geometry.h"

#include <cmath>

QPoint RotatePoint(QPoint p, double degrees) {
    // Whole quarter turns are exact.
    const double rad = degrees * M_PI / 180;
    double c = std::cos(rad), s = std::sin(rad);
    const double q = std::fmod(degrees, 90.0);
    if (q == 0) {
        c = std::round(c);
        s = std::round(s);
    }
    return {roundHalfAway(p.x() * c - p.y() * s), roundHalfAway(p.x() * s + p.y() * c)};
}
