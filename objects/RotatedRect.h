#pragma once
// Geometry and mask drawing shared by the objects that turn about the centre of their
// logical rectangle (image objects, alpha masks).

#include "drawing/DrawObject.h"
#include "platform/Geometry.h"

#include <QImage>
#include <QSize>
#include <array>

// The rectangle `r` turned by `degrees` about its centre: its corners and bounding box.
std::array<QPoint, 4> RotatedCorners(const TRect& r, int degrees);
TRect RotatedBounds(const TRect& r, int degrees);
bool RotatedRectContains(const TRect& r, int degrees, QPoint p);
// Sets an object's unrotated size so that its rectangle turned by `degrees` gets the
// enclosing size `w` x `h`; a rotated box without width or height takes the size as it is.
QSize EnclosingToUnrotated(const TRect& r, int degrees, int w, int h);
// Draws an 8-bit opacity picture stretched over the logical rectangle of a mask with the
// nearest pixel; `andWith` combines with what the mask holds, `invert` draws 255 - value.
void DrawIntoAlphaMask(TAlphaMask& mask, const TRect& logical, const QImage& grey, bool andWith,
                       bool invert);
