#pragma once
// How the editor snaps points to its grid and guides and how it draws them.

#include "drawing/Grid.h"
#include "drawing/Guide.h"

class TDrawSite;

// The snap offset of a logical point: nothing with Alt held; otherwise per axis the smaller
// of the guide offset (within 10 pixels of the site, in logical units) and the grid offset;
// kNoSnap on an axis where neither applies.
QPoint EditorSnapOffset(const TGrid& grid, const TGuide& guide, const TDrawSite& site, QPoint p,
                        Qt::KeyboardModifiers shift);
// The grid (a silver dotted pen for lines, blue dots otherwise) and then the guides (a blue
// dotted pen) over `rect`, on a canvas prepared in logical units.
void DrawGridAndGuides(TCanvas& canvas, const TGrid& grid, const TGuide& guide, const TRect& rect);
