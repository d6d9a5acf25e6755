#pragma once
// Playback of Windows metafiles (placeable WMF) and enhanced metafiles (EMF) on a canvas.
// The picture's frame is stretched into a rectangle of the canvas; everything is drawn
// through the canvas layer, so playback works on any thread. Records that are not drawn
// are counted by type and skipped; escape records are never followed. Every size, count,
// index and offset in the bytes is checked against what is present.

#include "platform/Geometry.h"

#include <QByteArrayView>
#include <QSize>
#include <QString>
#include <cstdint>
#include <map>

namespace platform {
class Canvas;
}

namespace metafile {

enum class Kind { None, Wmf, Emf };

// The largest bitmap a metafile is rendered into at its own size (8192 x 4096 pixels).
constexpr std::int64_t kMaxBitmapPixels = std::int64_t(1) << 25;

// The kind the bytes' header names (a placeable WMF or an EMF), None otherwise.
Kind kindOf(QByteArrayView bytes);

struct PlayReport {
    Kind kind = Kind::None;
    int records = 0;                 // records read, header and end included
    std::map<QString, int> skipped;  // record names (or numbers) not drawn, with counts
    bool truncated = false;          // the records ended before the end-of-file record
};

// Plays the metafile into `rect` (logical units of the canvas). The canvas's state is
// kept. Raises msg::invalidMetafile() when the header is not a metafile's.
PlayReport play(QByteArrayView bytes, platform::Canvas& canvas, const TRect& rect);

}  // namespace metafile
