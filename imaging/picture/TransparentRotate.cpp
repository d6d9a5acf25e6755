#include "imaging/picture/TransparentRotate.h"

#include "imaging/QuadMap.h"

std::unique_ptr<TSafetyBitmap> RotateKeepingTransparency(const TSafetyBitmap& source,
                                                         double degrees, int w, int h) {
    const QRgb white = qRgb(255, 255, 255);
    QImage pixels = source.Image();
    if (pixels.format() == QImage::Format_Mono || pixels.format() == QImage::Format_MonoLSB)
        pixels = pixels.convertToFormat(QImage::Format_BGR888);  // the mapping has no 1-bit routine
    auto result = std::make_unique<TSafetyBitmap>(Rotate(pixels, degrees, white, w, h));
    if (source.Transparent()) {
        const QImage mask = source.Mask().convertToFormat(QImage::Format_BGR888);
        result->SetTransparentColor(source.TransparentColor());
        result->SetTransparent(true);
        result->InstallMask(Rotate(mask, degrees, white, w, h));
    }
    return result;
}
