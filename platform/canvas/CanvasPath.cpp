// The current path of a canvas: recording, flattening, stroking, filling, widening.
#include "platform/canvas/Canvas.h"

#include <QPainterPath>
#include <QPainterPathStroker>
#include <cmath>

namespace platform {

void Canvas::BeginPath() {
    path_ = {};
    recording_ = true;
}

void Canvas::EndPath() { recording_ = false; }

void Canvas::AbortPath() {
    path_ = {};
    recording_ = false;
}

void Canvas::pathAdd(QPoint device, std::uint8_t type) {
    // A line or curve without a figure starts one at the current position.
    if (type != 6 && (path_.types.empty() || (path_.types.back() & 1))) {
        path_.points.push_back(toDevice(s_.current));
        path_.types.push_back(6);
    }
    path_.points.push_back(device);
    path_.types.push_back(type);
}

void Canvas::CloseFigure() {
    if (recording_ && !path_.types.empty() && path_.types.back() != 6) path_.types.back() |= 1;
}

void Canvas::flattenPath(std::vector<std::vector<QPoint>>& figures, std::vector<bool>& closed) const {
    const auto& pts = path_.points;
    const auto& types = path_.types;
    for (size_t i = 0; i < pts.size(); ++i) {
        const std::uint8_t t = types[i];
        if (t == 6 || figures.empty()) {
            figures.push_back({pts[i]});
            closed.push_back(false);
            if (t == 6) continue;
        }
        auto& fig = figures.back();
        if ((t & ~1) == 4 && i + 2 < pts.size()) {
            const QPoint p0 = fig.back(), p1 = pts[i], p2 = pts[i + 1], p3 = pts[i + 2];
            const double len = std::hypot(p1.x() - p0.x(), p1.y() - p0.y()) +
                               std::hypot(p2.x() - p1.x(), p2.y() - p1.y()) +
                               std::hypot(p3.x() - p2.x(), p3.y() - p2.y());
            const int steps = std::clamp(int(len / 2), 2, 256);
            for (int j = 1; j <= steps; ++j) {
                const double u = double(j) / steps, v = 1 - u;
                const double a = v * v * v, b = 3 * v * v * u, c = 3 * v * u * u, d = u * u * u;
                const QPoint q(int(std::lround(a * p0.x() + b * p1.x() + c * p2.x() + d * p3.x())),
                               int(std::lround(a * p0.y() + b * p1.y() + c * p2.y() + d * p3.y())));
                if (q != fig.back() || j == steps) fig.push_back(q);
            }
            i += 2;
            if (types[i] & 1) closed.back() = true;
            continue;
        }
        fig.push_back(pts[i]);
        if (t & 1) closed.back() = true;
    }
}

void Canvas::StrokePath() {
    std::vector<std::vector<QPoint>> figs;
    std::vector<bool> closed;
    flattenPath(figs, closed);
    strokeDevice(figs, closed);
    path_ = {};
}

void Canvas::FillPath() {
    std::vector<std::vector<QPoint>> figs;
    std::vector<bool> closed;
    flattenPath(figs, closed);
    if (brushPaints()) fillDeviceShape(figs, polyFillMode);
    path_ = {};
}

void Canvas::StrokeAndFillPath() {
    std::vector<std::vector<QPoint>> figs;
    std::vector<bool> closed;
    flattenPath(figs, closed);
    if (brushPaints()) fillDeviceShape(figs, polyFillMode);
    strokeDevice(figs, std::vector<bool>(figs.size(), true));
    path_ = {};
}

void Canvas::WidenPath() {
    std::vector<std::vector<QPoint>> figs;
    std::vector<bool> closed;
    flattenPath(figs, closed);
    QPainterPath path;
    for (size_t i = 0; i < figs.size(); ++i) {
        path.moveTo(figs[i][0]);
        for (size_t k = 1; k < figs[i].size(); ++k) path.lineTo(figs[i][k]);
        if (closed[i]) path.closeSubpath();
    }
    QPainterPathStroker stroker;
    stroker.setWidth(penDeviceWidth());
    stroker.setCapStyle(Qt::RoundCap);
    stroker.setJoinStyle(Qt::RoundJoin);
    path_ = {};
    for (const QPolygonF& poly : stroker.createStroke(path).toFillPolygons()) {
        for (qsizetype k = 0; k < poly.size(); ++k) {
            const QPoint p(int(std::lround(poly[k].x())), int(std::lround(poly[k].y())));
            path_.points.push_back(p);
            path_.types.push_back(k == 0 ? 6 : (k + 1 == poly.size() ? 3 : 2));
        }
    }
}

QRegion Canvas::PathToRegion() {
    std::vector<std::vector<QPoint>> figs;
    std::vector<bool> closed;
    flattenPath(figs, closed);
    path_ = {};
    std::vector<Contour> sub;
    for (const auto& f : figs) sub.push_back(toSubPixel(f));
    // Spans come row by row, left to right, without overlaps: a valid banded rectangle list.
    std::vector<QRect> rects;
    const QRect everywhere(-(1 << 24), -(1 << 24), 1 << 25, 1 << 25);
    scanPolygons(sub, polyFillMode, everywhere, [&](int y, int x0, int x1) { rects.emplace_back(x0, y, x1 - x0, 1); });
    QRegion rgn;
    if (!rects.empty()) rgn.setRects(rects.data(), int(rects.size()));
    return rgn;
}

void Canvas::SelectClipPath(ClipCombine mode) { combineClip(PathToRegion(), mode); }

void Canvas::GetPath(std::vector<QPoint>& points, std::vector<std::uint8_t>& types) const {
    points.clear();
    for (QPoint p : path_.points) points.push_back(toLogical(p));
    types = path_.types;
}

}  // namespace platform
