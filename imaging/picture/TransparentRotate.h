#pragma once
// Rotating a bitmap so that a transparent one stays transparent: its mask is turned with
// it, and the corners the turned picture leaves uncovered become transparent too (white
// marks transparent pixels in a mask).

#include "imaging/picture/SafetyBitmap.h"

#include <memory>

// `source` mapped onto the rectangle (0, 0)-(w, h) turned by `degrees` about (0, 0),
// clockwise on the page, on white. A transparent source gives a transparent result in
// the same colour, whose mask is the source's mask turned the same way.
std::unique_ptr<TSafetyBitmap> RotateKeepingTransparency(const TSafetyBitmap& source,
                                                         double degrees, int w, int h);
