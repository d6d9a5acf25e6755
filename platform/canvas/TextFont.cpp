#include "platform/canvas/TextFont.h"

#include "platform/ShiftJis.h"

#include <QTransform>
#include <cmath>

namespace platform {

bool isDoubleByte(char32_t ch) {
    if (ch < 0x80 || (ch >= 0xFF61 && ch <= 0xFF9F)) return false;
    bool lossless = true;
    const QByteArray bytes = toCp932(QString::fromUcs4(&ch, 1), &lossless);
    return !(lossless && bytes.size() == 1);
}

TextFont::TextFont(const Font& font) : font_(font) {
    FontRegistry& fonts = FontRegistry::instance();
    face_ = fonts.face(font.name);
    if (!face_) throw std::runtime_error("no font is installed");
    vertical_ = font.name.startsWith(u'@') && face_->hasVerticalForms() &&
                fonts.resolveFamily(font.name) == face_->family();
    const DesignMetrics& m = face_->metrics();
    const int cellUnits = std::max(1, m.ascender + m.descender);
    // Negative heights give the em, positive ones the cell.
    em_ = font.height < 0 ? -font.height : double(font.height) * m.unitsPerEm / cellUnits;
    if (font.height == 0) em_ = 12.0 * font.pixelsPerInch / 72.0;
    scale_ = em_ / m.unitsPerEm;
    const auto units = [&](double v) { return int(std::lround(v * scale_)); };
    metrics_.height = units(cellUnits);
    metrics_.ascent = units(m.ascender);
    metrics_.descent = metrics_.height - metrics_.ascent;
    metrics_.internalLeading = metrics_.height - int(std::lround(em_));
    metrics_.externalLeading = units(m.lineGap);
    metrics_.underlinePosition = units(m.underlinePosition);
    metrics_.underlineSize = std::max(1, units(m.underlineThickness));
    metrics_.strikeoutPosition = units(m.strikeoutPosition);
    metrics_.strikeoutSize = std::max(1, units(m.strikeoutSize));
}

TextFont::FrameGlyph TextFont::frameGlyph(char32_t ch) const {
    const FontFace* face = face_.get();
    std::shared_ptr<const FontFace> other;
    if (!face->supports(ch) && ch >= 0x20) {
        other = FontRegistry::instance().fallbackFor(ch, face);
        if (other) face = other.get();
    }
    const bool upright = vertical_ && isDoubleByte(ch);
    const DesignGlyph g = upright ? face->uprightGlyph(ch) : face->horizontalGlyph(ch);
    // The glyph is scaled to this font's em; horizontal glyphs sit on this font's
    // baseline, upright ones are already placed from the cell's top.
    const double s = em_ / face->metrics().unitsPerEm;
    QTransform t = QTransform::fromScale(s, s);
    if (!upright) t = t * QTransform::fromTranslate(0, metrics_.ascent);
    FrameGlyph out;
    out.outline = t.map(g.outline);
    out.advance = int(std::lround(g.advance * s));
    out.empty = g.empty;
    if (font_.styles & fsItalic) {
        // Slanted about the baseline.
        QTransform shear(1, 0, -0.2, 1, 0.2 * metrics_.ascent, 0);
        out.outline = shear.map(out.outline);
    }
    if ((font_.styles & fsBold) && !out.empty) {
        // Thickened by a copy moved along the line; the winding fill joins the two.
        out.outline.addPath(out.outline.translated(em_ / 30.0, 0));
    }
    out.outline.setFillRule(Qt::WindingFill);
    return out;
}

AbcWidth TextFont::abc(char32_t ch) const {
    const FrameGlyph g = frameGlyph(ch);
    if (g.empty) return {0, g.advance, 0};
    const QRectF box = g.outline.boundingRect();
    AbcWidth w;
    w.a = int(std::floor(box.left()));
    w.b = std::max(1, int(std::ceil(box.right())) - w.a);
    w.c = g.advance - w.a - w.b;
    return w;
}

QSize TextFont::extent(const QString& text) const {
    int width = 0;
    for (char32_t ch : text.toUcs4()) width += frameGlyph(ch).advance;
    return {width, metrics_.height};
}

QTransform TextFont::escapement(QPointF ref) const {
    const double theta = font_.escapement / 10.0 * M_PI / 180.0;
    const double c = std::cos(theta), s = std::sin(theta);
    return QTransform(c, -s, s, c, ref.x(), ref.y());
}

QPainterPath TextFont::outline(const QString& text, QPointF ref) const {
    QPainterPath frame;
    frame.setFillRule(Qt::WindingFill);
    int pen = 0;
    for (char32_t ch : text.toUcs4()) {
        const FrameGlyph g = frameGlyph(ch);
        if (!g.empty) frame.addPath(g.outline.translated(pen, 0));
        pen += g.advance;
    }
    const auto bar = [&](int position, int size) {
        const double top = metrics_.ascent - position - size / 2.0;
        frame.addRect(QRectF(0, top, pen, size));
    };
    if (font_.styles & fsUnderline) bar(metrics_.underlinePosition, metrics_.underlineSize);
    if (font_.styles & fsStrikeOut) bar(metrics_.strikeoutPosition, metrics_.strikeoutSize);
    return escapement(ref).map(frame);
}

QPolygonF TextFont::cell(const QString& text, QPointF ref) const {
    const QRectF box(0, 0, extent(text).width(), metrics_.height);
    return escapement(ref).map(QPolygonF(box));
}

}  // namespace platform
