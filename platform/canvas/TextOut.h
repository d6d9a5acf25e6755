#pragma once
// Text output on a canvas with its font: the reference point is the top-left of the first
// character's cell, turned with the escapement; the glyphs are filled in the font's colour
// with antialiased edges, or added to the path being recorded. With an opaque background
// mode the cell is first filled with the background colour.

#include "platform/canvas/Canvas.h"
#include "platform/canvas/TextFont.h"

class QPainterPath;

namespace platform {

void textOut(Canvas& canvas, QPointF reference, const QString& text);
void textOut(Canvas& canvas, const TextFont& font, QPointF reference, const QString& text);

// An outline in logical units with fractional coordinates: filled in `color` with
// antialiased edges through the clip or, while a path is recorded, added to it (curves
// as Bézier points, every figure closed).
void fillOutline(Canvas& canvas, const QPainterPath& logical, TColor color);

}  // namespace platform
