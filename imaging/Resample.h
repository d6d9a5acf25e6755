#pragma once
// Scaling a rectangle of a picture to another size, channel by channel: area averaging
// when shrinking, linear or Catmull-Rom cubic interpolation when enlarging, exact copy at
// equal size. Works on 8-bit (Grayscale8/Indexed8, palette kept), 24-bit (BGR888/RGB888)
// and 32-bit (RGB32/ARGB32) pictures. The axes are separate: at most four horizontally
// resampled rows are held at a time, and large pictures use both cores with the same
// result as one.

#include <QImage>
#include <QRect>

enum TResampleFilter { rfLinear = 1, rfCubic = 2 };

// `dest` keeps the size the caller gave it and takes the source's format. Nothing happens
// when either picture is empty, the rectangle is not inside the source or the format is
// not supported.
void Resample(QImage& dest, const QImage& src, const QRect& srcRect, int filter);
void Resample(QImage& dest, const QImage& src, int filter);

// The number of bytes a pixel has in the formats the pixel operations take, 0 otherwise.
int ChannelCount(const QImage& img);
