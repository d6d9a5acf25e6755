#include "imaging/Arcs.h"

#include "platform/IntMath.h"

#include "platform/canvas/Canvas.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kTwoPi = 2 * M_PI;

double normalised(double a) {
    while (a < 0) a += kTwoPi;
    while (a >= kTwoPi) a -= kTwoPi;
    return a;
}

double angleAbout(double cx, double cy, QPoint p) { return normalised(std::atan2(p.y() - cy, p.x() - cx)); }

// 1, 0 or -1: the side of P relative to the chord S→E.
int orientation(QPoint s, QPoint e, double px, double py) {
    const double a = double(e.x() - s.x()) * (py - s.y());
    const double b = double(e.y() - s.y()) * (px - s.x());
    return a < b ? 1 : (a == b ? 0 : -1);
}

// Truncated coordinates, as the arc polylines use.
QPoint truncatedPoint(const TArcRec& a, double radius, double angle) {
    return {a.CenterX + int(std::trunc(radius * std::cos(angle))),
            a.CenterY + int(std::trunc(radius * std::sin(angle)))};
}

double quadratic(double s, double p, double e, double t) {
    return s + t * (-3 * s + 4 * p - e) + 2 * t * t * (s - 2 * p + e);
}

bool drawnAsQuadratic(int bulge, int radius) { return std::abs(bulge) <= 20 || radius > 7999; }

}  // namespace

TCircle Circumcentre(QPoint p1, QPoint p2, QPoint p3) {
    const double bx = p2.x() - p1.x(), by = p2.y() - p1.y();
    const double cx = p3.x() - p1.x(), cy = p3.y() - p1.y();
    const double c = bx * cy - by * cx;
    if (std::fabs(c) < 0.1) {
        const QPoint centre(int(platform::floorDiv(p1.x() + p2.x() + p3.x(), 3)),
                            int(platform::floorDiv(p1.y() + p2.y() + p3.y(), 3)));
        return {centre, std::hypot(p2.x() - centre.x(), p2.y() - centre.y())};
    }
    const double b2 = bx * bx + by * by, c2 = cx * cx + cy * cy;
    const double ux = (cy * b2 - by * c2) / (2 * c);
    const double uy = (bx * c2 - cx * b2) / (2 * c);
    return {p1 + QPoint(roundHalfAway(ux), roundHalfAway(uy)), std::sqrt(ux * ux + uy * uy)};
}

TArcRec ArcFrom3Points(QPoint s, QPoint p, QPoint e) {
    const TCircle c = Circumcentre(s, p, e);
    TArcRec a;
    a.CenterX = c.Center.x();
    a.CenterY = c.Center.y();
    a.Radius = roundHalfAway(c.Radius);
    if (a.Radius < 1) {
        a.Radius = 0;
        return a;
    }
    a.StartAngle = angleAbout(a.CenterX, a.CenterY, s);
    a.EndAngle = angleAbout(a.CenterX, a.CenterY, e);
    return a;
}

int SignedBulge(QPoint s, QPoint p, QPoint e) {
    const int o = orientation(s, e, p.x(), p.y());
    if (o == 0) return 0;
    const TCircle c = Circumcentre(s, p, e);
    const double mx = (s.x() + e.x()) / 2.0, my = (s.y() + e.y()) / 2.0;
    double h = c.Radius - std::hypot(mx - c.Center.x(), my - c.Center.y());
    if (h < -1) return 0;
    if (orientation(s, e, c.Center.x(), c.Center.y()) == o) h = 2 * c.Radius - h;
    if (o < 0) h = -h;
    return int(std::trunc(h));
}

QPoint MiddleFromBulge(QPoint s, QPoint e, int bulge) {
    const double b = std::clamp(bulge, -4000, 4000);
    const double dx = e.x() - s.x(), dy = e.y() - s.y();
    const double d = std::hypot(dx, dy);
    if (d < 0.1) return s;
    return {int(std::trunc(s.x() + dx / 2 + dy * b / d)), int(std::trunc(s.y() + dy / 2 - dx * b / d))};
}

bool ArcFromChord(QPoint s, QPoint e, int bulge, TArcRec& arc) {
    const double dx = e.x() - s.x(), dy = e.y() - s.y();
    const double d = std::hypot(dx, dy);
    const double mx = (s.x() + e.x()) / 2.0, my = (s.y() + e.y()) / 2.0;
    const double b = std::abs(bulge);
    if (b >= 1) {
        if (d < 0.9) return false;
        const double r = d * d / (8 * b) + b / 2;
        arc.Radius = int(std::trunc(r));
        const double k = (r - b) / d * (bulge > 0 ? 1 : -1);
        arc.CenterX = int(std::trunc(mx - dy * k));
        arc.CenterY = int(std::trunc(my + dx * k));
    } else {
        arc.Radius = int(std::trunc(d / 2));
        arc.CenterX = int(std::trunc(mx));
        arc.CenterY = int(std::trunc(my));
    }
    arc.StartAngle = angleAbout(arc.CenterX, arc.CenterY, s);
    arc.EndAngle = angleAbout(arc.CenterX, arc.CenterY, e);
    if (bulge < 0) std::swap(arc.StartAngle, arc.EndAngle);
    return true;
}

QPoint ArcPointAt(const TArcRec& a, double angle) {
    return {a.CenterX + roundHalfAway(a.Radius * std::cos(angle)),
            a.CenterY + roundHalfAway(a.Radius * std::sin(angle))};
}

QPoint ArcStartPoint(const TArcRec& a) { return ArcPointAt(a, a.StartAngle); }
QPoint ArcEndPoint(const TArcRec& a) { return ArcPointAt(a, a.EndAngle); }

QPoint ArcMiddlePoint(const TArcRec& a) {
    double m = (a.StartAngle + a.EndAngle) / 2;
    if (a.StartAngle > a.EndAngle) {
        m += M_PI;
        if (m >= kTwoPi) m -= kTwoPi;
    }
    return ArcPointAt(a, m);
}

TRect ArcBounds(const TArcRec& a) {
    const QPoint s = ArcStartPoint(a), e = ArcEndPoint(a);
    TRect r{std::min(s.x(), e.x()), std::min(s.y(), e.y()), std::max(s.x(), e.x()), std::max(s.y(), e.y())};
    const double st = a.StartAngle, en = a.EndAngle;
    const int quarterS = int(st / (M_PI / 2)), quarterE = int(en / (M_PI / 2));
    const double extremes[4] = {0, M_PI / 2, M_PI, 3 * M_PI / 2};
    for (int i = 0; i < 4; ++i) {
        bool passes;
        if (quarterS == quarterE)
            passes = st > en;
        else if (st <= en)
            passes = extremes[i] > st && extremes[i] <= en;
        else
            passes = extremes[i] > st || extremes[i] <= en;
        if (passes) r.include(ArcPointAt(a, extremes[i]));
    }
    return r;
}

std::vector<QPoint> ThinArcPolyline(QPoint s, QPoint p, QPoint e) {
    std::vector<QPoint> pts;
    const TArcRec a = ArcFrom3Points(s, p, e);
    const int bulge = SignedBulge(s, p, e);
    if (drawnAsQuadratic(bulge, a.Radius)) {
        pts.push_back(s);
        for (int j = 1; j <= 7; ++j) {
            const double t = j / 8.0;
            pts.emplace_back(roundHalfAway(quadratic(s.x(), p.x(), e.x(), t)),
                             roundHalfAway(quadratic(s.y(), p.y(), e.y(), t)));
        }
        pts.push_back(e);
        return pts;
    }
    const double step = M_PI / 90;
    double t0 = a.StartAngle;
    if (t0 > a.EndAngle) t0 -= kTwoPi;
    pts.push_back(truncatedPoint(a, a.Radius, t0));
    for (int k = 1; t0 + k * step <= a.EndAngle - step; ++k) pts.push_back(truncatedPoint(a, a.Radius, t0 + k * step));
    pts.push_back(truncatedPoint(a, a.Radius, a.EndAngle));
    return pts;
}

namespace {

// One edge of an arc band at radius rho, from angle `from` to angle `to` (either way).
void bandEdge(const TArcRec& a, double rho, double from, double to, std::vector<QPoint>& out) {
    const double step = kTwoPi / (rho >= 500 ? 90 : 60);
    out.push_back(truncatedPoint(a, rho, from));
    if (to >= from)
        for (int k = 1; from + k * step <= to - step; ++k) out.push_back(truncatedPoint(a, rho, from + k * step));
    else
        for (int k = 1; from - k * step >= to + step; ++k) out.push_back(truncatedPoint(a, rho, from - k * step));
    out.push_back(truncatedPoint(a, rho, to));
}

struct Offsets {
    QPoint first, second;
};

Offsets offsetsAt(double px, double py, double qx, double qy, int half, double atX, double atY) {
    const double dx = qx - px, dy = qy - py;
    const double len = std::hypot(dx, dy);
    if (len <= 0.01) {
        const QPoint t(int(std::trunc(atX)), int(std::trunc(atY)));
        return {t, t};
    }
    const double k = (half + 0.5) / len;
    return {{int(std::trunc(atX + dy * k)), int(std::trunc(atY - dx * k))},
            {int(std::trunc(atX - dy * k)), int(std::trunc(atY + dx * k))}};
}

int averaged(int a, int b) {
    return int(platform::floorDiv(int64_t(a) + b + 1, 2));
}

}  // namespace

std::vector<QPoint> ThickArcPolygon(QPoint s, QPoint p, QPoint e, int penWidth) {
    const int half = std::max(1, (penWidth + 1) / 2);
    const TArcRec a = ArcFrom3Points(s, p, e);
    const int bulge = SignedBulge(s, p, e);
    std::vector<QPoint> pts;
    if (!drawnAsQuadratic(bulge, a.Radius)) {
        double st = a.StartAngle;
        if (st > a.EndAngle) st -= kTwoPi;
        pts.push_back(truncatedPoint(a, a.Radius - half, st));
        bandEdge(a, a.Radius + half, st, a.EndAngle, pts);
        bandEdge(a, a.Radius + half - penWidth, a.EndAngle, st, pts);
        return pts;
    }
    double xs[9], ys[9];
    for (int i = 0; i <= 8; ++i) {
        xs[i] = quadratic(s.x(), p.x(), e.x(), i / 8.0);
        ys[i] = quadratic(s.y(), p.y(), e.y(), i / 8.0);
    }
    Offsets side[9];
    for (int i = 0; i <= 8; ++i) {
        if (i == 0) {
            side[i] = offsetsAt(xs[0], ys[0], xs[1], ys[1], half, xs[0], ys[0]);
        } else if (i == 8) {
            side[i] = offsetsAt(xs[7], ys[7], xs[8], ys[8], half, xs[8], ys[8]);
        } else {
            const Offsets next = offsetsAt(xs[i], ys[i], xs[i + 1], ys[i + 1], half, xs[i], ys[i]);
            const Offsets prev = offsetsAt(xs[i - 1], ys[i - 1], xs[i], ys[i], half, xs[i], ys[i]);
            side[i] = {{averaged(next.first.x(), prev.first.x()), averaged(next.first.y(), prev.first.y())},
                       {averaged(next.second.x(), prev.second.x()), averaged(next.second.y(), prev.second.y())}};
        }
    }
    pts.push_back(side[0].first);
    for (int i = 0; i <= 8; ++i) pts.push_back(side[i].second);
    for (int i = 8; i >= 0; --i) pts.push_back(side[i].first);
    return pts;
}

void DrawThinArc(platform::Canvas& canvas, QPoint s, QPoint p, QPoint e) {
    const std::vector<QPoint> pts = ThinArcPolyline(s, p, e);
    canvas.moveTo(pts.front());
    for (size_t i = 1; i < pts.size(); ++i) canvas.lineTo(pts[i]);
}

void DrawThickArc(platform::Canvas& canvas, QPoint s, QPoint p, QPoint e) {
    const int width = canvas.tools().pen.width;
    const std::vector<QPoint> band = ThickArcPolygon(s, p, e, width);
    canvas.tools().pen.width = 0;
    canvas.moveTo(band.front());
    for (size_t i = 1; i < band.size(); ++i) canvas.lineTo(band[i]);
    canvas.closeFigure();
    canvas.tools().pen.width = width;
}
