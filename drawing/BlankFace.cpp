#include "drawing/BlankFace.h"

#include "imaging/FaceInfo.h"

void PaintBlankFace(TCanvas& canvas, const TFaceInfo& face, bool relative) {
    TCanvasSaver saver(canvas, false);
    canvas.tools().pen = platform::Pen{platform::PenStyle::Clear, 0, clBlack};
    canvas.tools().brush = platform::Brush{platform::BrushStyle::Solid, kFaceColor, {}};
    face.DrawOutline(canvas, relative, false);
    canvas.tools().brush.color = clWhite;
    if (face.HasHole()) face.DrawHole(canvas, relative);
    // The lines last, so that neither fill covers part of them.
    canvas.tools().pen = platform::Pen{platform::PenStyle::Solid, 0, clBlack};
    canvas.tools().brush = platform::Brush{platform::BrushStyle::Clear, clWhite, {}};
    face.DrawOutline(canvas, relative, false);
    if (face.HasHole()) face.DrawHole(canvas, relative);
}
