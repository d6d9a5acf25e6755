#include "imaging/metafile/GdiContext.h"

#include "platform/canvas/ArcShapes.h"
#include "platform/canvas/TextFont.h"
#include "platform/canvas/TextOut.h"

#include <QPainterPath>
#include <QPolygon>
#include <algorithm>
#include <cmath>
#include <numbers>

namespace metafile {

namespace {

// Device coordinates stay well inside what 1/16-pixel scan conversion holds in an int.
constexpr double kDeviceLimit = 1 << 22;

// Shapes larger than this go through polygons rather than the canvas's row-by-row
// ellipses, whose cost follows the box, not the picture.
constexpr int kRowShapeLimit = 16384;

platform::PenStyle penStyle(int style) {
    switch (style & 0xF) {
        case 1:
            return platform::PenStyle::Dash;
        case 2:
            return platform::PenStyle::Dot;
        case 3:
            return platform::PenStyle::DashDot;
        case 4:
            return platform::PenStyle::DashDotDot;
        case 5:
            return platform::PenStyle::Clear;
        case 6:
            return platform::PenStyle::InsideFrame;
        default:
            return platform::PenStyle::Solid;
    }
}

platform::Brush toBrush(const BrushSpec& b) {
    platform::Brush out;
    out.color = b.color;
    switch (b.style) {
        case 1:
            out.style = platform::BrushStyle::Clear;
            break;
        case 2: {
            static constexpr platform::BrushStyle hatches[] = {
                platform::BrushStyle::Horizontal, platform::BrushStyle::Vertical,
                platform::BrushStyle::FDiagonal,  platform::BrushStyle::BDiagonal,
                platform::BrushStyle::Cross,      platform::BrushStyle::DiagCross};
            out.style =
                b.hatch >= 0 && b.hatch < 6 ? hatches[b.hatch] : platform::BrushStyle::Solid;
            break;
        }
        case 3:
            if (!b.pattern.isNull()) {
                out.style = platform::BrushStyle::Pattern;
                out.pattern = b.pattern;
            }
            break;
        default:
            break;
    }
    return out;
}

QRect normalisedRect(QPoint a, QPoint b) {
    const int l = std::min(a.x(), b.x()), r = std::max(a.x(), b.x());
    const int t = std::min(a.y(), b.y()), bt = std::max(a.y(), b.y());
    return QRect(QPoint(l, t), QPoint(r - 1, bt - 1));
}

TRect toTRect(const QRect& r) {
    return TRect::fromQRect(r);
}

}  // namespace

int clampDevice(double v) {
    if (!std::isfinite(v)) return 0;
    return int(std::lround(std::clamp(v, -kDeviceLimit, kDeviceLimit)));
}

GdiContext::GdiContext(platform::Canvas& canvas, const Reference& ref)
    : canvas_(canvas), ref_(ref) {
    s_.windowOrg = s_.viewportOrg = ref.origin;
    s_.windowExt = s_.viewportExt = ref.extent;
    s_.meta = canvas.clipRegion() ? *canvas.clipRegion() : QRegion(canvas.image().rect());
    changedMapping();
}

void GdiContext::save() {
    if (stack_.size() < 4096) stack_.push_back(s_);
}

void GdiContext::restore(int which) {
    const int depth = int(stack_.size());
    const int target = which < 0 ? depth + which : which - 1;  // index of the state to take
    if (which == 0 || target < 0 || target >= depth) return;
    s_ = stack_[size_t(target)];
    stack_.resize(size_t(target));
    changedMapping();
    applyClip();
    canvas_.moveTo(toDevicePoint(s_.current));
}

void GdiContext::setMapMode(int mode) {
    if (mode < 1 || mode > 8) return;
    s_.mapMode = mode;
    changedMapping();
}

void GdiContext::changedMapping() {
    double sx = 1, sy = 1;
    const auto fixed = [&](double mm) {
        sx = mm * ref_.pixelsPerMmX;
        sy = -mm * ref_.pixelsPerMmY;
    };
    switch (s_.mapMode) {
        case 2:
            fixed(0.1);
            break;
        case 3:
            fixed(0.01);
            break;
        case 4:
            fixed(0.254);
            break;
        case 5:
            fixed(0.0254);
            break;
        case 6:
            fixed(25.4 / 1440);
            break;
        case 7:
        case 8: {
            const QSizeF w = s_.windowExt, v = s_.viewportExt;
            if (w.width() != 0 && w.height() != 0) {
                sx = v.width() / w.width();
                sy = v.height() / w.height();
            }
            if (s_.mapMode == 7) {
                const double m = std::min(std::abs(sx), std::abs(sy));
                sx = std::copysign(m, sx);
                sy = std::copysign(m, sy);
            }
            break;
        }
        default:
            break;
    }
    const QTransform page(sx, 0, 0, sy, s_.viewportOrg.x() - s_.windowOrg.x() * sx,
                          s_.viewportOrg.y() - s_.windowOrg.y() * sy);
    const QTransform t = s_.world * page * ref_.base;
    const bool finite = std::isfinite(t.m11()) && std::isfinite(t.m12()) &&
                        std::isfinite(t.m21()) && std::isfinite(t.m22()) && std::isfinite(t.dx()) &&
                        std::isfinite(t.dy());
    full_ = finite ? t : ref_.base;
}

QPoint GdiContext::toDevicePoint(QPointF logical) const {
    const QPointF d = full_.map(logical);
    return {clampDevice(d.x()), clampDevice(d.y())};
}

double GdiContext::lengthScale() const {
    const double det = std::abs(full_.m11() * full_.m22() - full_.m12() * full_.m21());
    return std::isfinite(det) ? std::sqrt(det) : 1.0;
}

std::vector<QPoint> GdiContext::devicePoints(const std::vector<QPointF>& pts) const {
    std::vector<QPoint> out;
    out.reserve(pts.size());
    for (const QPointF& p : pts) out.push_back(toDevicePoint(p));
    return out;
}

void GdiContext::applyPen() {
    platform::Pen p;
    p.style = penStyle(s_.pen.style);
    const double w = s_.pen.cosmetic ? 1 : s_.pen.width * lengthScale();
    // A pen wider than twice the picture's sides covers it as a wider one would near it;
    // the limit keeps stroking cost to the picture's size.
    const QSize img = canvas_.image().size();
    const long widest = std::min(4096L, 2L * (img.width() + img.height()) + 64);
    p.width = int(std::clamp(std::lround(std::isfinite(w) ? w : 1.0), 1L, widest));
    p.color = s_.pen.color;
    p.mode = platform::Rop2(std::clamp(s_.rop2, 1, 16));
    canvas_.tools().pen = p;
}

void GdiContext::applyBrush(const BrushSpec& b) {
    canvas_.tools().brush = toBrush(b);
}

void GdiContext::applyModes() {
    auto& t = canvas_.tools();
    t.mix = platform::Rop2(std::clamp(s_.rop2, 1, 16));
    t.textColor = s_.textColor;
    t.backgroundColor = s_.bkColor;
    t.backgroundMode =
        s_.bkMode == 1 ? platform::BackgroundMode::Transparent : platform::BackgroundMode::Opaque;
    t.polyFillMode = s_.polyFill == 2 ? platform::FillRule::Winding : platform::FillRule::Alternate;
    switch (s_.stretchMode) {
        case 2:
            t.stretchMode = platform::StretchMode::WhiteOnBlack;
            break;
        case 3:
            t.stretchMode = platform::StretchMode::ColorOnColor;
            break;
        case 4:
            t.stretchMode = platform::StretchMode::Halftone;
            break;
        default:
            t.stretchMode = platform::StretchMode::BlackOnWhite;
            break;
    }
    applyPen();
    applyBrush(s_.brush);
}

QRegion GdiContext::visible() const {
    QRegion r = canvas_.clipRegion() ? *canvas_.clipRegion() : QRegion(canvas_.image().rect());
    return r.intersected(canvas_.image().rect());
}

// --- lines and shapes ---

void GdiContext::moveTo(QPointF p) {
    s_.current = p;
    canvas_.moveTo(toDevicePoint(p));
}

void GdiContext::lineTo(QPointF p) {
    applyModes();
    canvas_.lineTo(toDevicePoint(p));
    s_.current = p;
}

void GdiContext::polyline(const std::vector<QPointF>& pts) {
    if (pts.size() < 2) return;
    applyModes();
    if (canvas_.inPath()) {
        canvas_.moveTo(toDevicePoint(pts.front()));
        canvas_.polylineTo(devicePoints(std::vector<QPointF>(pts.begin() + 1, pts.end())));
        return;
    }
    canvas_.polyline(devicePoints(pts));
}

void GdiContext::polylineTo(const std::vector<QPointF>& pts) {
    if (pts.empty()) return;
    applyModes();
    canvas_.polylineTo(devicePoints(pts));
    s_.current = pts.back();
}

void GdiContext::polyBezier(const std::vector<QPointF>& pts, bool fromCurrent) {
    applyModes();
    if (fromCurrent) {
        const size_t n = pts.size() / 3 * 3;
        if (n == 0) return;
        canvas_.polyBezierTo(
            devicePoints(std::vector<QPointF>(pts.begin(), pts.begin() + long(n))));
        s_.current = pts[n - 1];
        return;
    }
    if (pts.size() < 4) return;
    const size_t n = 1 + (pts.size() - 1) / 3 * 3;
    canvas_.moveTo(toDevicePoint(pts.front()));
    canvas_.polyBezierTo(
        devicePoints(std::vector<QPointF>(pts.begin() + 1, pts.begin() + long(n))));
    if (!canvas_.inPath()) canvas_.moveTo(toDevicePoint(s_.current));
}

void GdiContext::polygons(const std::vector<std::vector<QPointF>>& polys) {
    applyModes();
    std::vector<std::vector<QPoint>> dev;
    for (const auto& p : polys)
        if (p.size() >= 2) dev.push_back(devicePoints(p));
    if (dev.empty()) return;
    if (dev.size() == 1)
        canvas_.polygon(dev.front());
    else
        canvas_.polyPolygon(dev);
}

void GdiContext::polylines(const std::vector<std::vector<QPointF>>& lines) {
    for (const auto& l : lines) polyline(l);
}

void GdiContext::polyDraw(const std::vector<QPointF>& pts, const std::vector<std::uint8_t>& types) {
    applyModes();
    QPointF figureStart = s_.current;
    for (size_t i = 0; i < pts.size() && i < types.size(); ++i) {
        const int t = types[i] & ~1;
        if (t == 6) {
            moveTo(pts[i]);
            figureStart = pts[i];
        } else if (t == 2) {
            lineTo(pts[i]);
        } else if (t == 4 && i + 2 < pts.size()) {
            polyBezier({pts[i], pts[i + 1], pts[i + 2]}, true);
            i += 2;
        } else {
            continue;
        }
        if (types[std::min(i, types.size() - 1)] & 1) {
            if (canvas_.inPath())
                canvas_.closeFigure();
            else
                lineTo(figureStart);
        }
    }
}

void GdiContext::shape(const std::vector<QPointF>& outline, bool fill) {
    applyModes();
    if (fill)
        canvas_.polygon(devicePoints(outline));
    else
        canvas_.polyline(devicePoints(outline));
}

QRect GdiContext::clampedDeviceBox(QRectF logical) const {
    return normalisedRect(toDevicePoint(logical.topLeft()), toDevicePoint(logical.bottomRight()));
}

void GdiContext::rectangle(QRectF box) {
    if (axisAligned()) {
        applyModes();
        canvas_.rectangle(toTRect(clampedDeviceBox(box)));
        return;
    }
    shape({box.topLeft(), box.topRight(), box.bottomRight(), box.bottomLeft()}, true);
}

void GdiContext::ellipse(QRectF box) {
    const QRect d = clampedDeviceBox(box);
    if (axisAligned() && d.width() <= kRowShapeLimit && d.height() <= kRowShapeLimit) {
        applyModes();
        canvas_.ellipse(toTRect(d));
        return;
    }
    const QPointF p(box.right(), box.center().y());
    shape(platform::arcPoints(box, p, p, false, 2 / std::max(lengthScale(), 1e-6)), true);
}

void GdiContext::roundRect(QRectF box, QSizeF corner) {
    const QRect d = clampedDeviceBox(box);
    if (axisAligned() && d.width() <= kRowShapeLimit && d.height() <= kRowShapeLimit) {
        applyModes();
        const int cw = clampDevice(std::abs(corner.width() * full_.m11()));
        const int ch = clampDevice(std::abs(corner.height() * full_.m22()));
        canvas_.roundRect(toTRect(d), std::min(cw, kRowShapeLimit), std::min(ch, kRowShapeLimit));
        return;
    }
    rectangle(box);
}

void GdiContext::arc(int kind, QRectF box, QPointF start, QPointF end) {
    std::vector<QPointF> pts;
    if (axisAligned()) {
        // In device space, where the arc direction is counted.
        const QRectF dbox(full_.map(box.topLeft()), full_.map(box.bottomRight()));
        const QTransform back = full_.inverted();
        for (const QPointF& p :
             platform::arcPoints(dbox, full_.map(start), full_.map(end), s_.clockwise))
            pts.push_back(back.map(p));
    } else {
        pts = platform::arcPoints(box, start, end, s_.clockwise, 2 / std::max(lengthScale(), 1e-6));
    }
    switch (kind) {
        case 0:
            polyline(pts);
            break;
        case 1:
            lineTo(pts.front());
            polylineTo(pts);
            break;
        case 2:
            pts.push_back(box.center());
            shape(pts, true);
            break;
        default:
            shape(pts, true);
            break;
    }
}

void GdiContext::angleArc(QPointF c, double radius, double startDeg, double sweepDeg) {
    if (!std::isfinite(radius) || !std::isfinite(startDeg) || !std::isfinite(sweepDeg)) return;
    sweepDeg = std::clamp(sweepDeg, -3600.0, 3600.0);
    const int n = std::clamp(int(std::abs(sweepDeg) / 4) + 2, 2, 1000);
    std::vector<QPointF> pts;
    for (int i = 0; i <= n; ++i) {
        const double a = (startDeg + sweepDeg * i / n) * std::numbers::pi / 180;
        pts.emplace_back(c.x() + radius * std::cos(a), c.y() - radius * std::sin(a));
    }
    lineTo(pts.front());
    polylineTo(pts);
}

void GdiContext::setPixel(QPointF p, TColor c) {
    canvas_.setPixel(toDevicePoint(p), c);
}

void GdiContext::patBlt(QRectF box, std::uint32_t rop) {
    applyModes();
    canvas_.patBlt(toTRect(clampedDeviceBox(box)), rop);
}

// --- text ---

void GdiContext::text(QPointF ref, const QString& str, const std::vector<double>& dx,
                      std::optional<QRectF> opaqueRect, std::optional<QRectF> clipRect) {
    applyModes();
    if (opaqueRect) {
        platform::Brush b;
        b.color = s_.bkColor;
        canvas_.fillRegion(deviceRect(*opaqueRect).intersected(visible()), b);
    }
    if (str.isEmpty()) return;
    const std::optional<QRegion> keepClip = s_.clip;
    if (clipRect) combineClip(deviceRect(*clipRect), 1);

    const FontSpec& f = s_.font;
    const double ys = std::hypot(full_.m21(), full_.m22()),
                 xs = std::hypot(full_.m11(), full_.m12());
    long h = f.height == 0 ? -16 : std::lround(std::clamp(f.height * ys, -8192.0, 8192.0));
    if (h == 0) h = f.height < 0 ? -1 : 1;
    const double turn = std::atan2(-full_.m12(), full_.m11()) * 1800 / std::numbers::pi;
    platform::Font font;
    if (!f.face.isEmpty()) font.name = f.face;
    font.height = int(h);
    font.escapement = int(std::lround(f.escapement + (std::isfinite(turn) ? turn : 0))) % 3600;
    font.orientation = font.escapement;
    font.styles = (f.weight >= 600 ? platform::fsBold : 0) | (f.italic ? platform::fsItalic : 0) |
                  (f.underline ? platform::fsUnderline : 0) |
                  (f.strikeOut ? platform::fsStrikeOut : 0);
    font.charset = f.charset;
    font.color = s_.textColor;
    canvas_.tools().font = font;
    const platform::TextFont tf(font);

    // Characters (a surrogate pair is one) with their advances in device pixels.
    std::vector<QString> chars;
    std::vector<double> advances;
    double total = 0;
    for (qsizetype i = 0; i < str.size();) {
        const qsizetype n = str[i].isHighSurrogate() && i + 1 < str.size() ? 2 : 1;
        const QString ch = str.mid(i, n);
        double a = 0;
        if (!dx.empty()) {
            for (qsizetype k = i; k < i + n; ++k)
                if (size_t(k) < dx.size()) a += dx[size_t(k)] * xs;
        } else {
            a = tf.extent(ch).width();
        }
        if (!std::isfinite(a)) a = 0;
        chars.push_back(ch);
        advances.push_back(a);
        total += a;
        i += n;
    }
    const bool updateCp = s_.textAlign & 1;
    const QPointF p = full_.map(updateCp ? s_.current : ref);
    const double angle = font.escapement * std::numbers::pi / 1800;
    const QPointF ux(std::cos(angle), -std::sin(angle)), uy(std::sin(angle), std::cos(angle));
    const int horizontal = s_.textAlign & 6, vertical = s_.textAlign & 24;
    const double hOff = horizontal == 2 ? total : horizontal == 6 ? total / 2 : 0;
    const double vOff = vertical == 24  ? tf.metrics().ascent
                        : vertical == 8 ? tf.metrics().height
                                        : 0;
    const QPointF origin = p - ux * hOff - uy * vOff;
    if (dx.empty()) {
        platform::textOut(canvas_, tf, origin, str);
    } else {
        double at = 0;
        for (size_t i = 0; i < chars.size(); ++i) {
            platform::textOut(canvas_, tf, origin + ux * at, chars[i]);
            at += advances[i];
        }
    }
    if (updateCp && horizontal != 6) {
        const QPointF next = horizontal == 2 ? p - ux * total : p + ux * total;
        bool invertible = false;
        const QTransform back = full_.inverted(&invertible);
        if (invertible) moveTo(back.map(next));
    }
    if (clipRect) {
        s_.clip = keepClip;
        applyClip();
    }
}

// --- pictures ---

void GdiContext::drawImage(QRectF dest, const QImage& image, QRectF src, std::uint32_t rop) {
    applyModes();
    QPoint a = toDevicePoint(dest.topLeft()), b = toDevicePoint(dest.bottomRight());
    if (!axisAligned()) {
        const QRect box = full_.mapRect(dest).toAlignedRect();
        a = box.topLeft(), b = box.bottomRight() + QPoint(1, 1);
    }
    const QRect s(clampDevice(src.x()), clampDevice(src.y()), clampDevice(src.width()),
                  clampDevice(src.height()));
    if (image.isNull() || !platform::rop3UsesSource(rop)) {
        canvas_.patBlt(toTRect(normalisedRect(a, b)), rop);
        return;
    }
    canvas_.stretchBlt({a.x(), a.y(), b.x(), b.y()}, image, s, rop);
}

namespace {

// Calls `pixel(row, x, sx, sy)` for each visible device pixel of the destination with the
// source pixel under its centre.
template <typename F>
void eachPixel(const QRegion& visible, QPoint a, QPoint b, const QImage& image, QRectF src,
               F pixel) {
    const int dl = std::min(a.x(), b.x()), dt = std::min(a.y(), b.y());
    const int dw = std::abs(b.x() - a.x()), dh = std::abs(b.y() - a.y());
    if (dw == 0 || dh == 0 || image.isNull()) return;
    const bool flipX = b.x() < a.x(), flipY = b.y() < a.y();
    for (const QRect& r : visible.intersected(QRect(dl, dt, dw, dh))) {
        for (int y = r.top(); y <= r.bottom(); ++y) {
            double fy = (y - dt + 0.5) / dh;
            if (flipY) fy = 1 - fy;
            const int sy = int(std::floor(src.y() + fy * src.height()));
            if (sy < 0 || sy >= image.height()) continue;
            for (int x = r.left(); x <= r.right(); ++x) {
                double fx = (x - dl + 0.5) / dw;
                if (flipX) fx = 1 - fx;
                const int sx = int(std::floor(src.x() + fx * src.width()));
                if (sx < 0 || sx >= image.width()) continue;
                pixel(x, y, sx, sy);
            }
        }
    }
}

}  // namespace

void GdiContext::blendImage(QRectF dest, const QImage& image, QRectF src, int constantAlpha,
                            bool perPixel) {
    const QImage img = image.convertToFormat(perPixel ? QImage::Format_ARGB32_Premultiplied
                                                      : QImage::Format_RGB32);
    QImage& out = canvas_.image();
    const int ca = std::clamp(constantAlpha, 0, 255);
    eachPixel(visible(), toDevicePoint(dest.topLeft()), toDevicePoint(dest.bottomRight()), img, src,
              [&](int x, int y, int sx, int sy) {
                  const QRgb s = img.pixel(sx, sy);
                  QRgb& d = reinterpret_cast<QRgb*>(out.scanLine(y))[x];
                  const int sa = perPixel ? qAlpha(s) * ca / 255 : ca;
                  const auto mix = [&](int sc, int dc) {
                      const int scaled = perPixel ? sc * ca / 255 : sc * ca / 255;
                      return std::clamp(scaled + dc * (255 - sa) / 255, 0, 255);
                  };
                  d = (d & 0xFF000000u) | (qRgb(mix(qRed(s), qRed(d)), mix(qGreen(s), qGreen(d)),
                                                mix(qBlue(s), qBlue(d))) &
                                           0x00FFFFFFu);
              });
}

void GdiContext::transparentImage(QRectF dest, const QImage& image, QRectF src, TColor key) {
    const QImage img = image.convertToFormat(QImage::Format_RGB32);
    const QRgb k = platform::colorToRgb(key) & 0x00FFFFFFu;
    QImage& out = canvas_.image();
    eachPixel(visible(), toDevicePoint(dest.topLeft()), toDevicePoint(dest.bottomRight()), img, src,
              [&](int x, int y, int sx, int sy) {
                  const QRgb s = img.pixel(sx, sy);
                  if ((s & 0x00FFFFFFu) == k) return;
                  QRgb& d = reinterpret_cast<QRgb*>(out.scanLine(y))[x];
                  d = (d & 0xFF000000u) | (s & 0x00FFFFFFu);
              });
}

void GdiContext::fillRegion(const QRegion& device, const BrushSpec& brush) {
    applyModes();
    canvas_.fillRegion(device.intersected(visible()), toBrush(brush));
}

void GdiContext::frameRegion(const QRegion& device, const BrushSpec& brush, QSizeF logicalSize) {
    const int w = std::clamp(clampDevice(std::abs(logicalSize.width() * full_.m11())), 1, 4096);
    const int h = std::clamp(clampDevice(std::abs(logicalSize.height() * full_.m22())), 1, 4096);
    const QRegion inner = device.intersected(device.translated(w, 0))
                              .intersected(device.translated(-w, 0))
                              .intersected(device.translated(0, h))
                              .intersected(device.translated(0, -h));
    fillRegion(device.subtracted(inner), brush);
}

void GdiContext::invertRegion(const QRegion& device) {
    for (const QRect& r : device.intersected(visible())) canvas_.invertRect(toTRect(r));
}

// --- clipping ---

QRegion GdiContext::boundedRegion(const QPainterPath& device, Qt::FillRule rule) const {
    // Only the part near the picture is made pixels: a region's cost follows its height.
    QPainterPath area;
    area.addRect(QRectF(canvas_.image().rect()).adjusted(-4, -4, 4, 4));
    QPainterPath shape = device;
    shape.setFillRule(rule);
    return QRegion(shape.intersected(area).toFillPolygon().toPolygon(), rule);
}

QRegion GdiContext::deviceRect(QRectF logical) const {
    if (axisAligned()) return QRegion(clampedDeviceBox(logical));
    const std::vector<QPoint> pts = devicePoints(
        {logical.topLeft(), logical.topRight(), logical.bottomRight(), logical.bottomLeft()});
    QPainterPath path;
    path.addPolygon(QPolygonF(QPolygon(QList<QPoint>(pts.begin(), pts.end()))));
    return boundedRegion(path, Qt::OddEvenFill);
}

QRegion GdiContext::deviceRegion(const QRegion& logical) const {
    QRegion out;
    for (const QRect& r : logical) out += deviceRect(QRectF(r.x(), r.y(), r.width(), r.height()));
    return out;
}

void GdiContext::applyClip() {
    QRegion r = s_.meta;
    if (s_.clip) r &= *s_.clip;
    canvas_.selectClip(r);
}

void GdiContext::combineClip(const QRegion& device, int mode) {
    const QRegion current = s_.clip ? *s_.clip : QRegion(canvas_.image().rect());
    switch (mode) {
        case 1:
            s_.clip = current.intersected(device);
            break;
        case 2:
            s_.clip = current.united(device);
            break;
        case 3:
            s_.clip = current.xored(device);
            break;
        case 4:
            s_.clip = current.subtracted(device);
            break;
        case 5:
            s_.clip = device;
            break;
        default:
            return;
    }
    applyClip();
}

void GdiContext::resetClip() {
    s_.clip.reset();
    applyClip();
}

void GdiContext::offsetClip(QPointF logicalOffset) {
    if (!s_.clip) return;
    const QPointF d = full_.map(logicalOffset) - full_.map(QPointF(0, 0));
    s_.clip->translate(clampDevice(d.x()) % (1 << 20), clampDevice(d.y()) % (1 << 20));
    applyClip();
}

void GdiContext::setMetaRegion() {
    if (s_.clip) s_.meta &= *s_.clip;
    s_.clip.reset();
    applyClip();
}

void GdiContext::selectClipPath(int mode) {
    if (canvas_.inPath()) canvas_.endPath();
    if (!canvas_.hasPath()) return;
    applyModes();
    std::vector<QPoint> pts;
    std::vector<std::uint8_t> types;
    canvas_.getPath(pts, types);
    QRect extent;
    for (QPoint p : pts) extent |= QRect(p, QSize(1, 1));
    const QRect near = canvas_.image().rect().adjusted(-4096, -4096, 4096, 4096);
    if (near.contains(extent)) {
        combineClip(canvas_.pathToRegion(), mode);
        return;
    }
    // A path reaching far beyond the picture: its region is made near the picture only.
    QPainterPath path;
    for (size_t i = 0; i < pts.size() && i < types.size(); ++i) {
        const int t = types[i] & ~1;
        if (t == 6) {
            path.moveTo(pts[i]);
        } else if (t == 4 && i + 2 < pts.size()) {
            path.cubicTo(pts[i], pts[i + 1], pts[i + 2]);
            i += 2;
        } else {
            path.lineTo(pts[i]);
        }
        if (types[std::min(i, types.size() - 1)] & 1) path.closeSubpath();
    }
    canvas_.abortPath();
    combineClip(boundedRegion(path, s_.polyFill == 2 ? Qt::WindingFill : Qt::OddEvenFill), mode);
}

// --- paths ---

void GdiContext::beginPath() {
    if (canvas_.inPath()) canvas_.abortPath();
    canvas_.beginPath();
    canvas_.moveTo(toDevicePoint(s_.current));
}

void GdiContext::endPath() {
    if (canvas_.inPath()) canvas_.endPath();
}

void GdiContext::closeFigure() {
    if (canvas_.inPath()) canvas_.closeFigure();
}

void GdiContext::abortPath() {
    canvas_.abortPath();
}

void GdiContext::fillPath() {
    endPath();
    applyModes();
    if (canvas_.hasPath()) canvas_.fillPath();
}

void GdiContext::strokePath() {
    endPath();
    applyModes();
    if (canvas_.hasPath()) canvas_.strokePath();
}

void GdiContext::strokeAndFillPath() {
    endPath();
    applyModes();
    if (canvas_.hasPath()) canvas_.strokeAndFillPath();
}

void GdiContext::widenPath() {
    endPath();
    applyModes();
    if (canvas_.hasPath()) canvas_.widenPath();
}

}  // namespace metafile
