#include "imaging/Stroke.h"

#include "platform/IntMath.h"

#include "imaging/AALine.h"
#include "imaging/Arcs.h"

#include <cmath>

namespace {
constexpr double kKappa = 0.5522847;
}

QPoint BezierPoint(QPoint p0, QPoint p1, QPoint p2, QPoint p3, double t) {
    const double u = 1 - t;
    const double a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
    return {roundHalfAway(a * p0.x() + b * p1.x() + c * p2.x() + d * p3.x()),
            roundHalfAway(a * p0.y() + b * p1.y() + c * p2.y() + d * p3.y())};
}

void TStroke::SetCount(int n) {
    const size_t size = size_t(std::max(0, n));
    points_.resize(size);
    types_.resize(size, ptLineTo);
}

void TStroke::Add(QPoint p, std::uint8_t type) {
    points_.push_back(p);
    types_.push_back(type);
}

TRect TStroke::Bounds() const {
    if (points_.empty()) return {};
    TRect r{points_[0].x(), points_[0].y(), points_[0].x(), points_[0].y()};
    for (QPoint p : points_) r.include(p);
    return r;
}

void TStroke::SubdivideLines() {
    TStroke out;
    QPoint prev{0, 0}, start{0, 0};
    // The points every 8 units from `from` towards `to`, `from` included, `to` not.
    auto walk = [&out](QPoint from, QPoint to) {
        out.Add(from, ptLineTo);
        const double dx = to.x() - from.x(), dy = to.y() - from.y();
        const double len = std::hypot(dx, dy);
        for (int i = 1; 8.0 * i < len; ++i)
            out.Add({roundHalfAway(from.x() + dx * 8 * i / len), roundHalfAway(from.y() + dy * 8 * i / len)}, ptLineTo);
    };
    const int n = Count();
    for (int i = 0; i < n; ++i) {
        const QPoint p = points_[size_t(i)];
        const std::uint8_t t = types_[size_t(i)];
        if (t == ptLineTo || t == ptLineToClose) {
            walk(prev, p);
            prev = p;
            const bool lineFollows = i + 1 < n && (types_[size_t(i) + 1] == ptLineTo || types_[size_t(i) + 1] == ptLineToClose);
            if (t == ptLineToClose) {
                const int before = out.Count();
                walk(p, start);
                // The closing edge is implied by the close flag: its last piece goes, unless
                // the edge had no inner points, in which case P itself closes the figure.
                if (out.Count() - before > 1) {
                    out.SetCount(out.Count() - 1);
                }
                out.SetType(out.Count() - 1, ptLineToClose);
                prev = start;
            } else if (!lineFollows) {
                // The end point of the last line before a curve, a move or the end is a
                // real vertex: keep it.
                out.Add(p, ptLineTo);
            }
            continue;
        }
        out.Add(p, t);
        prev = p;
        if (t == ptMoveTo) start = p;
    }
    *this = std::move(out);
}

namespace {

// Walks the outline, handing device points to `moveTo`, `lineTo` and `close`.
template <class Move, class Line, class Close>
void walkDevice(const TStroke& s, const platform::Mapping& map, Move&& moveTo, Line&& lineTo, Close&& close) {
    QPoint current{0, 0}, start{0, 0}, startDev = map.toDevice(QPoint(0, 0)), lastDev = startDev;
    const int n = s.Count();
    for (int i = 0; i < n; ++i) {
        const QPoint p = s.Point(i);
        switch (s.Type(i)) {
            case ptMoveTo:
                current = start = p;
                startDev = lastDev = map.toDevice(p);
                moveTo(startDev);
                break;
            case ptLineTo:
            case ptLineToClose:
                current = p;
                lastDev = map.toDevice(p);
                lineTo(lastDev);
                if (s.Type(i) == ptLineToClose) {
                    lineTo(startDev);
                    close();
                    lastDev = startDev;
                    current = start;
                }
                break;
            case ptBezierTo: {
                if (i + 2 >= n) return;
                const QPoint c1 = p, c2 = s.Point(i + 1), end = s.Point(i + 2);
                for (int j = 1; j <= 62; ++j) {
                    const QPoint d = map.toDevice(BezierPoint(current, c1, c2, end, j / 63.0));
                    if (d != lastDev) {
                        lineTo(d);
                        lastDev = d;
                    }
                }
                const QPoint d = map.toDevice(end);
                if (d != lastDev) {
                    lineTo(d);
                    lastDev = d;
                }
                current = end;
                if (s.Type(i + 2) == ptBezierToClose) {
                    lineTo(startDev);
                    close();
                    lastDev = startDev;
                    current = start;
                }
                i += 2;
                break;
            }
            default:
                close();
                return;
        }
    }
}

}  // namespace

std::vector<TFlatFigure> TStroke::Flatten(const platform::Mapping& map) const {
    std::vector<TFlatFigure> figures;
    if (points_.empty()) {
        const QPoint origin = map.toDevice(QPoint(0, 0));
        figures.push_back({{origin, origin}, false});
        return figures;
    }
    walkDevice(
        *this, map, [&](QPoint p) { figures.push_back({{p}, false}); },
        [&](QPoint p) {
            if (figures.empty()) figures.push_back({{map.toDevice(QPoint(0, 0))}, false});
            figures.back().points.push_back(p);
        },
        [&] {
            if (!figures.empty()) figures.back().closed = true;
        });
    return figures;
}

void TStroke::DrawAntialiased(QImage& alphaMap, const platform::Mapping& map) const {
    TAALineAlphaMap line(alphaMap);
    walkDevice(
        *this, map, [&](QPoint p) { line.MoveTo(p); }, [&](QPoint p) { line.LineTo(p); }, [] {});
}

void TStroke::SetRectPath(const TRect& r) {
    Clear();
    Add({r.Left, r.Top}, ptMoveTo);
    Add({r.Right, r.Top}, ptLineTo);
    Add({r.Right, r.Bottom}, ptLineTo);
    Add({r.Left, r.Bottom}, ptLineToClose);
}

void TStroke::SetEllipsePath(const TRect& r) {
    Clear();
    const int cx = int(platform::floorDiv(int64_t(r.Left) + r.Right, 2)),
              cy = int(platform::floorDiv(int64_t(r.Top) + r.Bottom, 2));
    const int a = roundHalfAway(r.Width() * kKappa / 2), b = roundHalfAway(r.Height() * kKappa / 2);
    const int L = r.Left, T = r.Top, R = r.Right, B = r.Bottom;
    Add({R, cy}, ptMoveTo);
    for (QPoint p : {QPoint(R, cy - b), QPoint(cx + a, T), QPoint(cx, T), QPoint(cx - a, T), QPoint(L, cy - b),
                     QPoint(L, cy), QPoint(L, cy + b), QPoint(cx - a, B), QPoint(cx, B), QPoint(cx + a, B),
                     QPoint(R, cy + b)})
        Add(p, ptBezierTo);
    Add({R, cy}, ptBezierToClose);
}

void TStroke::SetRoundRectPath(const TRect& r, int cornerSize) {
    Clear();
    const int e = cornerSize / 2, b = roundHalfAway(cornerSize * kKappa / 2);
    const int L = r.Left, T = r.Top, R = r.Right, B = r.Bottom;
    auto bez = [this](QPoint a, QPoint c, QPoint d) {
        Add(a, ptBezierTo);
        Add(c, ptBezierTo);
        Add(d, ptBezierTo);
    };
    Add({R, T + e}, ptMoveTo);
    bez({R, T + e - b}, {R - e + b, T}, {R - e, T});
    Add({R - e, T}, ptLineTo);
    Add({L + e, T}, ptLineTo);
    bez({L + e - b, T}, {L, T + e - b}, {L, T + e});
    Add({L, T + e}, ptLineTo);
    Add({L, B - e}, ptLineTo);
    bez({L, B - e + b}, {L + e - b, B}, {L + e, B});
    Add({L + e, B}, ptLineTo);
    Add({R - e, B}, ptLineTo);
    bez({R - e + b, B}, {R, B - e + b}, {R, B - e});
    Add({R, B - e}, ptLineTo);
    Add({R, T + e}, ptLineToClose);
}

void TStroke::AppendThreePointArc(QPoint s, QPoint p, QPoint e) {
    const std::vector<QPoint> line = ThinArcPolyline(s, p, e);
    if (line.empty()) return;
    const int first = Count();
    for (size_t i = 0; i < line.size(); ++i) Add(line[i], i == 0 ? ptMoveTo : ptLineTo);
    SetPoint(first, s);
    SetPoint(Count() - 1, e);
}

void TStroke::Draw(platform::Canvas& c) const {
    if (points_.empty()) {
        c.moveTo({0, 0});
        c.lineTo({0, 0});
        return;
    }
    QPoint start{0, 0}, current{0, 0};
    const int n = Count();
    for (int i = 0; i < n;) {
        const QPoint p = points_[size_t(i)];
        switch (types_[size_t(i)]) {
            case ptLineTo: {
                std::vector<QPoint> run;
                while (i < n && types_[size_t(i)] == ptLineTo) run.push_back(points_[size_t(i++)]);
                c.polylineTo(run);
                current = run.back();
                continue;
            }
            case ptLineToClose:
                c.lineTo(p);
                c.lineTo(start);
                c.closeFigure();
                current = start;
                ++i;
                continue;
            case ptBezierTo: {
                if (i + 2 >= n) return;
                const QPoint c1 = p, c2 = points_[size_t(i) + 1], end = points_[size_t(i) + 2];
                QPoint last = c.toDevice(current);
                auto step = [&](QPoint logical) {
                    const QPoint d = c.toDevice(logical);
                    if (d == last) return;
                    c.lineTo(logical);
                    last = d;
                };
                for (int j = 1; j <= 62; ++j) step(BezierPoint(current, c1, c2, end, j / 63.0));
                step(end);
                current = end;
                if (types_[size_t(i) + 2] == ptBezierToClose) {
                    c.lineTo(start);
                    c.closeFigure();
                    current = start;
                }
                i += 3;
                continue;
            }
            case ptMoveTo:
                c.moveTo(p);
                start = current = p;
                ++i;
                continue;
            default:
                c.closeFigure();
                return;
        }
    }
}

void TStroke::DrawAsPath(platform::Canvas& canvas) const {
    canvas.beginPath();
    Draw(canvas);
    canvas.endPath();
}

void TStroke::AppendPath(const platform::Canvas& canvas) {
    std::vector<QPoint> pts;
    std::vector<std::uint8_t> types;
    canvas.getPath(pts, types);
    points_.insert(points_.end(), pts.begin(), pts.end());
    types_.insert(types_.end(), types.begin(), types.end());
}
