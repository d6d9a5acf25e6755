#include "objects/RotatedRect.h"

#include "drawing/Transformer.h"
#include "platform/IntMath.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace {

// Turns `p` about the centre of `r` as TRotator does (exact quarter turns, halves rounded
// away from zero), in wide arithmetic clamped to 32 bits: stored rectangles may reach the
// ends of the integer range.
void rotateAbout(const TRect& r, int degrees, QPoint& p) {
    TRotator rot;
    rot.SetAngle(degrees);
    const long double cx = ((long double)r.Left + r.Right) / 2;
    const long double cy = ((long double)r.Top + r.Bottom) / 2;
    const long double centreX = std::trunc(cx), centreY = std::trunc(cy);
    const long double dx = p.x() - centreX, dy = p.y() - centreY;
    const auto toInt = [](long double v) {
        const long double rounded = v < 0 ? -std::floor(-v + 0.5L) : std::floor(v + 0.5L);
        return int(std::clamp<long double>(rounded, std::numeric_limits<int>::min(),
                                           std::numeric_limits<int>::max()));
    };
    p = QPoint(toInt(centreX + dx * rot.Cos() - dy * rot.Sin()),
               toInt(centreY + dx * rot.Sin() + dy * rot.Cos()));
}

}  // namespace

std::array<QPoint, 4> RotatedCorners(const TRect& r, int degrees) {
    std::array<QPoint, 4> pts{QPoint(r.Left, r.Top), QPoint(r.Right, r.Top),
                              QPoint(r.Right, r.Bottom), QPoint(r.Left, r.Bottom)};
    if (degrees % 360 == 0) return pts;
    for (QPoint& p : pts) rotateAbout(r, degrees, p);
    return pts;
}

TRect RotatedBounds(const TRect& r, int degrees) {
    const std::array<QPoint, 4> pts = RotatedCorners(r, degrees);
    TRect b{pts[0].x(), pts[0].y(), pts[0].x(), pts[0].y()};
    for (const QPoint& p : pts) {
        b.Left = std::min(b.Left, p.x());
        b.Top = std::min(b.Top, p.y());
        b.Right = std::max(b.Right, p.x());
        b.Bottom = std::max(b.Bottom, p.y());
    }
    return b;
}

bool RotatedRectContains(const TRect& r, int degrees, QPoint p) {
    if (degrees % 360 != 0) rotateAbout(r, -degrees, p);
    return p.x() >= r.Left && p.x() < r.Right && p.y() >= r.Top && p.y() < r.Bottom;
}

QSize EnclosingToUnrotated(const TRect& r, int degrees, int w, int h) {
    if (degrees % 360 == 0) return {w, h};
    const TRect b = RotatedBounds(r, degrees);
    // Sizes of stored rectangles are taken in 64 bits. A box without width or height gives
    // no ratio: the size is taken as it is.
    const auto scaled = [](std::int64_t size, int want, std::int64_t box) {
        if (box == 0) return want;
        const long double v = (long double)size * want / box;
        return int(std::clamp<long double>(v < 0 ? -std::floor(-v + 0.5L) : std::floor(v + 0.5L),
                                           std::numeric_limits<int>::min(),
                                           std::numeric_limits<int>::max()));
    };
    return {scaled(std::int64_t(r.Right) - r.Left, w, std::int64_t(b.Right) - b.Left),
            scaled(std::int64_t(r.Bottom) - r.Top, h, std::int64_t(b.Bottom) - b.Top)};
}

void DrawIntoAlphaMask(TAlphaMask& mask, const TRect& logical, const QImage& grey, bool andWith,
                       bool invert) {
    if (grey.isNull() || mask.Image.isNull()) return;
    const QImage src =
        grey.format() == QImage::Format_Grayscale8 || grey.format() == QImage::Format_Indexed8
            ? grey
            : grey.convertToFormat(QImage::Format_Grayscale8);
    const QPoint a = mask.Mapping.toDevice(QPoint(logical.Left, logical.Top));
    const QPoint b = mask.Mapping.toDevice(QPoint(logical.Right, logical.Bottom));
    const int dl = std::min(a.x(), b.x()), dr = std::max(a.x(), b.x());
    const int dt = std::min(a.y(), b.y()), db = std::max(a.y(), b.y());
    const int dw = dr - dl, dh = db - dt;
    if (dw <= 0 || dh <= 0) return;
    const int x0 = std::max(dl, 0), x1 = std::min(dr, mask.Image.width());
    const int y0 = std::max(dt, 0), y1 = std::min(db, mask.Image.height());
    if (x0 >= x1 || y0 >= y1) return;
    // The source pixel under each destination pixel's centre.
    std::vector<int> sx(size_t(x1 - x0));
    for (int x = x0; x < x1; ++x)
        sx[size_t(x - x0)] =
            int((2 * std::int64_t(x - dl) + 1) * src.width() / (2 * std::int64_t(dw)));
    const bool indexed = src.format() == QImage::Format_Indexed8;
    const QList<QRgb> table = indexed ? src.colorTable() : QList<QRgb>();
    for (int y = y0; y < y1; ++y) {
        const int syy = int((2 * std::int64_t(y - dt) + 1) * src.height() / (2 * std::int64_t(dh)));
        const uchar* s = src.constScanLine(syy);
        uchar* d = mask.Image.scanLine(y);
        for (int x = x0; x < x1; ++x) {
            int v = s[sx[size_t(x - x0)]];
            if (indexed) v = v < table.size() ? qGray(table[v]) : 0;
            if (invert) v = 255 - v;
            d[x] = andWith ? uchar(d[x] & v) : uchar(v);
        }
    }
}
