#include "imaging/color/TiledFill.h"

#include "imaging/picture/Graphic.h"
#include "imaging/picture/PictureEx.h"
#include "platform/canvas/Canvas.h"

#include <algorithm>
#include <cstring>

namespace {

// A block side of about this many pixels keeps the draw calls few and the block small.
constexpr int kBlockPixels = 512;
// Below this many tiles drawing them one by one costs nothing worth saving.
constexpr long long kBlockMinTiles = 16;

int ceilDiv(int a, int b) {
    return (a + b - 1) / b;
}

void drawEach(platform::Canvas& canvas, const TRect& rect, const TPictureEx& picture, QSize tile,
              bool shift) {
    const int tw = tile.width(), th = tile.height();
    int row = 0;
    for (int y = rect.Top; y < rect.Bottom; y += th, ++row) {
        const int x0 = (shift && row % 2 == 1) ? rect.Left - (tw + 1) / 2 : rect.Left;
        for (int x = x0; x < rect.Right; x += tw) picture.Draw(canvas, {x, y, x + tw, y + th});
    }
}

// kx x ky tiles in one picture; with shift the odd tile rows are shifted as on the canvas.
QImage buildBlock(const QImage& tile, int kx, int ky, bool shift) {
    const int w = tile.width(), h = tile.height();
    QImage block(kx * w, ky * h, QImage::Format_RGB32);
    std::vector<QRgb> doubled(size_t(2 * w));
    const int offset = (w + 1) / 2 % w;
    for (int r = 0; r < ky * h; ++r) {
        const auto* src = reinterpret_cast<const QRgb*>(tile.constScanLine(r % h));
        std::memcpy(doubled.data(), src, size_t(w) * sizeof(QRgb));
        std::memcpy(doubled.data() + w, src, size_t(w) * sizeof(QRgb));
        const QRgb* from = doubled.data() + ((shift && (r / h) % 2 == 1) ? offset : 0);
        auto* dst = reinterpret_cast<QRgb*>(block.scanLine(r));
        for (int i = 0; i < kx; ++i)
            std::memcpy(dst + size_t(i) * w, from, size_t(w) * sizeof(QRgb));
    }
    return block;
}

}  // namespace

void DrawTiles(platform::Canvas& canvas, const TRect& rect, const TPictureEx& picture, QSize tile,
               bool shift) {
    if (rect.IsEmpty() || tile.isEmpty() || picture.Empty()) return;
    const TGraphic* graphic = picture.Graphic();
    const int w = tile.width(), h = tile.height();
    const long long tiles = (long long)ceilDiv(rect.Width(), w) * ceilDiv(rect.Height(), h);
    // Blocks need the tile at its own pixel size and no transparency.
    if (tiles < kBlockMinTiles || graphic->Transparent() || w != picture.Width() ||
        h != picture.Height()) {
        drawEach(canvas, rect, picture, tile, shift);
        return;
    }
    const QImage pixels = graphic->ToImage().convertToFormat(QImage::Format_RGB32);
    if (pixels.size() != tile) {
        drawEach(canvas, rect, picture, tile, shift);
        return;
    }
    const int kx = std::clamp(ceilDiv(kBlockPixels, w), 1, ceilDiv(rect.Width(), w));
    int ky = std::clamp(ceilDiv(kBlockPixels, h), 1, ceilDiv(rect.Height(), h));
    // Every block starts with an unshifted row.
    if (shift && ky % 2 == 1) ++ky;
    const QImage block = buildBlock(pixels, kx, ky, shift);
    const int bw = block.width(), bh = block.height();
    // The blocks cover the rectangle exactly: what lies beyond it is the caller's to clip.
    for (int y = rect.Top; y < rect.Bottom; y += bh) {
        const int hh = std::min(bh, rect.Bottom - y);
        for (int x = rect.Left; x < rect.Right; x += bw) {
            const int ww = std::min(bw, rect.Right - x);
            canvas.stretchBlt({x, y, x + ww, y + hh}, block, QRect(0, 0, ww, hh),
                              canvas.tools().copyMode);
        }
    }
}
