#include "platform/canvas/Canvas.h"

#include "platform/Exception.h"
#include "platform/canvas/FarLines.h"
#include "platform/canvas/Shapes.h"

#include <QPainterPath>
#include <QPainterPathStroker>
#include <algorithm>
#include <cmath>

namespace platform {

namespace {

bool hatchBit(BrushStyle style, int x, int y) {
    switch (style) {
        case BrushStyle::Horizontal: return y == 0;
        case BrushStyle::Vertical: return x == 0;
        case BrushStyle::FDiagonal: return x == y;
        case BrushStyle::BDiagonal: return x + y == 7;
        case BrushStyle::Cross: return x == 0 || y == 0;
        case BrushStyle::DiagCross: return x == y || x + y == 7;
        default: return true;
    }
}

// Dash patterns of one-pixel pens, in pixels (on, off, on, off, ...).
const std::vector<int>& dashPattern(PenStyle s) {
    static const std::vector<int> none, dash{18, 6}, dot{3, 3}, dashDot{9, 6, 3, 6}, dashDotDot{9, 3, 3, 3, 3, 3};
    switch (s) {
        case PenStyle::Dash: return dash;
        case PenStyle::Dot: return dot;
        case PenStyle::DashDot: return dashDot;
        case PenStyle::DashDotDot: return dashDotDot;
        default: return none;
    }
}

QRgb monoColour(bool bit, TColor text, TColor back) { return colorToRgb(bit ? back : text); }

}  // namespace

// Reads the pixel of a picture in any supported format as an RGB value.
QRgb sourcePixel(const QImage& src, int x, int y, TColor text, TColor back) {
    switch (src.format()) {
        case QImage::Format_RGB32:
        case QImage::Format_ARGB32:
        case QImage::Format_ARGB32_Premultiplied:
            return reinterpret_cast<const QRgb*>(src.constScanLine(y))[x] | 0xFF000000u;
        case QImage::Format_BGR888: {
            const uchar* p = src.constScanLine(y) + 3 * x;
            return qRgb(p[2], p[1], p[0]);
        }
        case QImage::Format_Mono:
            return monoColour((src.constScanLine(y)[x >> 3] >> (7 - (x & 7))) & 1, text, back);
        case QImage::Format_MonoLSB:
            return monoColour((src.constScanLine(y)[x >> 3] >> (x & 7)) & 1, text, back);
        default:
            return src.pixel(x, y) | 0xFF000000u;
    }
}

namespace {
void checkFormat(const QImage& image) {
    if (image.format() != QImage::Format_RGB32 && image.format() != QImage::Format_ARGB32)
        throw Exception(QStringLiteral("キャンバスの画像形式が正しくありません"));
}
}  // namespace

Canvas::Canvas(QImage& image, DeviceDescriptor device) : image_(&image), device_(device) {
    checkFormat(image);
    // The font keeps its point size on this device: its height follows the resolution.
    const int points = state_.tools.font.size();
    state_.tools.font.pixelsPerInch = device.dpiY;
    state_.tools.font.setSize(points);
    rebuildClipRects();
}

void Canvas::selectImage(QImage& image) {
    checkFormat(image);
    image_ = &image;
    rebuildClipRects();
}

void Canvas::setMapMode(MapMode mode) {
    state_.map.mode = mode;
    if (mode == MapMode::Text) {
        state_.map.windowExtent = {1, 1};
        state_.map.viewportExtent = {1, 1};
    }
}

TRect Canvas::toDevice(const TRect& r) const {
    const QPoint a = toDevice(QPoint(r.Left, r.Top)), b = toDevice(QPoint(r.Right, r.Bottom));
    return {std::min(a.x(), b.x()), std::min(a.y(), b.y()), std::max(a.x(), b.x()), std::max(a.y(), b.y())};
}

TRect Canvas::toLogical(const TRect& r) const {
    const QPoint a = toLogical(QPoint(r.Left, r.Top)), b = toLogical(QPoint(r.Right, r.Bottom));
    return {std::min(a.x(), b.x()), std::min(a.y(), b.y()), std::max(a.x(), b.x()), std::max(a.y(), b.y())};
}

// ------------------------------------------------------------------ state

int Canvas::save() {
    stack_.push_back(state_);
    return int(stack_.size());
}

bool Canvas::restore(int level) {
    const int depth = int(stack_.size());
    const int target = level < 0 ? depth + level : level - 1;  // index of the state to bring back
    if (target < 0 || target >= depth) return false;
    state_ = std::move(stack_[size_t(target)]);
    stack_.resize(size_t(target));
    rebuildClipRects();
    return true;
}

// ------------------------------------------------------------------ clipping

void Canvas::rebuildClipRects() {
    clipRects_.clear();
    const QRect all = image_->rect();
    if (!state_.clip) {
        if (!all.isEmpty()) clipRects_.push_back(all);
        return;
    }
    for (const QRect& r : state_.clip->intersected(all)) clipRects_.push_back(r);
}

void Canvas::selectClip(std::optional<QRegion> deviceRegion) {
    state_.clip = std::move(deviceRegion);
    rebuildClipRects();
}

void Canvas::combineClip(const QRegion& rgn, ClipCombine mode) {
    const QRegion current = state_.clip ? *state_.clip : QRegion(image_->rect());
    switch (mode) {
        case ClipCombine::And:
            state_.clip = current.intersected(rgn);
            break;
        case ClipCombine::Or:
            state_.clip = current.united(rgn);
            break;
        case ClipCombine::Xor:
            state_.clip = current.xored(rgn);
            break;
        case ClipCombine::Diff:
            state_.clip = current.subtracted(rgn);
            break;
        case ClipCombine::Copy:
            state_.clip = rgn;
            break;
    }
    rebuildClipRects();
}

void Canvas::intersectClipRect(const TRect& logical) {
    combineClip(QRegion(toDevice(logical).toQRect()), ClipCombine::And);
}

void Canvas::excludeClipRect(const TRect& logical) {
    combineClip(QRegion(toDevice(logical).toQRect()), ClipCombine::Diff);
}

TRect Canvas::clipBox() const {
    const QRect box = state_.clip ? state_.clip->boundingRect() : image_->rect();
    return toLogical(TRect::fromQRect(box));
}

// ------------------------------------------------------------------ pixel painting

void Canvas::plot(int x, int y, QRgb colour, Rop2 op) {
    for (const QRect& r : clipRects_)
        if (r.contains(x, y)) {
            QRgb& d = reinterpret_cast<QRgb*>(image_->scanLine(y))[x];
            d = applyRop2(op, colour, d);
            return;
        }
}

void Canvas::fillSpan(int y, int x0, int x1, const Brush& b, Rop2 op) {
    if (b.style == BrushStyle::Clear) return;
    QRgb* row = reinterpret_cast<QRgb*>(image_->scanLine(y));
    const QRgb solid = colorToRgb(b.color);
    const QRgb back = colorToRgb(state_.tools.backgroundColor);
    const bool opaque = state_.tools.backgroundMode == BackgroundMode::Opaque;
    for (const QRect& r : clipRects_) {
        if (y < r.top() || y > r.bottom()) continue;
        const int xa = std::max(x0, r.left()), xb = std::min(x1, r.right() + 1);
        if (xa >= xb) continue;
        if (b.style == BrushStyle::Solid) {
            if (op == Rop2::CopyPen)
                std::fill(row + xa, row + xb, solid);
            else
                for (int x = xa; x < xb; ++x) row[x] = applyRop2(op, solid, row[x]);
        } else if (b.style == BrushStyle::Pattern) {
            if (b.pattern.isNull()) continue;
            for (int x = xa; x < xb; ++x) row[x] = applyRop2(op, brushPixel(b, x, y), row[x]);
        } else {
            const int hy = (y - state_.tools.brushOrigin.y()) & 7;
            for (int x = xa; x < xb; ++x) {
                if (hatchBit(b.style, (x - state_.tools.brushOrigin.x()) & 7, hy))
                    row[x] = applyRop2(op, solid, row[x]);
                else if (opaque)
                    row[x] = applyRop2(op, back, row[x]);
            }
        }
    }
}

void Canvas::fillSpans(const std::vector<Contour>& contours, FillRule rule, const Brush& b, Rop2 op) {
    if (clipRects_.empty()) return;
    QRect limit = clipRects_.front();
    for (const QRect& r : clipRects_) limit = limit.united(r);
    scanPolygons(contours, rule, limit, [&](int y, int x0, int x1) { fillSpan(y, x0, x1, b, op); });
}

int Canvas::penDeviceWidth() const {
    if (state_.tools.pen.width <= 1) return 1;
    return std::max(1, std::abs(state_.map.lengthToDevice(state_.tools.pen.width)));
}

void Canvas::strokeDevice(const std::vector<std::vector<QPoint>>& lines, const std::vector<bool>& closed) {
    if (!penPaints()) return;
    if (clipRects_.empty()) return;
    QRect limit = clipRects_.front();
    for (const QRect& r : clipRects_) limit = limit.united(r);
    const QRgb colour = colorToRgb(state_.tools.pen.color);
    const int w = penDeviceWidth();
    if (w <= 1) {
        const std::vector<int>& dashes = dashPattern(state_.tools.pen.style);
        int total = 0;
        for (int d : dashes) total += d;
        auto pixel = [&](int x, int y) {
            if (total > 0) {
                int pos = int(styleCounter_++ % std::uint32_t(total));
                bool on = true;
                for (int d : dashes) {
                    if (pos < d) break;
                    pos -= d;
                    on = !on;
                }
                if (!on) {
                    if (state_.tools.backgroundMode == BackgroundMode::Opaque)
                        plot(x, y, colorToRgb(state_.tools.backgroundColor), state_.tools.mix);
                    return;
                }
            }
            plot(x, y, colour, state_.tools.mix);
        };
        std::uint32_t solidCounter = 0;  // solid pens keep the dash position as it is
        std::uint32_t& counter = total > 0 ? styleCounter_ : solidCounter;
        for (size_t i = 0; i < lines.size(); ++i) {
            const auto& l = lines[i];
            for (size_t k = 1; k < l.size(); ++k)
                walkLineWithin(l[k - 1], l[k], limit, counter, pixel);
            if (closed[i] && l.size() > 1)
                walkLineWithin(l.back(), l.front(), limit, counter, pixel);
        }
        return;
    }
    // Geometric pens: the outline of the pen swept along the lines, with round ends and
    // joins, centred on the pixel centres the points name. Lines are cut where the pen,
    // farther out, cannot reach the clip; a dashed piece resumes its pattern where the cut
    // left it. Gaps narrower than about the square root of the width close under the round
    // caps to within a quarter of a pixel: such a pen strokes solid, without every dash.
    const std::vector<int>& dashes = dashPattern(state_.tools.pen.style);
    int widestGap = 0;
    for (size_t i = 1; i < dashes.size(); i += 2) widestGap = std::max(widestGap, dashes[i]);
    const bool dashed = !dashes.empty() && widestGap * widestGap > w;
    const QRectF reach = QRectF(limit).adjusted(-w - 2, -w - 2, w + 2, w + 2);
    std::vector<Contour> contours;
    QPainterPath path;
    auto stroke = [&](double along) {
        QPainterPathStroker stroker;
        stroker.setWidth(w);
        stroker.setCapStyle(Qt::RoundCap);
        stroker.setJoinStyle(Qt::RoundJoin);
        if (dashed) {
            QList<qreal> pattern;
            for (int d : dashes) pattern << qreal(d) / w;
            stroker.setDashPattern(pattern);
            stroker.setDashOffset(along / w);
        }
        for (const QPolygonF& poly : stroker.createStroke(path).toFillPolygons()) {
            Contour c;
            for (const QPointF& p : poly)
                c.emplace_back(std::lround(p.x() * kSubPixel), std::lround(p.y() * kSubPixel));
            contours.push_back(std::move(c));
        }
        path.clear();
    };
    for (size_t i = 0; i < lines.size(); ++i) {
        for (const LinePiece& piece : clipPolyline(lines[i], closed[i], reach)) {
            const auto& l = piece.points;
            if (l.empty()) continue;
            path.moveTo(l[0].x() + 0.5, l[0].y() + 0.5);
            for (size_t k = 1; k < l.size(); ++k) path.lineTo(l[k].x() + 0.5, l[k].y() + 0.5);
            if (l.size() == 1) path.lineTo(l[0].x() + 0.5, l[0].y() + 0.5);
            if (piece.closed) path.closeSubpath();
            if (dashed) stroke(piece.along);
        }
    }
    if (!path.isEmpty()) stroke(0);
    Brush b;
    b.color = state_.tools.pen.color;
    fillSpans(contours, FillRule::Winding, b, state_.tools.mix);
}

void Canvas::fillDeviceShape(const std::vector<Contour>& contours, FillRule rule) {
    std::vector<Contour> sub;
    sub.reserve(contours.size());
    for (const Contour& c : contours) sub.push_back(toSubPixel(c));
    fillSpans(sub, rule, state_.tools.brush, state_.tools.mix);
}

// ------------------------------------------------------------------ primitives

void Canvas::moveTo(QPoint p) {
    state_.current = p;
    if (recording_) pathAdd(toDevice(p), 6);
}

void Canvas::lineTo(QPoint p) {
    if (recording_)
        pathAdd(toDevice(p), 2);
    else
        strokeDevice({{toDevice(state_.current), toDevice(p)}}, {false});
    state_.current = p;
}

void Canvas::polyline(const std::vector<QPoint>& pts) {
    if (pts.empty()) return;
    if (recording_) {
        pathAdd(toDevice(pts[0]), 6);
        for (size_t i = 1; i < pts.size(); ++i) pathAdd(toDevice(pts[i]), 2);
        return;
    }
    std::vector<QPoint> dev;
    for (QPoint p : pts) dev.push_back(toDevice(p));
    strokeDevice({dev}, {false});
}

void Canvas::polylineTo(const std::vector<QPoint>& pts) {
    if (pts.empty()) return;
    if (recording_) {
        for (QPoint p : pts) pathAdd(toDevice(p), 2);
    } else {
        std::vector<QPoint> dev{toDevice(state_.current)};
        for (QPoint p : pts) dev.push_back(toDevice(p));
        strokeDevice({dev}, {false});
    }
    state_.current = pts.back();
}

void Canvas::polyBezierTo(const std::vector<QPoint>& pts) {
    if (recording_) {
        for (QPoint p : pts) pathAdd(toDevice(p), 4);
        if (!pts.empty()) state_.current = pts.back();
        return;
    }
    std::vector<QPoint> dev{toDevice(state_.current)};
    QPoint from = state_.current;
    // A curve the pen cannot bring into the picture is drawn as its chord, out of sight too.
    const int m = penDeviceWidth() + 2;
    const QRect reach = image_->rect().adjusted(-m, -m, m, m);
    for (size_t i = 0; i + 2 < pts.size(); i += 3) {
        const QPoint p0 = toDevice(from), p1 = toDevice(pts[i]), p2 = toDevice(pts[i + 1]),
                     p3 = toDevice(pts[i + 2]);
        if (hullOutside(p0, p1, p2, p3, reach))
            dev.push_back(p3);
        else
            flattenCubic(p0, p1, p2, p3, dev);
        from = pts[i + 2];
    }
    strokeDevice({dev}, {false});
    state_.current = from;
}

void Canvas::shape(const std::vector<QPoint>& dev, bool fillIt) {
    if (fillIt && brushPaints()) fillDeviceShape({dev}, state_.tools.polyFillMode);
    strokeDevice({dev}, {true});
}

void Canvas::polygon(const std::vector<QPoint>& pts) {
    if (pts.empty()) return;
    if (recording_) {
        pathAdd(toDevice(pts[0]), 6);
        for (size_t i = 1; i < pts.size(); ++i) pathAdd(toDevice(pts[i]), i + 1 == pts.size() ? 3 : 2);
        if (pts.size() == 1) path_.types.back() |= 1;
        return;
    }
    std::vector<QPoint> dev;
    for (QPoint p : pts) dev.push_back(toDevice(p));
    shape(dev, true);
}

void Canvas::polyPolygon(const std::vector<std::vector<QPoint>>& polys) {
    if (recording_) {
        for (const auto& p : polys) polygon(p);
        return;
    }
    std::vector<Contour> dev;
    for (const auto& poly : polys) {
        Contour c;
        for (QPoint p : poly) c.push_back(toDevice(p));
        dev.push_back(std::move(c));
    }
    if (brushPaints()) fillDeviceShape(dev, state_.tools.polyFillMode);
    strokeDevice(dev, std::vector<bool>(dev.size(), true));
}

void Canvas::rectangle(const TRect& r) {
    const TRect d = toDevice(r);
    if (recording_) {
        pathAdd({d.Left, d.Top}, 6);
        pathAdd({d.Right, d.Top}, 2);
        pathAdd({d.Right, d.Bottom}, 2);
        pathAdd({d.Left, d.Bottom}, 3);
        return;
    }
    int inset = 0;
    if (state_.tools.pen.style == PenStyle::InsideFrame && penDeviceWidth() > 1)
        inset = penDeviceWidth() / 2;
    const int l = d.Left + inset, t = d.Top + inset, rr = d.Right - 1 - inset, b = d.Bottom - 1 - inset;
    shape({{l, t}, {rr, t}, {rr, b}, {l, b}}, true);
}

void Canvas::ellipse(const TRect& r) {
    const TRect d = toDevice(r);
    if (!recording_ && roundedShape(d, d.Right - d.Left, d.Bottom - d.Top)) return;
    const std::vector<QPoint> poly = ellipsePolygon(d.Left, d.Top, d.Right - 1, d.Bottom - 1);
    if (recording_) {
        for (size_t i = 0; i < poly.size(); ++i) pathAdd(poly[i], i == 0 ? 6 : (i + 1 == poly.size() ? 3 : 2));
        return;
    }
    shape(poly, true);
}

void Canvas::roundRect(const TRect& r, int cw, int ch) {
    const TRect d = toDevice(r);
    const int cwd = std::abs(state_.map.lengthToDevice(cw)),
              chd = std::abs(state_.map.lengthToDevice(ch, true));
    if (!recording_ && roundedShape(d, cwd, chd)) return;
    const int l = d.Left, t = d.Top, rr = d.Right - 1, b = d.Bottom - 1;
    const int ex = std::min(cwd / 2, (rr - l) / 2);
    const int ey = std::min(chd / 2, (b - t) / 2);
    std::vector<QPoint> poly;
    const int steps = std::clamp((ex + ey) / 2, 2, 256);
    auto corner = [&](double cx, double cy, double a0) {
        for (int i = 0; i <= steps; ++i) {
            const double a = a0 + M_PI / 2 * i / steps;
            poly.emplace_back(int(std::lround(cx + ex * std::cos(a))), int(std::lround(cy + ey * std::sin(a))));
        }
    };
    corner(rr - ex, t + ey, -M_PI / 2);
    corner(rr - ex, b - ey, 0);
    corner(l + ex, b - ey, M_PI / 2);
    corner(l + ex, t + ey, M_PI);
    if (recording_) {
        for (size_t i = 0; i < poly.size(); ++i) pathAdd(poly[i], i == 0 ? 6 : (i + 1 == poly.size() ? 3 : 2));
        return;
    }
    shape(poly, true);
}

bool Canvas::roundedShape(const TRect& d, int cornerWidth, int cornerHeight) {
    // Thin solid pens (and no pen) paint row by row: the outline is the shape's edge pixels
    // and the fill exactly what lies inside them, both symmetric. Wide and styled pens take
    // the polygon route.
    const bool pen1 = penPaints() && penDeviceWidth() <= 1 &&
                      (state_.tools.pen.style == PenStyle::Solid ||
                       state_.tools.pen.style == PenStyle::InsideFrame);
    if (penPaints() && !pen1) return false;
    if (d.Right <= d.Left || d.Bottom <= d.Top) return true;
    const int h = image_->height();
    Brush penBrush;
    penBrush.color = state_.tools.pen.color;
    if (!pen1) {
        // Without a pen the filled area is one pixel smaller each way.
        const auto rows =
            roundRectSpans(d.Left, d.Top, d.Right - 1, d.Bottom - 1, cornerWidth, cornerHeight);
        if (!brushPaints()) return true;
        for (size_t i = 0; i < rows.size(); ++i) {
            const int y = d.Top + int(i);
            if (y >= 0 && y < h)
                fillSpan(y, rows[i].left, rows[i].right + 1, state_.tools.brush, state_.tools.mix);
        }
        return true;
    }
    const auto rows = roundRectSpans(d.Left, d.Top, d.Right, d.Bottom, cornerWidth, cornerHeight);
    const int n = int(rows.size());
    for (int i = 0; i < n; ++i) {
        const int y = d.Top + i;
        if (y < 0 || y >= h) continue;
        const Span row = rows[size_t(i)];
        // Inside: not on the row's ends and with pixels above and below.
        int inL = row.left + 1, inR = row.right - 1;
        if (i == 0 || i == n - 1) {
            inL = row.right + 1;
            inR = row.right;
        } else {
            inL = std::max({inL, rows[size_t(i - 1)].left, rows[size_t(i + 1)].left});
            inR = std::min({inR, rows[size_t(i - 1)].right, rows[size_t(i + 1)].right});
        }
        if (inL > inR) {
            fillSpan(y, row.left, row.right + 1, penBrush, state_.tools.mix);
            continue;
        }
        if (brushPaints()) fillSpan(y, inL, inR + 1, state_.tools.brush, state_.tools.mix);
        fillSpan(y, row.left, inL, penBrush, state_.tools.mix);
        fillSpan(y, inR + 1, row.right + 1, penBrush, state_.tools.mix);
    }
    return true;
}

void Canvas::fillRect(const TRect& r, const Brush& b) {
    const TRect d = toDevice(r);
    if (d.IsEmpty()) return;
    for (int y = std::max(d.Top, 0); y < std::min(d.Bottom, image_->height()); ++y)
        fillSpan(y, d.Left, d.Right, b, Rop2::CopyPen);
}

void Canvas::frameRect(const TRect& r, const Brush& b) {
    const TRect d = toDevice(r);
    if (d.IsEmpty()) return;
    for (int y = std::max(d.Top, 0); y < std::min(d.Bottom, image_->height()); ++y) {
        if (y == d.Top || y == d.Bottom - 1) {
            fillSpan(y, d.Left, d.Right, b, Rop2::CopyPen);
        } else {
            fillSpan(y, d.Left, d.Left + 1, b, Rop2::CopyPen);
            fillSpan(y, d.Right - 1, d.Right, b, Rop2::CopyPen);
        }
    }
}

void Canvas::invertRect(const TRect& r) {
    patBlt(r, DSTINVERT);
}

void Canvas::fillRegion(const QRegion& rgn, const Brush& b) {
    for (const QRect& r : rgn)
        for (int y = std::max(r.top(), 0); y <= std::min(r.bottom(), image_->height() - 1); ++y)
            fillSpan(y, r.left(), r.right() + 1, b, Rop2::CopyPen);
}

void Canvas::patBlt(const TRect& r, Rop3 rop) {
    const TRect d = toDevice(r);
    const std::uint8_t table = rop3Table(rop);
    for (const QRect& c : clipRects_) {
        const int x0 = std::max(d.Left, c.left()), x1 = std::min(d.Right, c.right() + 1);
        const int y0 = std::max(d.Top, c.top()), y1 = std::min(d.Bottom, c.bottom() + 1);
        for (int y = y0; y < y1; ++y) {
            QRgb* row = reinterpret_cast<QRgb*>(image_->scanLine(y));
            for (int x = x0; x < x1; ++x)
                row[x] =
                    applyRop3(table, brushPixel(state_.tools.brush, x, y), 0, row[x]) | 0xFF000000u;
        }
    }
}

QRgb Canvas::brushPixel(const Brush& b, int x, int y) const {
    if (b.style == BrushStyle::Pattern && !b.pattern.isNull()) {
        const QImage& p = b.pattern;
        return sourcePixel(
            p, ((x - state_.tools.brushOrigin.x()) % p.width() + p.width()) % p.width(),
            ((y - state_.tools.brushOrigin.y()) % p.height() + p.height()) % p.height(),
            state_.tools.textColor, state_.tools.backgroundColor);
    }
    if (b.style != BrushStyle::Solid && b.style != BrushStyle::Clear &&
        !hatchBit(b.style, (x - state_.tools.brushOrigin.x()) & 7,
                  (y - state_.tools.brushOrigin.y()) & 7))
        return colorToRgb(state_.tools.backgroundColor);
    return colorToRgb(b.color);
}

QRgb Canvas::pixel(QPoint logical) const {
    const QPoint d = toDevice(logical);
    if (!image_->rect().contains(d)) return 0;
    if (state_.clip && !state_.clip->contains(d)) return 0;
    return reinterpret_cast<const QRgb*>(image_->constScanLine(d.y()))[d.x()];
}

void Canvas::setPixel(QPoint logical, TColor c) {
    const QPoint d = toDevice(logical);
    if (!image_->rect().contains(d)) return;
    plot(d.x(), d.y(), colorToRgb(c), Rop2::CopyPen);
}

}  // namespace platform
