#include "imaging/QuadMap.h"

#include "imaging/Parallel.h"
#include "platform/Geometry.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

int bytesPerPixel(QImage::Format f) {
    switch (f) {
        case QImage::Format_Grayscale8:
        case QImage::Format_Indexed8:
            return 1;
        case QImage::Format_RGB555:
        case QImage::Format_RGB16:
            return 2;
        case QImage::Format_BGR888:
        case QImage::Format_RGB888:
            return 3;
        case QImage::Format_RGB32:
        case QImage::Format_ARGB32:
            return 4;
        default:
            return 0;
    }
}

// The background as raw pixel bytes of the result's format.
void fillBackground(QImage& img, QRgb colour) {
    if (img.format() == QImage::Format_Indexed8) {
        int best = 0, bestDist = INT32_MAX;
        const QList<QRgb> table = img.colorTable();
        for (int i = 0; i < table.size(); ++i) {
            const int d = std::abs(qRed(table[i]) - qRed(colour)) +
                          std::abs(qGreen(table[i]) - qGreen(colour)) +
                          std::abs(qBlue(table[i]) - qBlue(colour));
            if (d < bestDist) bestDist = d, best = i;
        }
        img.fill(uint(best));
        return;
    }
    img.fill(QColor::fromRgb(colour));
}

struct Vertex {
    double x, y, u, v;
};

// Narrows [a, b] to the k for which lo <= f0 + k * df <= hi.
void inRange(std::int64_t f0, std::int64_t df, std::int64_t lo, std::int64_t hi, std::int64_t& a,
             std::int64_t& b) {
    auto floorDiv = [](std::int64_t p, std::int64_t q) {
        const std::int64_t d = p / q;
        return (p % q != 0 && (p < 0) != (q < 0)) ? d - 1 : d;
    };
    auto ceilDiv = [&](std::int64_t p, std::int64_t q) { return -floorDiv(-p, q); };
    if (df == 0) {
        if (f0 < lo || f0 > hi) a = 1, b = 0;
        return;
    }
    if (df > 0) {
        a = std::max(a, ceilDiv(lo - f0, df));
        b = std::min(b, floorDiv(hi - f0, df));
    } else {
        a = std::max(a, ceilDiv(hi - f0, df));
        b = std::min(b, floorDiv(lo - f0, df));
    }
}

// Fills rows [from, to) of `out`.
template <int Bpp>
void fillQuadRows(uchar* outBase, qsizetype outStride, int outWidth, const QImage& src,
                  const QRect& rect, const std::array<Vertex, 4>& q, int from, int to) {
    const uchar* srcBase = src.constBits();
    const qsizetype srcStride = src.bytesPerLine();
    const int lastColumn = rect.right(), lastRow = rect.bottom();
    for (int y = from; y < to; ++y) {
        const double cy = y + 0.5;
        bool any = false;
        Vertex left{}, right{};
        for (int e = 0; e < 4; ++e) {
            const Vertex& a = q[size_t(e)];
            const Vertex& b = q[size_t((e + 1) % 4)];
            if (a.y == b.y) continue;
            const double lo = std::min(a.y, b.y), hi = std::max(a.y, b.y);
            if (cy < lo || cy >= hi) continue;
            const double t = (cy - a.y) / (b.y - a.y);
            const Vertex p{a.x + t * (b.x - a.x), cy, a.u + t * (b.u - a.u), a.v + t * (b.v - a.v)};
            if (!any) {
                left = right = p;
                any = true;
            } else if (p.x < left.x) {
                left = p;
            } else if (p.x > right.x) {
                right = p;
            }
        }
        if (!any || right.x <= left.x) continue;
        const int x0 = std::max(0, int(std::ceil(left.x - 0.5)));
        const int x1 = std::min(outWidth - 1, int(std::floor(right.x - 0.5)));
        if (x0 > x1) continue;
        // 16.16 texture position at the first pixel centre, and its step per pixel.
        const double span = right.x - left.x;
        const double t0 = (x0 + 0.5 - left.x) / span;
        std::int64_t u = std::llround((left.u + t0 * (right.u - left.u)) * 65536);
        std::int64_t v = std::llround((left.v + t0 * (right.v - left.v)) * 65536);
        const std::int64_t du = std::llround((right.u - left.u) / span * 65536);
        const std::int64_t dv = std::llround((right.v - left.v) / span * 65536);
        uchar* o = outBase + outStride * y + qsizetype(x0) * Bpp;
        // Inside [a, b] of the span the position needs no clamping; only the pixels outside
        // it (where rounding along the edges reaches past the source) pay for the clamps.
        const std::int64_t n = x1 - x0 + 1;
        std::int64_t a = 0, b = n - 1;
        inRange(u, du, std::int64_t(rect.left()) << 16, (std::int64_t(lastColumn) << 16) + 0xFFFF,
                a, b);
        inRange(v, dv, std::int64_t(rect.top()) << 16, (std::int64_t(lastRow) << 16) + 0xFFFF, a,
                b);
        auto clamped = [&](std::int64_t from, std::int64_t to) {
            std::int64_t uu = u + from * du, vv = v + from * dv;
            for (std::int64_t k = from; k < to; ++k, uu += du, vv += dv) {
                const int sx = std::clamp(int(uu >> 16), rect.left(), lastColumn);
                const int sy = std::clamp(int(vv >> 16), rect.top(), lastRow);
                std::memcpy(o + k * Bpp, srcBase + srcStride * sy + qsizetype(sx) * Bpp, Bpp);
            }
        };
        if (a > b) {
            clamped(0, n);
            continue;
        }
        clamped(0, a);
        std::int64_t uu = u + a * du, vv = v + a * dv;
        for (std::int64_t k = a; k <= b; ++k, uu += du, vv += dv)
            std::memcpy(o + k * Bpp, srcBase + srcStride * (vv >> 16) + (uu >> 16) * Bpp, Bpp);
        clamped(b + 1, n);
    }
}

// Rows are independent, so both halves of a large picture are filled at once, with the
// single-thread result.
template <int Bpp>
void fillQuad(QImage& out, const QImage& src, const QRect& rect, const std::array<Vertex, 4>& q) {
    uchar* outBase = out.bits();
    const qsizetype outStride = out.bytesPerLine();
    const int outWidth = out.width();
    ParallelRows(out.height(), std::int64_t(outWidth) * out.height(), [&](int from, int to) {
        fillQuadRows<Bpp>(outBase, outStride, outWidth, src, rect, q, from, to);
    });
}

}  // namespace

TQuadMapResult MapQuadrilateral(const QImage& src, const QRect& srcRect,
                                const std::array<QPoint, 4>& t, QRgb background) {
    const int bpp = bytesPerPixel(src.format());
    const QRect rect = srcRect.intersected(src.rect());
    if (bpp == 0 || rect.isEmpty()) return {};
    int minX = t[0].x(), maxX = minX, minY = t[0].y(), maxY = minY;
    for (QPoint p : t) {
        minX = std::min(minX, p.x()), maxX = std::max(maxX, p.x());
        minY = std::min(minY, p.y()), maxY = std::max(maxY, p.y());
    }
    TQuadMapResult r;
    r.topLeft = {minX, minY};
    if (maxX == minX || maxY == minY) return r;
    r.image = QImage(maxX - minX, maxY - minY, src.format());
    if (src.format() == QImage::Format_Indexed8) r.image.setColorTable(src.colorTable());
    fillBackground(r.image, background);
    const double l = rect.left(), tp = rect.top(), rt = rect.left() + rect.width(),
                 bt = rect.top() + rect.height();
    const std::array<Vertex, 4> q{Vertex{double(t[0].x() - minX), double(t[0].y() - minY), l, tp},
                                  Vertex{double(t[1].x() - minX), double(t[1].y() - minY), rt, tp},
                                  Vertex{double(t[2].x() - minX), double(t[2].y() - minY), rt, bt},
                                  Vertex{double(t[3].x() - minX), double(t[3].y() - minY), l, bt}};
    switch (bpp) {
        case 1:
            fillQuad<1>(r.image, src, rect, q);
            break;
        case 2:
            fillQuad<2>(r.image, src, rect, q);
            break;
        case 3:
            fillQuad<3>(r.image, src, rect, q);
            break;
        default:
            fillQuad<4>(r.image, src, rect, q);
            break;
    }
    return r;
}

QImage Rotate(const QImage& src, double degrees, QRgb background, int w, int h) {
    const std::array<QPoint, 4> corners{RotatePoint({0, 0}, degrees), RotatePoint({w, 0}, degrees),
                                        RotatePoint({w, h}, degrees), RotatePoint({0, h}, degrees)};
    return MapQuadrilateral(src, src.rect(), corners, background).image;
}
