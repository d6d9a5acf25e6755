#pragma once
// New metafiles made from existing ones: the part of a picture cut out by a rectangle
// (the clip filter on a metafile), and a plain Windows metafile given the placeable
// header it lacks (metafiles other programs put on the clipboard).

#include <QByteArray>
#include <QByteArrayView>
#include <QRect>
#include <QSize>

namespace metafile {

// An enhanced metafile of `rect`'s size showing that part of the picture (`bytes` shown
// at `pictureSize`), clipped to it. An enhanced source keeps its records (they are
// drawn through a clip and a shifted frame); a Windows metafile is drawn into a bitmap
// record. Raises msg::invalidMetafile() for bytes that are not a metafile.
QByteArray clippedMetafile(QByteArrayView bytes, QSize pictureSize, QRect rect);

// A placeable metafile from a plain one (metafile header first): the box is the window
// its records set (origin and extent), at 1440 units per inch. Empty when the bytes are
// not a plain metafile or set no window extent.
QByteArray placeableFromPlain(QByteArrayView bytes);

}  // namespace metafile
