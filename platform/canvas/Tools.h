#pragma once
// The drawing tools a canvas holds: pen, brush and font, with the platform's meanings.

#include "platform/canvas/Color.h"
#include "platform/canvas/RasterOps.h"

#include <QImage>
#include <QString>

namespace platform {

enum class PenStyle { Solid, Dash, Dot, DashDot, DashDotDot, Clear, InsideFrame };

struct Pen {
    PenStyle style = PenStyle::Solid;
    int width = 1;  // logical units; 0 and 1 give a one-pixel (cosmetic) pen
    TColor color = clBlack;
    Rop2 mode = Rop2::CopyPen;
};

enum class BrushStyle { Solid, Clear, Horizontal, Vertical, FDiagonal, BDiagonal, Cross, DiagCross, Pattern };

struct Brush {
    BrushStyle style = BrushStyle::Solid;
    TColor color = clWhite;
    QImage pattern;  // for BrushStyle::Pattern, tiled from the device origin
};

enum FontStyle { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
enum class FontPitch { Default, Variable, Fixed };

struct Font {
    QString name = QStringLiteral("ＭＳ Ｐゴシック");
    int height = -12;          // logical units; negative: character height, positive: cell height
    int pixelsPerInch = 96;    // converts point sizes to heights
    int escapement = 0;        // tenths of a degree, counter-clockwise
    int orientation = 0;
    int styles = 0;            // FontStyle bits
    int charset = 128;         // SHIFTJIS_CHARSET
    FontPitch pitch = FontPitch::Default;
    TColor color = clBlack;

    int size() const;          // points, from height and pixelsPerInch
    void setSize(int points);  // height = -points * pixelsPerInch / 72, rounded
};

enum class BackgroundMode { Transparent, Opaque };
enum class StretchMode { BlackOnWhite, WhiteOnBlack, ColorOnColor, Halftone };

}  // namespace platform
