#include "objects/SimpleText.h"

#include "document/stream/PropertyBuilder.h"
#include "drawing/Transformer.h"
#include "imaging/Arcs.h"
#include "objects/Messages.h"
#include "objects/TextConvert.h"
#include "platform/IntMath.h"
#include "platform/canvas/Fonts.h"
#include "platform/canvas/TextOut.h"

#include <cmath>
#include <memory>

VELLUMO_DEFINE_PERSISTENT(TSimpleText)

using platform::Canvas;
using platform::TextFont;

Canvas& MeasuringCanvas() {
    struct Measuring {
        QImage image{1, 1, QImage::Format_RGB32};
        Canvas canvas{image,
                      platform::DeviceDescriptor{TSimpleText::kUnitDPI, TSimpleText::kUnitDPI}};
    };
    thread_local Measuring m;
    return m.canvas;
}

void SetVerticalFont(platform::Font& font, int tenths) {
    QString name = font.name.startsWith(u'@') ? font.name : u'@' + font.name;
    if (!platform::FontRegistry::instance().isVertical(name)) name = font.name;
    font.name = name;
    font.escapement = font.orientation = 2700 - tenths;
}

void SetFontRotation(platform::Font& font, int tenths) {
    font.escapement = font.orientation = -tenths;
}

TSimpleText::TSimpleText() {
    font_.OnChange = [this] { changed(true); };
}

void TSimpleText::DeclareProperties(PropertyBuilder<TSimpleText>& p) {
    p.persistent("Text", &TSimpleText::Text);
    p.persistent("Font", &TSimpleText::Font);
    p.integer("Align", &TSimpleText::Align, &TSimpleText::SetAlign).defaultValue(0);
    p.boolean("Vertical", &TSimpleText::Vertical, &TSimpleText::SetVertical).defaultValue(false);
    p.integer("CharSpacing", &TSimpleText::CharSpacing, &TSimpleText::SetCharSpacing)
        .defaultValue(0);
    p.integer("LineSpacing", &TSimpleText::LineSpacing, &TSimpleText::SetLineSpacing)
        .defaultValue(0);
    p.integer("Bulge", &TSimpleText::Bulge, &TSimpleText::SetBulge).defaultValue(0);
    p.integer("Angle", &TSimpleText::Angle, &TSimpleText::SetAngle).defaultValue(0);
    p.boolean("HanToZen", &TSimpleText::HanToZen, &TSimpleText::SetHanToZen).defaultValue(false);
    p.boolean("NumToKnj", &TSimpleText::NumToKnj, &TSimpleText::SetNumToKnj).defaultValue(false);
    p.boolean("MinusExc", &TSimpleText::MinusExc, &TSimpleText::SetMinusExc).defaultValue(false);
    p.integer("FeedAngle", &TSimpleText::FeedAngle, &TSimpleText::SetFeedAngle).defaultValue(0);
}

void TSimpleText::Assign(const TPersistent& source) {
    const auto* s = dynamic_cast<const TSimpleText*>(&source);
    if (!s) return TPersistent::Assign(source);
    if (s == this) return;
    BeginUpdate();
    text_.Assign(s->text_);
    font_.Assign(s->font_);
    align_ = s->align_;
    vertical_ = s->vertical_;
    charSpacing_ = s->charSpacing_;
    lineSpacing_ = s->lineSpacing_;
    bulge_ = s->bulge_;
    angle_ = s->angle_;
    hanToZen_ = s->hanToZen_;
    numToKnj_ = s->numToKnj_;
    minusExc_ = s->minusExc_;
    feedAngle_ = s->feedAngle_;
    layouts_.clear();
    changed(true);
    EndUpdate();
}

void TSimpleText::changed(bool layoutChanges) {
    if (layoutChanges) layouts_.clear();
    ++pending_;
    if (updating_ == 0) {
        pending_ = 0;
        if (OnChange) OnChange();
    }
}

void TSimpleText::EndUpdate() {
    if (updating_ > 0 && --updating_ == 0 && pending_ > 0) {
        pending_ = 0;
        if (OnChange) OnChange();
    }
}

void TSimpleText::SetLines(const QStringList& lines) {
    if (text_.ToStringList() == lines) return;
    text_.Assign(lines);
    changed(true);
}
void TSimpleText::SetAlign(int v) {
    set(align_, v, false);
}
void TSimpleText::SetVertical(bool v) {
    set(vertical_, v, true);
}
void TSimpleText::SetCharSpacing(int v) {
    set(charSpacing_, v, true);
}
void TSimpleText::SetLineSpacing(int v) {
    set(lineSpacing_, v, false);
}
void TSimpleText::SetBulge(int v) {
    set(bulge_, v, false);
}
void TSimpleText::SetAngle(int v) {
    set(angle_, v, false);
}
void TSimpleText::SetHanToZen(bool v) {
    set(hanToZen_, v, true);
}
void TSimpleText::SetNumToKnj(bool v) {
    set(numToKnj_, v, true);
}
void TSimpleText::SetMinusExc(bool v) {
    set(minusExc_, v, true);
}
void TSimpleText::SetFeedAngle(int v) {
    set(feedAngle_, v, false);
}

// ------------------------------------------------------------------ layout

QStringList TSimpleText::GetDisplayText() const {
    if (text_.Count() == 0) return {msg::textEntryMissing()};
    QStringList lines = text_.ToStringList();
    if (!hanToZen_ && !numToKnj_) return lines;
    for (QString& line : lines) {
        if (hanToZen_)
            line = HalfToFull(line, minusExc_ ? std::optional<QChar>(u'-') : std::nullopt);
        if (numToKnj_) line = DigitsToKanji(line);
    }
    return lines;
}

void TSimpleText::SelectFont(Canvas& canvas) const {
    platform::Font f;
    f.name = font_.Name();
    f.pixelsPerInch = kUnitDPI;
    f.height = -platform::mulDiv(font_.Size(), kUnitDPI, 72);
    f.styles = font_.Style() & ~(platform::fsUnderline | platform::fsStrikeOut);
    f.color = DrawColor;
    platform::FontRegistry& fonts = platform::FontRegistry::instance();
    if (!fonts.isUsable(f.name)) {
        fonts.noteMissing(f.name);
        const QStringList& fallback = platform::fallbackFaceNames();
        f.name = fallback.back();
        for (const QString& name : fallback)
            if (fonts.isUsable(name)) {
                f.name = name;
                break;
            }
    }
    if (vertical_) SetVerticalFont(f, 0);
    canvas.tools().font = f;
}

int TSimpleText::LineHeight() const {
    Canvas& m = MeasuringCanvas();
    SelectFont(m);
    return TextFont(m.tools().font).metrics().height;
}

void TSimpleText::EnsureLayout() const {
    const QStringList lines = GetDisplayText();
    if (layouts_.size() == size_t(lines.size())) return;
    Canvas& m = MeasuringCanvas();
    SelectFont(m);
    const TextFont font(m.tools().font);
    layouts_.assign(size_t(lines.size()), {});
    for (qsizetype i = 0; i < lines.size(); ++i)
        LayoutLine(font, layouts_[size_t(i)], lines[i], charSpacing_, 0, 0);
}

TRect TSimpleText::ComputeTextRect(const TRect& box, bool ignoreJustify) const {
    EnsureLayout();
    const int alignment = align_ == 3 && ignoreJustify ? 0 : align_;
    const int h = LineHeight();
    const int n = int(layouts_.size());
    if (n == 0) {
        return vertical_ ? TRect{box.Right - h, box.Top, box.Right, box.Top}
                         : TRect{box.Left, box.Top, box.Left, box.Top + h};
    }
    const int extent = n * (h + lineSpacing_) - lineSpacing_;
    const int width = vertical_ ? box.Height() : box.Width();
    const bool slanted = feedAngle_ != 0;
    double offset = 0, step = 0;
    if (slanted) {
        const double s = std::sin(-feedAngle_ * M_PI / 180.0), e = h + lineSpacing_;
        step = s * e;
        if (alignment == 0) offset = s >= 0 ? 0 : -s * e * (n - 1);
        if (alignment == 2) offset = s >= 0 ? -s * e * (n - 1) : 0;
        if (alignment == 1 || alignment == 3) offset = step = 0;
    }
    bool any = false;
    int lo = 0, hi = 0;
    for (int k = 0; k < n; ++k) {
        TCharLayout& line = layouts_[size_t(k)];
        if (line.Count() == 0 && !slanted) continue;
        AlignLine(line, width, alignment, charSpacing_);
        if (slanted) {
            const int shift = int(std::nearbyint(offset + k * step));
            line.start += shift;
            line.end += shift;
            for (int& p : line.positions) p += shift;
        }
        lo = any ? std::min(lo, line.start) : line.start;
        hi = any ? std::max(hi, line.end) : line.end;
        any = true;
    }
    TRect r = box;
    if (vertical_) {
        r.Left = box.Right - extent;
        r.Right = box.Right;
        if (any) {
            r.Top = box.Top + lo;
            r.Bottom = box.Top + hi;
        }
    } else {
        r.Top = box.Top;
        r.Bottom = box.Top + extent;
        if (any) {
            r.Left = box.Left + lo;
            r.Right = box.Left + hi;
        }
    }
    return r;
}

// ------------------------------------------------------------------ drawing

void TSimpleText::Draw(Canvas& canvas, const TRect& box) const {
    platform::CanvasStateKeeper keep(canvas);
    ComputeTextRect(box, false);
    SelectFont(canvas);
    canvas.tools().backgroundMode = platform::BackgroundMode::Transparent;
    drawPaths(canvas, box, true);
}

void TSimpleText::BuildOutline(TStroke& stroke, const TRect& box, bool withUnderline) const {
    ComputeTextRect(box, false);
    Canvas& m = MeasuringCanvas();
    platform::CanvasStateKeeper keep(m);
    SelectFont(m);
    m.tools().polyFillMode = platform::FillRule::Winding;
    m.tools().brush.style = platform::BrushStyle::Clear;
    m.tools().pen = platform::Pen{platform::PenStyle::Solid, 0, clBlack};
    m.tools().backgroundMode = platform::BackgroundMode::Transparent;
    m.beginPath();
    drawPaths(m, box, withUnderline);
    m.endPath();
    stroke.Clear();
    stroke.AppendPath(m);
    m.abortPath();
}

void TSimpleText::drawPaths(Canvas& canvas, const TRect& box, bool bars) const {
    if (bulge_ != 0)
        drawOnArc(canvas, box);
    else if (angle_ != 0)
        drawRotated(canvas, box, bars);
    else
        drawStraight(canvas, box, bars);
}

TRect TSimpleText::lineRect(const TCharLayout& line, TRect& work) const {
    TRect r;
    if (vertical_) {
        r = {work.Right - line.height, work.Top + line.start, work.Right, work.Top + line.end};
        work.Right -= line.height + lineSpacing_;
    } else {
        r = {work.Left + line.start, work.Top, work.Left + line.end, work.Top + line.height};
        work.Top += line.height + lineSpacing_;
    }
    return r;
}

void TSimpleText::drawStraight(Canvas& canvas, const TRect& box, bool bars) const {
    const TextFont font(canvas.tools().font);
    TRect work = box;
    for (const TCharLayout& cached : layouts_) {
        TCharLayout line;
        LayoutLine(font, line, cached.text, 0, 3, cached.end - cached.start);
        line.start = cached.start;
        line.end = cached.end;
        const TRect r = lineRect(line, work);
        const std::vector<char32_t> chars = LineCharacters(line.text);
        for (size_t j = 0; j < chars.size(); ++j) {
            if (chars[j] == U'\t') continue;
            const QString ch = QString::fromUcs4(&chars[j], 1);
            const QPointF at = vertical_ ? QPointF(r.Right, r.Top + line.positions[j])
                                         : QPointF(r.Left + line.positions[j], r.Top);
            platform::textOut(canvas, font, at, ch);
        }
        if (bars) drawBars(canvas, r, nullptr);
    }
}

void TSimpleText::drawRotated(Canvas& canvas, const TRect& box, bool bars) const {
    TRotator rotator;
    rotator.SetCenter({(box.Left + box.Right) / 2, (box.Top + box.Bottom) / 2});
    rotator.SetAngle(angle_);
    platform::Font f = canvas.tools().font;
    if (vertical_)
        SetVerticalFont(f, angle_ * 10);
    else
        SetFontRotation(f, angle_ * 10);
    canvas.tools().font = f;
    const TextFont font(f);
    const double phi = (vertical_ ? angle_ + 90 : angle_) * M_PI / 180.0;
    TRect work = box;
    for (const TCharLayout& cached : layouts_) {
        TCharLayout line;
        LayoutLine(font, line, cached.text, 0, 3, cached.end - cached.start);
        line.start = cached.start;
        line.end = cached.end;
        const TRect r = lineRect(line, work);
        QPoint centre((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
        rotator.TransformPoint(centre);
        const double half = (line.end - line.start) / 2.0, l2 = line.height / 2.0;
        const std::vector<char32_t> chars = LineCharacters(line.text);
        for (size_t j = 0; j < chars.size(); ++j) {
            if (chars[j] == U'\t') continue;
            const double d = line.positions[j] - half;
            const QPointF at(std::floor(centre.x() + d * std::cos(phi) + l2 * std::sin(phi)),
                             std::floor(centre.y() + d * std::sin(phi) - l2 * std::cos(phi)));
            platform::textOut(canvas, font, at, QString::fromUcs4(&chars[j], 1));
        }
        if (bars) drawBars(canvas, r, &rotator);
    }
}

void TSimpleText::drawOnArc(Canvas& canvas, const TRect& box) const {
    TRotator rotator;
    rotator.SetCenter({(box.Left + box.Right) / 2, (box.Top + box.Bottom) / 2});
    rotator.SetAngle(angle_);
    QPoint s, e;
    if (vertical_) {
        s = {(box.Left + box.Right) / 2, box.Top};
        e = {(box.Left + box.Right) / 2, box.Bottom};
    } else {
        s = {box.Left, (box.Top + box.Bottom) / 2};
        e = {box.Right, (box.Top + box.Bottom) / 2};
    }
    rotator.TransformPoint(s);
    rotator.TransformPoint(e);
    TArcRec arc;
    if (!ArcFromChord(s, e, bulge_, arc)) return;
    const bool positive = bulge_ > 0;
    const int h = LineHeight();
    double radius = arc.Radius + h / 2;
    const double q = positive ? arc.StartAngle : arc.EndAngle;
    double r = arc.EndAngle - arc.StartAngle;
    if (r < 0) r += 2 * M_PI;
    const platform::Font base = canvas.tools().font;
    for (const TCharLayout& cached : layouts_) {
        TCharLayout line;
        LayoutLine(TextFont(base), line, cached.text, charSpacing_, 0, 0);
        const int w = line.end - line.start;
        double alpha = radius == h ? w : w / (radius - h);
        double theta0 = q;
        if (align_ == 2) theta0 = positive ? q + r - alpha : q - r + alpha;
        if (align_ == 1) theta0 = positive ? q + (r - alpha) / 2 : q - (r - alpha) / 2;
        if (align_ == 3) {
            theta0 = q;
            alpha = r;
        }
        const int L = line.height, n = line.Count();
        if (w != 0 && L != 0) {
            const double rho = radius - L / 2.0;
            double D = radius - L;
            if (D == 0) D = 1;
            const double extra = n > 1 ? (alpha - w / D) / (n - 1) : 0;
            const std::vector<char32_t> chars = LineCharacters(line.text);
            for (int j = 0; j < n; ++j) {
                if (chars[size_t(j)] == U'\t') continue;
                const platform::AbcWidth& abc = line.widths[size_t(j)];
                const double m = line.positions[size_t(j)] + abc.a + abc.b / 2.0;
                const double t =
                    positive ? theta0 + (j * extra + m / D) : theta0 - (j * extra + m / D);
                const double u = t * 180.0 / M_PI + (positive ? 90 : -90);
                const int tenths = roundHalfAway(u * 10);
                platform::Font f = base;
                if (vertical_)
                    SetVerticalFont(f, tenths + 2700);
                else
                    SetFontRotation(f, tenths);
                canvas.tools().font = f;
                const TextFont font(f);
                const QString ch = QString::fromUcs4(&chars[size_t(j)], 1);
                TCharLayout alone;
                LayoutLine(font, alone, ch, 0, 0, 0);
                const double phi = u * M_PI / 180.0;
                const double d = alone.positions[0] - (alone.end - alone.start) / 2.0,
                             l2 = alone.height / 2.0;
                const double px = arc.CenterX + rho * std::cos(t),
                             py = arc.CenterY + rho * std::sin(t);
                const QPointF at(std::floor(px + d * std::cos(phi) + l2 * std::sin(phi)),
                                 std::floor(py + d * std::sin(phi) - l2 * std::cos(phi)));
                platform::textOut(canvas, font, at, ch);
            }
        }
        radius -= h + lineSpacing_;
    }
    canvas.tools().font = base;
}

void TSimpleText::drawBars(Canvas& canvas, const TRect& r, const TRotator* rotator) const {
    const int style = font_.Style();
    if (!(style & (platform::fsUnderline | platform::fsStrikeOut))) return;
    const platform::TextMetrics m = TextFont(canvas.tools().font).metrics();
    const auto bar = [&](int offset, int size) {
        std::vector<QPoint> poly;
        if (vertical_) {
            const int x1 = r.Right - offset, x0 = x1 - size;
            poly = {{x0, r.Top}, {x1 - 1, r.Top}, {x1 - 1, r.Bottom - 1}, {x0, r.Bottom - 1}};
        } else {
            const int y0 = r.Top + offset, y1 = y0 + size;
            poly = {{r.Left, y0}, {r.Right - 1, y0}, {r.Right - 1, y1 - 1}, {r.Left, y1 - 1}};
        }
        if (rotator)
            for (QPoint& p : poly) rotator->TransformPoint(p);
        platform::CanvasStateKeeper keep(canvas);
        canvas.tools().pen = platform::Pen{platform::PenStyle::Solid, 0, canvas.tools().font.color};
        canvas.tools().brush =
            platform::Brush{platform::BrushStyle::Solid, canvas.tools().font.color, {}};
        canvas.polygon(poly);
    };
    if (style & platform::fsUnderline) bar(m.ascent - m.underlinePosition, m.underlineSize);
    if (style & platform::fsStrikeOut) bar(m.ascent - m.strikeoutPosition, m.strikeoutSize);
}
