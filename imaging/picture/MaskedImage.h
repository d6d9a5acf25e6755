#pragma once
// TMaskedImage: the transparency mask cache of a safe bitmap. It holds a one-bit mask
// (Format_Mono, bit 1 where the pixel equals the transparent colour, most significant bit
// first) and a 24-bit copy of the picture with its transparent pixels made white, each
// rebuilt only when marked dirty.

#include "platform/canvas/Color.h"

#include <QImage>

class TMaskedImage {
public:
    void Invalidate() { maskDirty_ = whiteDirty_ = true; }
    bool MaskDirty() const { return maskDirty_; }
    bool WhitenedDirty() const { return whiteDirty_; }

    const QImage& Mask(const QImage& picture, TColor transparent);
    const QImage& Whitened(const QImage& picture, TColor transparent);
    // Uses `mask` as the mask from now on; the whitened copy is rebuilt from it.
    void InstallMask(const QImage& mask);

private:
    QImage mask_, whitened_;
    bool maskDirty_ = true, whiteDirty_ = true;
};

// The mask of `picture` for a transparent colour (only its low 24 bits count). For 8-bit
// pictures the palette index nearest the colour is transparent when its entry is exactly
// the colour; otherwise no pixel is.
QImage BuildTransparencyMask(const QImage& picture, TColor transparent);
// A 24-bit copy of `picture` whose pixels under mask bits 1 are white.
QImage WhitenedCopy(const QImage& picture, const QImage& mask);
