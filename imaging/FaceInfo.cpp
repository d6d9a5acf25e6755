#include "imaging/FaceInfo.h"

#include "platform/canvas/Shapes.h"

#include <cmath>

QStringList FaceShapeNames() {
    return QStringLiteral("角ラベル,CDラベル,丸ラベル,角丸ラベル,名刺CDラベル,樽CDラベル").split(u',');
}

namespace {
TRect inflated(const TRect& r, int d) { return {r.Left - d, r.Top - d, r.Right + d, r.Bottom + d}; }
TRect moved(const TRect& r, QPoint by) { return {r.Left - by.x(), r.Top - by.y(), r.Right - by.x(), r.Bottom - by.y()}; }

}  // namespace

TRect TFaceInfo::OuterRect() const { return inflated(FaceRect, FaceMargin); }

TRect TFaceInfo::HoleRect() const {
    const int l = FaceRect.Left + (FaceRect.Width() - CutCenterWidth) / 2;
    const int t = FaceRect.Top + (FaceRect.Height() - CutCenterHeight) / 2;
    return {l, t, l + CutCenterWidth, t + CutCenterHeight};
}

TRect TFaceInfo::HoleOutlineRect() const { return inflated(HoleRect(), -FaceMargin); }

void TFaceInfo::SetFromOuterRect(const TRect& outer) { FaceRect = inflated(outer, -FaceMargin); }

void TFaceInfo::SetFromOldFaceType(int type) {
    switch (type) {
        case 0: FaceShape = fsRect; FacePurpose.clear(); break;
        case 1: FaceShape = fsDoughnut; FacePurpose = QStringLiteral("CD"); break;
        case 2: FaceShape = fsRect; FacePurpose = QStringLiteral("CDCover"); break;
        case 3: FaceShape = fsRect; FacePurpose = QStringLiteral("CDCaseTray"); break;
        case 4:
        case 5: FaceShape = fsRect; FacePurpose = QStringLiteral("MOSquare"); break;
        case 6: FaceShape = fsEllipse; FacePurpose.clear(); break;
        case 7: FaceShape = fsRoundRect; FacePurpose.clear(); break;
        default: break;
    }
}

TStroke BarrelOutline(const TRect& r) {
    TStroke s;
    const int a = r.Width(), b = r.Height();
    const double cx = (r.Left + r.Right) / 2.0, cy = (r.Top + r.Bottom) / 2.0;
    if (a > b) {
        const double f = std::sqrt(std::fabs(b * double(b) / 4 - a * double(a) / 4));
        const int x0 = roundHalfAway(cx - f), x1 = roundHalfAway(cx + f), mid = roundHalfAway((r.Top + r.Bottom) / 2.0);
        s.AppendThreePointArc({x0, r.Bottom}, {r.Left, mid}, {x0, r.Top});
        const int join = s.Count();
        s.AppendThreePointArc({x1, r.Top}, {r.Right, mid}, {x1, r.Bottom});
        if (join < s.Count()) s.SetType(join, ptLineTo);
    } else {
        const double f = std::sqrt(std::fabs(a * double(a) / 4 - b * double(b) / 4));
        const int y0 = roundHalfAway(cy - f), y1 = roundHalfAway(cy + f), mid = roundHalfAway((r.Left + r.Right) / 2.0);
        s.AppendThreePointArc({r.Left, y0}, {mid, r.Top}, {r.Right, y0});
        const int join = s.Count();
        s.AppendThreePointArc({r.Right, y1}, {mid, r.Bottom}, {r.Left, y1});
        if (join < s.Count()) s.SetType(join, ptLineTo);
    }
    return s;
}

void TFaceInfo::drawKind(platform::Canvas& c, const TRect& r) const {
    switch (FaceShape) {
        case fsRect:
            c.rectangle(r);
            break;
        case fsDoughnut:
        case fsEllipse:
            c.ellipse(r);
            break;
        case fsRoundRect:
        case fsRectCD:
            c.roundRect(r, RoundSize, RoundSize);
            break;
        case fsBarrelCD:
            BarrelOutline(r).DrawAsPath(c);
            c.strokeAndFillPath();
            break;
    }
}

void TFaceInfo::drawHoleShape(platform::Canvas& c, const TRect& r) const {
    if (CenterShape == csBarrel) {
        BarrelOutline(r).DrawAsPath(c);
        c.strokeAndFillPath();
    } else {
        c.ellipse(r);
    }
}

void TFaceInfo::DrawOutline(platform::Canvas& c, bool relative, bool cross) const {
    const TRect outer = OuterRect();
    const QPoint shift = relative ? QPoint(outer.Left, outer.Top) : QPoint(0, 0);
    drawKind(c, moved(outer, shift));
    const TRect hole = moved(HoleOutlineRect(), shift);
    if (HasHole()) drawHoleShape(c, hole);
    if (cross) {
        const TRect centreOf = HasHole() ? hole : moved(outer, shift);
        const int x = (centreOf.Left + centreOf.Right) / 2, y = (centreOf.Top + centreOf.Bottom) / 2;
        c.moveTo({x, y - 50});
        c.lineTo({x, y + 50});
        c.moveTo({x - 50, y});
        c.lineTo({x + 50, y});
    }
}

void TFaceInfo::DrawTrimLine(platform::Canvas& c, bool relative) const {
    if (FaceMargin == 0) return;
    const TRect outer = OuterRect();
    const QPoint shift = relative ? QPoint(outer.Left, outer.Top) : QPoint(0, 0);
    drawKind(c, moved(FaceRect, shift));
    if (HasHole()) drawHoleShape(c, moved(HoleRect(), shift));
}

void TFaceInfo::DrawHole(platform::Canvas& c, bool relative) const {
    if (!HasHole()) return;
    const TRect outer = OuterRect();
    const QPoint shift = relative ? QPoint(outer.Left, outer.Top) : QPoint(0, 0);
    drawHoleShape(c, moved(HoleOutlineRect(), shift));
}


namespace {
std::vector<QPoint> flatPoints(const TStroke& s, const platform::Mapping& map) {
    std::vector<QPoint> pts;
    for (const TFlatFigure& f : s.Flatten(map)) pts.insert(pts.end(), f.points.begin(), f.points.end());
    return pts;
}
}  // namespace

QRegion TFaceInfo::Region(const platform::Canvas* canvas, bool withHole) const {
    const platform::Mapping map = canvas ? canvas->mapping() : platform::Mapping{};
    auto shapeRegion = [&](const TRect& logical, TFaceShape kind) -> QRegion {
        const TRect d = canvas ? canvas->toDevice(logical) : logical;
        if (d.IsEmpty()) return {};
        switch (kind) {
            case fsBarrelCD: return platform::regionFromPolygons({flatPoints(BarrelOutline(logical), map)}, platform::FillRule::Alternate);
            case fsDoughnut:
            case fsEllipse: return platform::regionFromPolygons({platform::ellipsePolygon(d.Left, d.Top, d.Right, d.Bottom)}, platform::FillRule::Alternate);
            case fsRoundRect:
            case fsRectCD: {
                // The corner size converted as a vector.
                const int corner = std::abs((map.toDevice(QPoint(RoundSize, RoundSize)) - map.toDevice(QPoint(0, 0))).x());
                TStroke rr;
                rr.SetRoundRectPath(d, corner);
                return platform::regionFromPolygons({flatPoints(rr, platform::Mapping{})}, platform::FillRule::Alternate);
            }
            case fsRect: break;
        }
        return QRegion(d.toQRect());
    };
    QRegion rgn = shapeRegion(OuterRect(), FaceShape);
    if (withHole && HasHole())
        rgn = rgn.subtracted(shapeRegion(HoleOutlineRect(), CenterShape == csBarrel ? fsBarrelCD : fsEllipse));
    return rgn;
}
