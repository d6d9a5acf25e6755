// The current path of a canvas: recording, flattening, stroking, filling, widening.
#include "platform/canvas/Canvas.h"
#include "platform/canvas/FarLines.h"
#include "platform/canvas/Shapes.h"

#include <QPainterPath>
#include <QPainterPathStroker>
#include <cmath>

namespace platform {

void Canvas::beginPath() {
    path_ = {};
    recording_ = true;
}

void Canvas::endPath() {
    recording_ = false;
}

void Canvas::abortPath() {
    path_ = {};
    recording_ = false;
}

void Canvas::pathAdd(QPoint device, std::uint8_t type) {
    // A line or curve without a figure starts one at the current position.
    if (type != 6 && (path_.types.empty() || (path_.types.back() & 1))) {
        path_.points.push_back(toDevice(state_.current));
        path_.types.push_back(6);
    }
    path_.points.push_back(device);
    path_.types.push_back(type);
}

void Canvas::closeFigure() {
    if (recording_ && !path_.types.empty() && path_.types.back() != 6) path_.types.back() |= 1;
}

void Canvas::flattenPath(std::vector<std::vector<QPoint>>& figures, std::vector<bool>& closed) const {
    const auto& pts = path_.points;
    const auto& types = path_.types;
    const int m = penDeviceWidth() + 2;
    const QRect reach = image_->rect().adjusted(-m, -m, m, m);
    for (size_t i = 0; i < pts.size(); ++i) {
        const std::uint8_t t = types[i];
        if (t == 6 || figures.empty()) {
            figures.push_back({pts[i]});
            closed.push_back(false);
            if (t == 6) continue;
        }
        auto& fig = figures.back();
        if ((t & ~1) == 4 && i + 2 < pts.size()) {
            // Curves out of the pen's reach of the picture go as their chords.
            if (hullOutside(fig.back(), pts[i], pts[i + 1], pts[i + 2], reach))
                fig.push_back(pts[i + 2]);
            else
                flattenCubic(fig.back(), pts[i], pts[i + 1], pts[i + 2], fig);
            i += 2;
            if (types[i] & 1) closed.back() = true;
            continue;
        }
        fig.push_back(pts[i]);
        if (t & 1) closed.back() = true;
    }
}

void Canvas::strokePath() {
    std::vector<std::vector<QPoint>> figs;
    std::vector<bool> closed;
    flattenPath(figs, closed);
    strokeDevice(figs, closed);
    path_ = {};
}

void Canvas::fillPath() {
    std::vector<std::vector<QPoint>> figs;
    std::vector<bool> closed;
    flattenPath(figs, closed);
    if (brushPaints()) fillDeviceShape(figs, state_.tools.polyFillMode);
    path_ = {};
}

void Canvas::strokeAndFillPath() {
    std::vector<std::vector<QPoint>> figs;
    std::vector<bool> closed;
    flattenPath(figs, closed);
    if (brushPaints()) fillDeviceShape(figs, state_.tools.polyFillMode);
    strokeDevice(figs, std::vector<bool>(figs.size(), true));
    path_ = {};
}

void Canvas::widenPath() {
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

QRegion Canvas::pathToRegion() {
    std::vector<std::vector<QPoint>> figs;
    std::vector<bool> closed;
    flattenPath(figs, closed);
    path_ = {};
    return regionFromPolygons(figs, state_.tools.polyFillMode);
}

void Canvas::selectClipPath(ClipCombine mode) {
    combineClip(pathToRegion(), mode);
}

void Canvas::getPath(std::vector<QPoint>& points, std::vector<std::uint8_t>& types) const {
    points.clear();
    for (QPoint p : path_.points) points.push_back(toLogical(p));
    types = path_.types;
}

}  // namespace platform
