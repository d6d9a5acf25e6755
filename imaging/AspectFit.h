#pragma once
// Rectangles of a given aspect placed in or over an area, centred on it. An aspect or an
// area without width or height gives the area itself, so no caller divides by zero.

#include "platform/Geometry.h"

// The largest rectangle of aspect `aspectW` : `aspectH` inside `area`.
TRect FitAspectInside(int aspectW, int aspectH, const TRect& area);
// The smallest rectangle of aspect `aspectW` : `aspectH` covering `area`.
TRect CoverAspect(int aspectW, int aspectH, const TRect& area);
