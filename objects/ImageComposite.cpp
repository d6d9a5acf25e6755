#include "objects/ImageComposite.h"

#include "imaging/AspectFit.h"
#include "imaging/QuadMap.h"
#include "imaging/picture/Graphic.h"

#include <cstring>
#include <vector>

namespace {

QRgb keyRgb(TColor c) {
    return qRgb(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}

// For each destination index of `n`, the source index under its centre in `m`.
std::vector<int> nearestIndex(int n, int m) {
    std::vector<int> idx(size_t(std::max(n, 0)));
    for (int j = 0; j < n; ++j)
        idx[size_t(j)] = int((2 * std::int64_t(j) + 1) * m / (2 * std::int64_t(n)));
    return idx;
}

}  // namespace

QSize RotatedLayerSize(QSize size, QSize aspect) {
    const TRect s =
        FitAspectInside(aspect.width(), aspect.height(), TRect{0, 0, size.width(), size.height()});
    return {std::max(s.Width(), 1), std::max(s.Height(), 1)};
}

std::unique_ptr<TSafetyBitmap> BuildImageComposite(const TImageCompositeInput& in) {
    if (in.Picture.isNull()) return nullptr;
    const int W = in.Picture.width(), H = in.Picture.height();

    // Image layer, 32-bit; mask layer, one byte a pixel, 0xFF transparent.
    QImage image = DrawableImage(in.Picture).convertToFormat(QImage::Format_RGB32);
    QImage mask(W, H, QImage::Format_Grayscale8);
    mask.fill(0);
    if (!in.PictureMask.isNull() && in.PictureMask.size() == image.size()) {
        for (int y = 0; y < H; ++y) {
            const uchar* m = in.PictureMask.constScanLine(y);
            uchar* d = mask.scanLine(y);
            for (int x = 0; x < W; ++x)
                if (m[x >> 3] & (0x80 >> (x & 7))) d[x] = 0xFF;
        }
    }

    if (!in.Frame.isNull() && !in.AlphaFrame) {
        const QImage frame = DrawableImage(in.Frame).convertToFormat(QImage::Format_RGB32);
        const std::vector<int> fx = nearestIndex(W, frame.width());
        const std::vector<int> fy = nearestIndex(H, frame.height());
        const QRgb opening = keyRgb(kFrameOpeningColor) & 0xFFFFFF;
        const QRgb outside = keyRgb(kFrameOutsideColor) & 0xFFFFFF;
        for (int y = 0; y < H; ++y) {
            const auto* f = reinterpret_cast<const QRgb*>(frame.constScanLine(fy[size_t(y)]));
            auto* d = reinterpret_cast<QRgb*>(image.scanLine(y));
            uchar* m = mask.scanLine(y);
            for (int x = 0; x < W; ++x) {
                const QRgb p = f[fx[size_t(x)]] & 0xFFFFFF;
                // The picture's own transparency survives only inside the opening; the
                // parts outside the frame are transparent whatever the picture holds.
                if (p != opening) {
                    d[x] = 0xFF000000 | p;
                    m[x] = p == outside ? 0xFF : 0;
                }
            }
        }
    }

    auto composite = std::make_unique<TSafetyBitmap>();
    if (in.Angle % 360 == 0) {
        composite->SetImage(std::move(image));
    } else {
        const QSize s = RotatedLayerSize({W, H}, in.Aspect);
        const QRgb white = qRgb(255, 255, 255);
        composite->SetImage(Rotate(image, in.Angle, white, s.width(), s.height()));
        // White background of the mask: the uncovered corners are transparent.
        mask = Rotate(mask.convertToFormat(QImage::Format_RGB32), in.Angle, white, s.width(),
                      s.height());
    }
    composite->SetTransparentColor(clWhite);
    composite->SetTransparent(true);
    composite->InstallMask(mask);
    return composite;
}
