#include "drawing/OffscreenBitmap.h"

TOffscreenBitmap::TOffscreenBitmap(QSize size, const platform::DeviceDescriptor& device)
    : Image(size.expandedTo(QSize(1, 1)), QImage::Format_RGB32) {
    Image.fill(0xFFFFFFFF);
    canvas_ = std::make_unique<TCanvas>(Image, device);
}

std::unique_ptr<TOffscreenBitmap> CreateOffscreenBitmap(TCanvas& canvas, const TRect& logicalRect, int margin,
                                                        bool copyBackground) {
    TRect clip = canvas.clipBox();
    clip = {clip.Left - margin, clip.Top - margin, clip.Right + margin, clip.Bottom + margin};
    const TRect visible{std::max(clip.Left, logicalRect.Left), std::max(clip.Top, logicalRect.Top),
                        std::min(clip.Right, logicalRect.Right), std::min(clip.Bottom, logicalRect.Bottom)};
    const TRect dev = visible.IsEmpty() ? TRect{} : canvas.toDevice(visible);
    auto bmp = std::make_unique<TOffscreenBitmap>(QSize(dev.Width(), dev.Height()), canvas.device());
    bmp->LogicalRect = visible;
    bmp->DeviceRect = dev;
    if (copyBackground && !dev.IsEmpty()) {
        const QRect part = dev.toQRect().intersected(canvas.image().rect());
        for (int y = part.top(); y <= part.bottom(); ++y)
            std::copy_n(reinterpret_cast<const QRgb*>(canvas.image().constScanLine(y)) + part.left(), part.width(),
                        reinterpret_cast<QRgb*>(bmp->Image.scanLine(y - dev.Top)) + (part.left() - dev.Left));
    }
    TCoordMap map;
    map.Save(canvas);
    map.SetOrigins({visible.Left, visible.Top}, {0, 0});
    map.Restore(bmp->Canvas());
    bmp->Canvas().tools().font.pixelsPerInch = canvas.tools().font.pixelsPerInch;
    return bmp;
}
