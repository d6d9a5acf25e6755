#include "imaging/Blend.h"

#include "imaging/PhasedProgress.h"
#include "platform/IntMath.h"

#include <algorithm>
#include <array>

namespace {

// 256 rows of 511 entries: row k, column d + 255.
const std::array<std::int8_t, 256 * 511>& blendTable() {
    static const std::array<std::int8_t, 256 * 511> table = [] {
        std::array<std::int8_t, 256 * 511> t{};
        for (int k = 0; k < 256; ++k)
            for (int d = -255; d <= 255; ++d)
                t[size_t(k * 511 + d + 255)] = std::int8_t(k * d / 255);
        return t;
    }();
    return table;
}

int bytesPerPixel(const QImage& img) {
    return img.depth() == 32 ? 4 : 3;
}

bool isBlendFormat(QImage::Format f) {
    return f == QImage::Format_RGB32 || f == QImage::Format_ARGB32 || f == QImage::Format_BGR888;
}

// Clips `dest` to the destination bitmap and `src` (same size, placed on it) to its own
// bitmap, moving both sides together.
bool place(QRect& dest, QRect& src, const QImage& destImg, const QImage& srcImg) {
    const QPoint shift = src.topLeft() - dest.topLeft();
    QRect d = dest.intersected(destImg.rect());
    d = d.intersected(srcImg.rect().translated(-shift));
    if (d.isEmpty()) return false;
    dest = d;
    src = d.translated(shift);
    return true;
}

}  // namespace

std::int8_t BlendTableEntry(int alpha, int difference) {
    return blendTable()[size_t(alpha * 511 + difference + 255)];
}

bool TGRBlender::CanExecute() const {
    return Dest && Source && !Dest->isNull() && Dest->format() == Source->format() &&
           isBlendFormat(Dest->format());
}

bool TGRBlendAlphaMap::CanExecute() const {
    return TGRBlender::CanExecute() && AlphaMap && AlphaMap->depth() == 8;
}

void TGRBlendAlphaMap::Execute() {
    blend(100);
}

void TGRBlendAlphaMapRatio::Execute() {
    blend(std::clamp(Ratio, 0, 100));
}

void TGRBlendAlphaMap::blend(int ratio) {
    if (!CanExecute() || !AlphaMap->rect().contains(AlphaRect)) return;
    if (AlphaRect.size() != DestRect.size() || SourceRect.size() != DestRect.size()) return;
    QRect destA = DestRect, alpha = AlphaRect;
    if (!place(destA, alpha, *Dest, *AlphaMap)) return;
    QRect dest = destA, src = SourceRect.translated(destA.topLeft() - DestRect.topLeft());
    if (!place(dest, src, *Dest, *Source)) return;
    // The source clipping may have narrowed the rectangle further: follow it in the alpha map.
    alpha.translate(dest.topLeft() - destA.topLeft());
    alpha.setSize(dest.size());

    std::array<std::uint8_t, 256> alphaOf{};
    for (int a = 0; a < 256; ++a)
        alphaOf[size_t(a)] = std::uint8_t(std::min(255, platform::mulDiv(a, ratio, 100)));
    const auto& table = blendTable();
    const int bpp = bytesPerPixel(*Dest);
    const int rows = dest.height();
    PhaseGuard phase(Progress, rows / 64 + 1);
    for (int r = 0; r < rows; ++r) {
        if (r % 64 == 0) phase.step();
        std::uint8_t* d = Dest->scanLine(dest.top() + r) + dest.left() * bpp;
        const std::uint8_t* s = Source->constScanLine(src.top() + r) + src.left() * bpp;
        const std::uint8_t* m = AlphaMap->constScanLine(alpha.top() + r) + alpha.left();
        for (int x = 0; x < dest.width(); ++x, d += bpp, s += bpp) {
            const std::int8_t* row = table.data() + size_t(alphaOf[m[x]]) * 511 + 255;
            d[0] = std::uint8_t(d[0] + row[s[0] - d[0]]);
            d[1] = std::uint8_t(d[1] + row[s[1] - d[1]]);
            d[2] = std::uint8_t(d[2] + row[s[2] - d[2]]);
        }
    }
}
