#pragma once
// Tiling a picture over a logical rectangle, row after row from the top-left corner;
// tiles crossing the right or bottom edge are drawn whole. With shift, every second row
// starts half a tile further left.

#include "platform/Geometry.h"

#include <QSize>

class TPictureEx;
namespace platform {
class Canvas;
}

// `tile` is the logical size of one tile. Small opaque bitmap tiles are drawn in blocks
// of many tiles, so large rectangles take few draw calls.
void DrawTiles(platform::Canvas& canvas, const TRect& rect, const TPictureEx& picture, QSize tile,
               bool shift);
