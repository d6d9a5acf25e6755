#pragma once
// The look of an object whose screen painting failed: a red frame hatched with red
// diagonal crosses and the caption "描画に失敗しました".

#include "drawing/CanvasUtils.h"

// The caption shown on an object that failed to paint.
QString PaintFailedCaption();

// Draws the marker over `rect` of a canvas in text mapping; keeps the canvas's tools.
void DrawPaintFailureMarker(TCanvas& canvas, const TRect& rect);
