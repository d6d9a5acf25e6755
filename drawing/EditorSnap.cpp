#include "drawing/EditorSnap.h"

#include "drawing/DrawSite.h"

#include <cstdlib>

namespace {

constexpr TColor kSilver = 0xC0C0C0;
constexpr TColor kBlue = 0xFF0000;
constexpr int kGuideTolerancePixels = 10;

int smaller(int a, int b) {
    if (a == kNoSnap) return b;
    if (b == kNoSnap) return a;
    return std::llabs(b) < std::llabs(a) ? b : a;
}

}  // namespace

QPoint EditorSnapOffset(const TGrid& grid, const TGuide& guide, const TDrawSite& site, QPoint p,
                        Qt::KeyboardModifiers shift) {
    if (shift & Qt::AltModifier) return {kNoSnap, kNoSnap};
    const int tolerance = std::abs(site.DevToLog({kGuideTolerancePixels, 0}).x());
    const QPoint g = guide.SnapOffset(p, tolerance);
    const QPoint r = grid.SnapOffset(p);
    return {smaller(g.x(), r.x()), smaller(g.y(), r.y())};
}

void DrawGridAndGuides(TCanvas& canvas, const TGrid& grid, const TGuide& guide, const TRect& rect) {
    TCanvasSaver saver(canvas, false);
    canvas.tools().pen = grid.LineShape ? platform::Pen{platform::PenStyle::Dot, 0, kSilver}
                                        : platform::Pen{platform::PenStyle::Solid, 0, kBlue};
    grid.Draw(canvas, rect);
    canvas.tools().pen = platform::Pen{platform::PenStyle::Dot, 0, kBlue};
    guide.Draw(canvas, rect);
}
