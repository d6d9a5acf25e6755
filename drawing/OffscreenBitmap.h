#pragma once
// An offscreen picture covering a logical rectangle of a canvas: drawing on it at the
// canvas's logical coordinates lands on the same pixels, offset by the rectangle's
// device top-left.

#include "drawing/CoordMap.h"

#include <memory>

class TOffscreenBitmap {
public:
    TOffscreenBitmap(QSize size, const platform::DeviceDescriptor& device);
    TOffscreenBitmap(const TOffscreenBitmap&) = delete;
    TOffscreenBitmap& operator=(const TOffscreenBitmap&) = delete;

    QImage Image;  // Format_RGB32
    TRect LogicalRect;  // the part of the source canvas it covers
    TRect DeviceRect;   // the same in the source canvas's pixels
    TCanvas& Canvas() { return *canvas_; }

private:
    std::unique_ptr<TCanvas> canvas_;
};

// The canvas's clip box grown by `margin` and cut to `logicalRect`; with copyBackground the
// canvas's pixels there are copied in. The result is the caller's.
// Canvases draw on 32-bit pictures only. A caller that needs another pixel format (the
// 8-bit grey alpha map of a blend, say) draws here and converts the finished Image with
// QImage::convertToFormat, the one place where the format changes.
std::unique_ptr<TOffscreenBitmap> CreateOffscreenBitmap(TCanvas& canvas, const TRect& logicalRect, int margin,
                                                        bool copyBackground);
