#include "platform/canvas/Tools.h"

#include "platform/IntMath.h"

#include <cstdlib>

namespace platform {

int Font::size() const { return -mulDiv(height, 72, pixelsPerInch); }

void Font::setSize(int points) { height = -mulDiv(points, pixelsPerInch, 72); }

}  // namespace platform
