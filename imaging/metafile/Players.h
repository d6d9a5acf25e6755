#pragma once
// The two record players behind metafile::play, each given the destination in canvas
// device pixels (the canvas already in text mode at the device origin).

#include "imaging/metafile/MetafilePlayer.h"
#include "platform/canvas/Color.h"

#include <QRect>

namespace metafile {

class GdiContext;

PlayReport playEmf(QByteArrayView bytes, platform::Canvas& canvas, const QRect& dest);
PlayReport playWmf(QByteArrayView bytes, platform::Canvas& canvas, const QRect& dest);

// Counts a record that was not drawn under its name (or its number when unnamed).
void countSkipped(PlayReport& report, const char* name, unsigned type);

// A COLORREF's colour (the flag byte dropped).
inline TColor colorRef(std::uint32_t v) {
    return TColor(v & 0x00FFFFFFu);
}

}  // namespace metafile
