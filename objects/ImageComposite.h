#pragma once
// The composite of an image object: its picture with the decorative frame laid over it,
// the transparency that picture and frame define, and the rotation, as one transparent
// bitmap that screen painting, print bands and alpha-mask passes reuse.
//
// In a frame picture 0xF0F0F0 marks the opening the picture shows through and 0x607090
// the parts outside the frame's outline, which are always transparent.

#include "imaging/picture/SafetyBitmap.h"

#include <QImage>
#include <QSize>
#include <memory>

constexpr TColor kFrameOpeningColor = 0xF0F0F0;  // 15790320
constexpr TColor kFrameOutsideColor = 0x607090;  // 6320272

struct TImageCompositeInput {
    QImage Picture;           // the processed picture's pixels
    QImage PictureMask;       // its transparency mask (Format_Mono, 1 transparent), or null
    QImage Frame;             // the frame picture's pixels, or null
    bool AlphaFrame = false;  // the frame is an opacity mask, not drawn here
    int Angle = 0;
    QSize Aspect;  // the object's logical size: a rotated composite takes its aspect
};

// Null when the picture is empty.
std::unique_ptr<TSafetyBitmap> BuildImageComposite(const TImageCompositeInput& input);

// The largest rectangle of `aspect` inside `size` (centred), the size a rotated composite
// and a rotated alpha frame get.
QSize RotatedLayerSize(QSize size, QSize aspect);
