#pragma once
// A canvas font made concrete: the face it resolves to and its measures in logical units.
//
// The cell is the hhea ascender plus descender (exactly one em for the IPA fonts), so a
// font whose height is -h (character height h) has a cell of h. Text is output as glyph
// outlines from a reference point at the top-left of the first character's cell, turned
// by the escapement (tenths of a degree, counter-clockwise). An "@" face writes top to
// bottom when its escapement is 2700: characters that take two bytes in code page 932
// are laid in upright (their vertical forms, their vertical advance), one-byte characters
// lie on their side. Characters the face lacks are taken from another installed face.

#include "platform/canvas/Fonts.h"
#include "platform/canvas/Tools.h"

#include <QPainterPath>
#include <QPointF>
#include <QString>
#include <memory>

namespace platform {

struct AbcWidth {
    int a = 0;  // space before the ink
    int b = 0;  // ink width
    int c = 0;  // space after the ink
    int total() const { return a + b + c; }
    bool operator==(const AbcWidth&) const = default;
};

struct TextMetrics {
    int height = 0;  // cell height: ascent + descent
    int ascent = 0;
    int descent = 0;
    int internalLeading = 0;  // cell height minus the em
    int externalLeading = 0;
    // Outline metrics: the underline's and strike-out's distance above the baseline
    // (negative below) and thickness.
    int underlinePosition = 0;
    int underlineSize = 1;
    int strikeoutPosition = 0;
    int strikeoutSize = 1;
};

class TextFont {
public:
    explicit TextFont(const Font& font);

    const FontFace& face() const { return *face_; }
    // True for an "@" face that has vertical forms.
    bool vertical() const { return vertical_; }
    double em() const { return em_; }  // logical units per em
    const TextMetrics& metrics() const { return metrics_; }

    AbcWidth abc(char32_t ch) const;
    // The advances of `text` summed, and the cell height.
    QSize extent(const QString& text) const;

    // The outline of `text` with its reference point at `ref` (logical units).
    QPainterPath outline(const QString& text, QPointF ref) const;
    // The cell rectangle of `text` at `ref`, turned like the outline.
    QPolygonF cell(const QString& text, QPointF ref) const;

private:
    struct FrameGlyph {
        QPainterPath outline;  // logical units, pen at x = 0, cell top at y = 0
        int advance = 0;
        bool empty = true;
    };
    FrameGlyph frameGlyph(char32_t ch) const;
    QTransform escapement(QPointF ref) const;

    Font font_;
    std::shared_ptr<const FontFace> face_;
    bool vertical_ = false;
    double em_ = 0;
    double scale_ = 0;  // logical units per design unit of the face
    TextMetrics metrics_;
};

// True when `ch` takes two bytes in code page 932 (a full-width character).
bool isDoubleByte(char32_t ch);

}  // namespace platform
