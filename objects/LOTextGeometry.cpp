// TLOText geometry: bounds with outline and shadow, the band of text on an arc, hit
// testing, resizing, automatic size and the curve facet.
#include "objects/LOText.h"

#include "drawing/CanvasUtils.h"
#include "drawing/ObjectSite.h"
#include "drawing/Scaler.h"
#include "objects/CoonsDistortion.h"
#include "objects/SimpleText.h"
#include "platform/IntMath.h"

#include <cmath>

using platform::mulDiv;

namespace {

// The convex hull of the points, counter-clockwise on the screen (Andrew's monotone chain).
std::vector<QPoint> convexHull(std::vector<QPoint> pts) {
    std::sort(pts.begin(), pts.end(),
              [](QPoint a, QPoint b) { return a.x() != b.x() ? a.x() < b.x() : a.y() < b.y(); });
    pts.erase(std::unique(pts.begin(), pts.end()), pts.end());
    if (pts.size() < 3) return pts;
    const auto cross = [](QPoint o, QPoint a, QPoint b) {
        return std::int64_t(a.x() - o.x()) * (b.y() - o.y()) -
               std::int64_t(a.y() - o.y()) * (b.x() - o.x());
    };
    std::vector<QPoint> hull(pts.size() * 2);
    size_t k = 0;
    for (size_t i = 0; i < pts.size(); ++i) {
        while (k >= 2 && cross(hull[k - 2], hull[k - 1], pts[i]) <= 0) --k;
        hull[k++] = pts[i];
    }
    for (size_t i = pts.size() - 1, t = k + 1; i > 0; --i) {
        while (k >= t && cross(hull[k - 2], hull[k - 1], pts[i - 1]) <= 0) --k;
        hull[k++] = pts[i - 1];
    }
    hull.resize(k - 1);
    return hull;
}

TRect boundsOf(const std::vector<QPoint>& pts) {
    if (pts.empty()) return {};
    TRect r{pts[0].x(), pts[0].y(), pts[0].x(), pts[0].y()};
    for (QPoint p : pts) r.include(p);
    return r;
}

TRect inflated(const TRect& r, int d) {
    return {r.Left - d, r.Top - d, r.Right + d, r.Bottom + d};
}

double normalisedAngle(double a) {
    a = std::fmod(a, 2 * M_PI);
    return a < 0 ? a + 2 * M_PI : a;
}

}  // namespace

// ------------------------------------------------------------------ basics

int TLOText::LineHeight() const {
    if (lineHeight_ < 0) lineHeight_ = simple_->LineHeight();
    return lineHeight_;
}

TRect TLOText::safeBox() const {
    const TRect b = LogBounds();
    const auto c = [](int v) { return std::clamp(v, -kFar, kFar); };
    return {c(b.Left), c(b.Top), c(b.Right), c(b.Bottom)};
}

QPoint TLOText::BoxCenter() const {
    const TRect b = safeBox();
    return {(b.Left + b.Right) / 2, (b.Top + b.Bottom) / 2};
}

QPoint TLOText::ShadowOffset() const {
    if (shadowOffset_.isNull()) return {};
    const int h = LineHeight();
    const auto part = [h](int percent) { return std::clamp(mulDiv(h, percent, 100), -kFar, kFar); };
    return {part(shadowOffset_.x()), part(shadowOffset_.y())};
}

std::vector<QPoint> TLOText::rotated(const TRect& r) const {
    std::vector<QPoint> pts{
        {r.Left, r.Top}, {r.Right, r.Top}, {r.Right, r.Bottom}, {r.Left, r.Bottom}};
    if (Angle() != 0) {
        TRotator rot;
        rot.SetCenter(BoxCenter());
        rot.SetAngle(Angle());
        for (QPoint& p : pts) rot.TransformPoint(p);
    }
    return pts;
}

std::vector<QPoint> TLOText::enclosingPolygon() const {
    const TRect box = safeBox();
    std::vector<QPoint> pts = rotated(inflated(box, safeOutlineWidth()));
    QPoint off = ShadowOffset();
    if (!off.isNull()) {
        // Turned back by the angle, so that after the rotation it points the page's way.
        TRotator back;
        back.SetAngle(-Angle());
        back.TransformPoint(off);
        const std::vector<QPoint> shadow = rotated(
            {box.Left + off.x(), box.Top + off.y(), box.Right + off.x(), box.Bottom + off.y()});
        pts.insert(pts.end(), shadow.begin(), shadow.end());
    }
    return convexHull(std::move(pts));
}

void TLOText::chord(QPoint& s, QPoint& e) const {
    const TRect b = safeBox();
    if (Vertical()) {
        s = {(b.Left + b.Right) / 2, b.Top};
        e = {(b.Left + b.Right) / 2, b.Bottom};
    } else {
        s = {b.Left, (b.Top + b.Bottom) / 2};
        e = {b.Right, (b.Top + b.Bottom) / 2};
    }
    TRotator rot;
    rot.SetCenter(BoxCenter());
    rot.SetAngle(Angle());
    rot.TransformPoint(s);
    rot.TransformPoint(e);
}

std::optional<TLOText::ArcBand> TLOText::arcBand(int extra) const {
    if (Bulge() == 0) return std::nullopt;
    QPoint s, e;
    chord(s, e);
    ArcBand band;
    if (!ArcFromChord(s, e, Bulge(), band.arc) || band.arc.Radius <= 0) return std::nullopt;
    const TRect text = simple_->ComputeTextRect(safeBox(), false);
    const int thickness = Vertical() ? text.Width() : text.Height();
    const int h = LineHeight();
    const double centre = band.arc.Radius + h / 2 - thickness / 2;
    const double half = (thickness + extra) / 2.0;
    band.inner = std::max(0.0, centre - half);
    band.outer = centre + half;
    band.start = band.arc.StartAngle;
    band.span = normalisedAngle(band.arc.EndAngle - band.arc.StartAngle);
    return band;
}

std::vector<QPoint> TLOText::ArcBand::Polygon() const {
    const int steps = std::clamp(int(span * 90 / M_PI), 8, 360);  // about 2 degrees
    std::vector<QPoint> pts;
    pts.reserve(size_t(steps + 1) * 2);
    const auto at = [this](double r, double a) {
        return QPoint(roundHalfAway(arc.CenterX + r * std::cos(a)),
                      roundHalfAway(arc.CenterY + r * std::sin(a)));
    };
    for (int i = 0; i <= steps; ++i) pts.push_back(at(outer, start + span * i / steps));
    for (int i = steps; i >= 0; --i) pts.push_back(at(inner, start + span * i / steps));
    return pts;
}

bool TLOText::ArcBand::Contains(QPoint p) const {
    const double dx = p.x() - arc.CenterX, dy = p.y() - arc.CenterY;
    const double d = std::hypot(dx, dy);
    if (d < inner || d > outer) return false;
    return normalisedAngle(std::atan2(dy, dx) - start) <= span;
}

// ------------------------------------------------------------------ draw object geometry

void TLOText::SetLogBounds(const TRect& rect) {
    TLORectBase::SetLogBounds(rect);
    rotator_.SetCenter(BoxCenter());
    if (TObjectSite* site = Site()) site->UpdateObjectBounds(*this);
}

TRect TLOText::GetBounds() const {
    if (const std::optional<ArcBand> band = arcBand(0)) {
        TRect r = inflated(boundsOf(band->Polygon()), safeOutlineWidth());
        const QPoint off = ShadowOffset();
        if (off.x() > 0)
            r.Right += off.x();
        else
            r.Left += off.x();
        if (off.y() > 0)
            r.Bottom += off.y();
        else
            r.Top += off.y();
        return r;
    }
    return boundsOf(enclosingPolygon());
}

int TLOText::HitTest(QPoint logical) {
    // A tiny chord gives no arc: the box answers then, not the whole face.
    if (Bulge() != 0) {
        int pixel = 3;
        if (const TObjectSite* site = Site()) {
            const TScaler& s = site->Scaler();
            pixel = std::max(1, int(std::ceil(double(s.UnitDPI()) * 100 /
                                              (double(ScreenDPI()) * std::max(1, s.Scale())))));
        }
        if (const std::optional<ArcBand> band = arcBand(pixel))
            return band->Contains(logical) ? 1 : 0;
    }
    QPoint p = logical;
    if (Angle() != 0) {
        TRotator back;
        back.SetCenter(BoxCenter());
        back.SetAngle(-Angle());
        back.TransformPoint(p);
    }
    return TLORectBase::HitTest(p);
}

void TLOText::SetEnclosingSize(int width, int height) {
    const TRect box = safeBox();
    const TRect enclosing = GetBounds();
    int w = box.Width(), h = box.Height();
    if (Bulge() != 0 || Angle() != 0) {
        // Scaled in proportion; an empty enclosing side keeps its size.
        if (enclosing.Width() != 0) w = mulDiv(w, width, enclosing.Width());
        if (enclosing.Height() != 0) h = mulDiv(h, height, enclosing.Height());
    } else {
        w = width - (enclosing.Width() - box.Width());
        h = height - (enclosing.Height() - box.Height());
    }
    w = std::clamp(w, 0, kFar);
    h = std::clamp(h, 0, kFar);
    SetLogBounds({box.Left, box.Top, box.Left + w, box.Top + h});
}

// ------------------------------------------------------------------ automatic size

void TLOText::applyAutoSize() {
    if (!autoSize_ || !IsOnSite() || Bulge() != 0 || sizing_ || Reading()) return;
    sizing_ = true;
    const auto done = qScopeGuard([this] { sizing_ = false; });
    const bool vertical = Vertical();
    const int align = Align();
    const auto fit = [&](const TRect& box) {
        TRect r = simple_->ComputeTextRect(box, true);
        if (r.Width() < kMinimumSize) {
            if (vertical || align == 2)
                r.Left = box.Right - kMinimumSize;
            else if (align == 1)
                r.Left = (box.Left + box.Right - kMinimumSize) / 2;
            r.Right = r.Left + kMinimumSize;
        }
        if (r.Height() < kMinimumSize) {
            if (vertical && align == 2)
                r.Top = box.Bottom - kMinimumSize;
            else if (vertical && align == 1)
                r.Top = (box.Top + box.Bottom - kMinimumSize) / 2;
            r.Bottom = r.Top + kMinimumSize;
        }
        return r;
    };
    const auto anchor = [&](const TRect& box) {
        QPoint a;
        const int midX = (box.Left + box.Right) / 2, midY = (box.Top + box.Bottom) / 2;
        if (!vertical)
            a = align == 1   ? QPoint(midX, box.Top)
                : align == 2 ? QPoint(box.Right, box.Top)
                             : QPoint(box.Left, box.Top);
        else
            a = align == 1   ? QPoint(box.Right, midY)
                : align == 2 ? QPoint(box.Right, box.Bottom)
                             : QPoint(box.Right, box.Top);
        TRotator rot;
        rot.SetCenter({midX, midY});
        rot.SetAngle(Angle());
        rot.TransformPoint(a);
        return a;
    };
    const TRect box = safeBox();
    TRect next = fit(box);
    if (Angle() != 0 && !(align == 3 && box.IsEmpty())) {
        const QPoint d = anchor(box) - anchor(next);
        next = {next.Left + d.x(), next.Top + d.y(), next.Right + d.x(), next.Bottom + d.y()};
    }
    SetLogBounds(next);
}

// ------------------------------------------------------------------ outline

void TLOText::DrawOutline(TCanvas& canvas) {
    platform::CanvasStateKeeper keep(canvas);
    canvas.tools().brush.style = platform::BrushStyle::Clear;
    const TRect box = safeBox();
    if (Bulge() != 0) {
        // A chord too short for an arc draws nothing.
        if (const std::optional<ArcBand> band = arcBand(0)) canvas.polygon(band->Polygon());
        return;
    }
    const TRect text = simple_->ComputeTextRect(box, false);
    if (coons_->IsEmpty()) {
        const TRect both{std::max(box.Left, text.Left), std::max(box.Top, text.Top),
                         std::min(box.Right, text.Right), std::min(box.Bottom, text.Bottom)};
        const platform::Pen pen = canvas.tools().pen;
        canvas.tools().pen.style = platform::PenStyle::Solid;
        if (!both.IsEmpty()) canvas.polygon(rotated(both));
        canvas.tools().pen = pen;
        canvas.polygon(enclosingPolygon());
        return;
    }
    TStroke frame;
    frame.SetRectPath(text);
    frame.SubdivideLines();
    TCoonsDistortion warp;
    warp.Assign(*coons_);
    warp.SetStrength(distortionRatio_);
    warp.SetSourceRect(text);
    warp.SetTargetRect(box);
    warp.TransformStroke(frame);
    if (Angle() != 0) rotator_.TransformStroke(frame);
    frame.Draw(canvas);
}

// ------------------------------------------------------------------ curve facet

QPoint TLOText::StartPoint() const {
    if (curve_) return curve_->start;
    QPoint s, e;
    chord(s, e);
    return s;
}

QPoint TLOText::EndPoint() const {
    if (curve_) return curve_->end;
    QPoint s, e;
    chord(s, e);
    return e;
}

QPoint TLOText::BulgePoint() const {
    if (curve_) return curve_->bulge;
    QPoint s, e;
    chord(s, e);
    return MiddleFromBulge(s, e, Bulge());
}

void TLOText::BeginCurveEdit() {
    QPoint s, e;
    chord(s, e);
    curve_ = CurveEdit{s, e, MiddleFromBulge(s, e, Bulge()), s};
}

void TLOText::SetStartPoint(QPoint p) {
    SetAutoSize(false);
    if (!curve_) BeginCurveEdit();
    curve_->start = p;
}

void TLOText::SetEndPoint(QPoint p) {
    SetAutoSize(false);
    if (!curve_) BeginCurveEdit();
    curve_->end = p;
}

void TLOText::SetBulgePoint(QPoint p) {
    if (!curve_) BeginCurveEdit();
    curve_->bulge = p;
    SetBulge(SignedBulge(curve_->start, p, curve_->end));
}

void TLOText::EndCurveEdit() {
    if (!curve_) return;
    const CurveEdit edit = *curve_;
    curve_.reset();
    SetAutoSize(false);
    const double theta = std::nearbyint(
        std::atan2(double(edit.start.y() - edit.end.y()), double(edit.start.x() - edit.end.x())) *
        180 / M_PI);
    const int angle = int(theta) - (Vertical() ? 270 : 180);
    TRotator back;
    back.SetCenter({(edit.start.x() + edit.end.x()) / 2, (edit.start.y() + edit.end.y()) / 2});
    back.SetAngle(-angle);
    QPoint s = edit.start, e = edit.end;
    back.TransformPoint(s);
    back.TransformPoint(e);
    const TRect box = safeBox();
    TRect next;
    if (Vertical()) {
        const int left = s.x() - box.Width() / 2;
        next = {left, s.y(), left + box.Width(), e.y()};
    } else {
        const int top = s.y() - box.Height() / 2;
        next = {s.x(), top, e.x(), top + box.Height()};
    }
    if (next.Left > next.Right) std::swap(next.Left, next.Right);
    if (next.Top > next.Bottom) std::swap(next.Top, next.Bottom);
    SetLogBounds(next);
    SetAngle(angle);
}
