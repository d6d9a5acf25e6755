#pragma once
// Thumbnails: the fitting rule of the thumbnail lists and the drawing routine that
// reduces a picture onto a small 24-bit bitmap (scaled JPEG decoding, then a box filter).

#include "platform/canvas/Color.h"

#include <QImage>
#include <QSize>

class TPictureEx;

// The size of a picture fitted into `box` keeping its aspect ratio and touching the box:
// width = w x box height / h; when that is wider than the box, height = h x box width / w
// and width = the box width. Empty for an empty picture or box.
QSize FitThumbnailSize(QSize picture, QSize box);

// Averages `source` down to `size`: target pixel (x, y) is the integer mean of the source
// pixels in columns x * W / w up to (x + 1) * W / w and the rows likewise (each box at
// least one column and row), per channel. The result is Format_RGB32.
QImage BoxReduce(const QImage& source, QSize size);

// Draws `source` onto the whole of `target` (Format_RGB32). A JPEG is decoded at the
// smallest of 1/8, 1/4, 1/2 that stays larger than the target, for speed. Bitmaps are
// reduced by the box filter, pixels of colour `transparent` first becoming `background`
// (clNone: no transparency); other graphics are stretch-drawn.
void DrawThumbnail(const TPictureEx& source, QImage& target, TColor transparent = clNone,
                   TColor background = clWhite);

// A new bitmap of the source fitted into `box`, drawn as above; null for an empty source
// or box.
QImage MakeThumbnail(const TPictureEx& source, QSize box, TColor transparent = clNone,
                     TColor background = clWhite);
