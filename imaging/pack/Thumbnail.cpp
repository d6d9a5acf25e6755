#include "imaging/pack/Thumbnail.h"

#include "imaging/codecs/Jpeg.h"
#include "imaging/picture/Graphic.h"
#include "imaging/picture/JpegImage.h"
#include "imaging/picture/PictureEx.h"
#include "platform/IntMath.h"
#include "platform/canvas/Canvas.h"

#include <algorithm>
#include <mutex>
#include <vector>

QSize FitThumbnailSize(QSize picture, QSize box) {
    const int w = picture.width(), h = picture.height();
    if (w <= 0 || h <= 0 || box.width() <= 0 || box.height() <= 0) return {};
    int width = platform::mulDiv(w, box.height(), h);
    int height = box.height();
    if (width > box.width() || width < 0) {
        height = platform::mulDiv(h, box.width(), w);
        width = box.width();
    }
    return {std::max(1, width), std::max(1, height)};
}

QImage BoxReduce(const QImage& source, QSize size) {
    const int w = size.width(), h = size.height();
    if (source.isNull() || w <= 0 || h <= 0) return {};
    const QImage src =
        source.format() == QImage::Format_RGB32 || source.format() == QImage::Format_ARGB32
            ? source
            : source.convertToFormat(QImage::Format_RGB32);
    const int W = src.width(), H = src.height();
    // Column spans are the same for every row.
    std::vector<int> x0(size_t(w) + 1);
    for (int x = 0; x < w; ++x) x0[size_t(x)] = int(int64_t(x) * W / w);
    QImage out(w, h, QImage::Format_RGB32);
    std::vector<uint64_t> sums(size_t(w) * 3);
    for (int y = 0; y < h; ++y) {
        const int y0 = int(int64_t(y) * H / h);
        const int y1 = std::max(y0 + 1, int(int64_t(y + 1) * H / h));
        std::fill(sums.begin(), sums.end(), 0);
        for (int sy = y0; sy < std::min(y1, H); ++sy) {
            const auto* line = reinterpret_cast<const QRgb*>(src.constScanLine(sy));
            for (int x = 0; x < w; ++x) {
                const int a = x0[size_t(x)];
                const int b = std::min(W, std::max(a + 1, int(int64_t(x + 1) * W / w)));
                uint64_t r = 0, g = 0, bl = 0;
                for (int sx = a; sx < b; ++sx) {
                    const QRgb p = line[sx];
                    r += qRed(p);
                    g += qGreen(p);
                    bl += qBlue(p);
                }
                sums[size_t(x) * 3] += r;
                sums[size_t(x) * 3 + 1] += g;
                sums[size_t(x) * 3 + 2] += bl;
            }
        }
        auto* dst = reinterpret_cast<QRgb*>(out.scanLine(y));
        const uint64_t rows = uint64_t(std::min(y1, H) - y0);
        for (int x = 0; x < w; ++x) {
            const int a = x0[size_t(x)];
            const int b = std::min(W, std::max(a + 1, int(int64_t(x + 1) * W / w)));
            const uint64_t n = std::max<uint64_t>(1, rows * uint64_t(b - a));
            dst[x] = qRgb(int(sums[size_t(x) * 3] / n), int(sums[size_t(x) * 3 + 1] / n),
                          int(sums[size_t(x) * 3 + 2] / n));
        }
    }
    return out;
}

namespace {

QImage sourcePixels(const TPictureEx& source, QSize target) {
    if (source.IsJpeg()) {
        const auto& jpeg = static_cast<const TSafetyJPEGImage&>(*source.Graphic());
        const int side = std::max(jpeg.FullWidth(), jpeg.FullHeight());
        const int scale = codecs::JpegScaleFor(side, std::max(target.width(), target.height()));
        return codecs::DecodeJpeg(jpeg.Bytes(), scale, true);
    }
    return source.Graphic()->ToImage();
}

}  // namespace

void DrawThumbnail(const TPictureEx& source, QImage& target, TColor transparent,
                   TColor background) {
    if (target.isNull() || source.Empty()) return;
    if (!source.IsBitmapLike()) {
        // The canvas is locked while drawing: pictures may share drawing state.
        platform::Canvas canvas(target);
        std::lock_guard lock(canvas.lock());
        source.Draw(canvas, {0, 0, target.width(), target.height()});
        return;
    }
    QImage pixels = sourcePixels(source, target.size());
    if (transparent != clNone) {
        pixels = pixels.convertToFormat(QImage::Format_RGB32);
        const QRgb key = platform::colorToRgb(transparent) & 0xFFFFFF;
        const QRgb fill = platform::colorToRgb(background) | 0xFF000000u;
        for (int y = 0; y < pixels.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(pixels.scanLine(y));
            for (int x = 0; x < pixels.width(); ++x)
                if ((line[x] & 0xFFFFFF) == key) line[x] = fill;
        }
    }
    target = BoxReduce(pixels, target.size());
}

QImage MakeThumbnail(const TPictureEx& source, QSize box, TColor transparent, TColor background) {
    const QSize size = FitThumbnailSize({source.Width(), source.Height()}, box);
    if (size.isEmpty()) return {};
    QImage target(size, QImage::Format_RGB32);
    target.fill(platform::colorToRgb(background));
    DrawThumbnail(source, target, transparent, background);
    return target;
}
