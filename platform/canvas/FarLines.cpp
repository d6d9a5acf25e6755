#include "platform/canvas/FarLines.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace platform {

void walkLineWithin(QPoint a, QPoint b, const QRect& limit, std::uint32_t& counter,
                    const std::function<void(int, int)>& pixel) {
    // The walk of walkLine, steps i = 0 .. n-1 along the major axis; the minor axis has
    // moved k(i) = floor((2 m i + n - 1 + tie) / 2n) steps by then (tie: an error of zero
    // steps, which walkLine does going right or down), so the walk can start anywhere.
    const std::int64_t dx = std::llabs(std::int64_t(b.x()) - a.x());
    const std::int64_t dy = std::llabs(std::int64_t(b.y()) - a.y());
    const bool xMajor = dx >= dy;
    const std::int64_t n = xMajor ? dx : dy, m = xMajor ? dy : dx;
    if (n == 0) return;
    const int sx = b.x() > a.x() ? 1 : -1, sy = b.y() > a.y() ? 1 : -1;
    const int sMajor = xMajor ? sx : sy, sMinor = xMajor ? sy : sx;
    const std::int64_t major0 = xMajor ? a.x() : a.y(), minor0 = xMajor ? a.y() : a.x();
    const std::int64_t majLo = xMajor ? limit.left() : limit.top();
    const std::int64_t majHi = xMajor ? limit.right() : limit.bottom();
    const std::int64_t minLo = xMajor ? limit.top() : limit.left();
    const std::int64_t minHi = xMajor ? limit.bottom() : limit.right();
    const int tie = sMajor > 0 ? 1 : 0;

    // Steps whose major coordinate is inside the limit.
    std::int64_t i0 = sMajor > 0 ? majLo - major0 : major0 - majHi;
    std::int64_t i1 = sMajor > 0 ? majHi - major0 : major0 - majLo;
    // Steps whose minor coordinate can be (k from k0 to k1), with a little room.
    const std::int64_t k0 = sMinor > 0 ? minLo - minor0 : minor0 - minHi;
    const std::int64_t k1 = sMinor > 0 ? minHi - minor0 : minor0 - minLo;
    if (m == 0) {
        if (k0 > 0 || k1 < 0) i1 = -1;
    } else {
        const double lo = (2.0 * n * double(k0) - double(n)) / (2.0 * double(m)) - 2;
        const double hi = (2.0 * n * double(k1 + 1) - double(n)) / (2.0 * double(m)) + 2;
        i0 = std::max(i0, std::int64_t(std::clamp(std::floor(lo), -1.0, double(n))));
        i1 = std::min(i1, std::int64_t(std::clamp(std::ceil(hi), -1.0, double(n))));
    }
    i0 = std::max<std::int64_t>(i0, 0);
    i1 = std::min<std::int64_t>(i1, n - 1);
    if (i0 > i1) {
        counter += std::uint32_t(n);
        return;
    }
    counter += std::uint32_t(i0);
    const __int128 k = (__int128(2) * m * i0 + n - 1 + tie) / (__int128(2) * n);
    std::int64_t err =
        std::int64_t(__int128(2) * m - n + __int128(2) * m * i0 - __int128(2) * n * k);
    std::int64_t major = major0 + sMajor * i0, minor = minor0 + sMinor * std::int64_t(k);
    for (std::int64_t i = i0; i <= i1; ++i) {
        if (xMajor)
            pixel(int(major), int(minor));
        else
            pixel(int(minor), int(major));
        if (err > 0 || (err == 0 && tie)) {
            minor += sMinor;
            err -= 2 * n;
        }
        err += 2 * m;
        major += sMajor;
    }
    counter += std::uint32_t(n - 1 - i1);
}

std::vector<LinePiece> clipPolyline(const std::vector<QPoint>& line, bool closed,
                                    const QRectF& box) {
    const auto inside = [&](QPoint p) {
        return p.x() >= box.left() && p.x() <= box.right() && p.y() >= box.top() &&
               p.y() <= box.bottom();
    };
    if (std::all_of(line.begin(), line.end(), inside)) {
        LinePiece whole{{line.begin(), line.end()}, 0, closed};
        return {whole};
    }
    std::vector<QPointF> pts(line.begin(), line.end());
    if (closed && pts.size() > 1) pts.push_back(pts.front());
    std::vector<LinePiece> out;
    bool open = false;  // the last piece goes on
    double along = 0;
    for (size_t i = 1; i < pts.size(); ++i) {
        const QPointF p = pts[i - 1], d = pts[i] - p;
        const double length = std::hypot(d.x(), d.y());
        // Liang-Barsky: the part t0 .. t1 of the segment inside the box.
        double t0 = 0, t1 = 1;
        const double pq[4][2] = {{-d.x(), p.x() - box.left()},
                                 {d.x(), box.right() - p.x()},
                                 {-d.y(), p.y() - box.top()},
                                 {d.y(), box.bottom() - p.y()}};
        for (const auto& [q, r] : pq) {
            if (q == 0) {
                if (r < 0) t1 = -1;
            } else if (q < 0) {
                t0 = std::max(t0, r / q);
            } else {
                t1 = std::min(t1, r / q);
            }
        }
        if (t0 > t1) {
            open = false;
        } else {
            if (!open || t0 > 0) out.push_back({{p + d * t0}, along + length * t0, false});
            out.back().points.push_back(p + d * t1);
            open = t1 >= 1;
        }
        along += length;
    }
    return out;
}

bool hullOutside(QPoint p0, QPoint p1, QPoint p2, QPoint p3, const QRect& box) {
    const QPoint p[] = {p0, p1, p2, p3};
    const auto all = [&](auto test) { return std::all_of(std::begin(p), std::end(p), test); };
    return all([&](QPoint q) { return q.x() < box.left(); }) ||
           all([&](QPoint q) { return q.x() > box.right(); }) ||
           all([&](QPoint q) { return q.y() < box.top(); }) ||
           all([&](QPoint q) { return q.y() > box.bottom(); });
}

}  // namespace platform
