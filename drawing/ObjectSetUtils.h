#pragma once
// Operations on sets of draw objects that edit commands, groups, image objects, the object
// creator and previews share.

#include "platform/Geometry.h"

#include <QSize>

class TDOList;
class TDrawObject;
class TDrawSite;

// Moves every object with enclosing bounds so that their centre lies at least 10 logical
// units inside `rect`.
void KeepInside(const TDOList& list, const TRect& rect);
// Maps every object's enclosing bounds proportionally from `oldRect` to `newRect`. Nothing
// when the rectangles are equal; when `oldRect` has no width or no height the objects are
// only moved by the difference of the origins, their sizes left alone.
void ScaleObjects(const TDOList& list, const TRect& oldRect, const TRect& newRect);
// The logical size (254 units per inch) of a picture of `pixels` taken as 180 pixels per
// inch, at least 30 per axis.
QSize InitialImageSize(QSize pixels);
// Shrinks a new object that is larger than the site (keeping its proportions when its
// KeepAspect is set), then centres it on the part of the site that can be seen.
void FitNewObject(TDrawObject& object, TDrawSite& site);
void ReverseList(TDOList& list);
