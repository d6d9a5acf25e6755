#pragma once
// How a face looks with nothing on it, where papers are shown (paper sites, the tool's
// renderings): filled with the face colour, its hole white, and the outline of the face
// and the edge of its hole in black.

#include "drawing/CanvasUtils.h"

class TFaceInfo;

// The colour empty faces are filled with.
constexpr TColor kFaceColor = 0xAFE7FF;

// Paints `face` on `canvas`, which draws in the paper's logical units; with `relative`
// the face's outer rectangle starts at (0, 0). The canvas's tools are left as they were.
void PaintBlankFace(TCanvas& canvas, const TFaceInfo& face, bool relative);
