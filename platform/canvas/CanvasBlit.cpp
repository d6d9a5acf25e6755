// Block transfers onto a canvas: copies and stretches with ternary raster operations.
#include "platform/canvas/Canvas.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

namespace platform {
namespace {

// Destination words through a ternary operation that ignores the pattern: only the four
// source/destination terms of its table count, so each of the 16 cases is a plain
// bitwise loop the compiler vectorises.
template <int Code>
void combineRow(QRgb* d, const QRgb* s, int n) {
    for (int x = 0; x < n; ++x) d[x] = applyRop3(std::uint8_t(Code | (Code << 4)), 0, s[x], d[x]) | 0xFF000000u;
}

template <int... Codes>
void combineRowFor(int code, QRgb* d, const QRgb* s, int n,
                   std::integer_sequence<int, Codes...>) {
    ((code == Codes ? combineRow<Codes>(d, s, n) : void()), ...);
}

// The source pixels of one destination row: `columns` picks a source column for each.
void gatherRow(const QImage& src, int sy, const int* columns, int n, QRgb* out, TColor text,
               TColor back) {
    const int w = src.width();
    if (sy < 0 || sy >= src.height()) {
        std::fill(out, out + n, 0xFF000000u);
        return;
    }
    const uchar* line = src.constScanLine(sy);
    switch (src.format()) {
        case QImage::Format_RGB32:
        case QImage::Format_ARGB32:
        case QImage::Format_ARGB32_Premultiplied: {
            const QRgb* l = reinterpret_cast<const QRgb*>(line);
            for (int i = 0; i < n; ++i) {
                const int sx = columns[i];
                out[i] = (sx >= 0 && sx < w ? l[sx] : 0) | 0xFF000000u;
            }
            return;
        }
        case QImage::Format_BGR888:
            for (int i = 0; i < n; ++i) {
                const int sx = columns[i];
                const uchar* p = line + 3 * sx;
                out[i] = sx >= 0 && sx < w ? qRgb(p[2], p[1], p[0]) : 0xFF000000u;
            }
            return;
        default:
            for (int i = 0; i < n; ++i) {
                const int sx = columns[i];
                out[i] = sx >= 0 && sx < w ? sourcePixel(src, sx, sy, text, back) : 0xFF000000u;
            }
            return;
    }
}

}  // namespace

void Canvas::bitBlt(const TRect& dest, const QImage& src, QPoint srcOrigin, Rop3 rop) {
    const TRect d = toDevice(dest);
    stretchBlt(dest, src, QRect(srcOrigin, QSize(d.Width(), d.Height())), rop);
}

void Canvas::stretchBlt(const TRect& dest, const QImage& src, const QRect& srcRect, Rop3 rop) {
    // Mirroring comes from a destination whose corners map the wrong way round or a
    // source rectangle of negative size.
    const QPoint a = toDevice(QPoint(dest.Left, dest.Top)),
                 b = toDevice(QPoint(dest.Right, dest.Bottom));
    const int dx0 = std::min(a.x(), b.x()), dy0 = std::min(a.y(), b.y());
    const int dw = std::abs(b.x() - a.x()), dh = std::abs(b.y() - a.y());
    const bool usesSource = rop3UsesSource(rop);
    int sw = srcRect.width(), sh = srcRect.height();
    const bool flipX = (b.x() < a.x()) != (sw < 0), flipY = (b.y() < a.y()) != (sh < 0);
    int sx0 = sw < 0 ? srcRect.left() + sw : srcRect.left();
    int sy0 = sh < 0 ? srcRect.top() + sh : srcRect.top();
    sw = std::abs(sw);
    sh = std::abs(sh);
    if (dw == 0 || dh == 0 || (usesSource && (sw == 0 || sh == 0 || src.isNull()))) return;

    const std::uint8_t table = rop3Table(rop);
    const bool usesPattern = rop3UsesPattern(rop);
    const bool shrinking = sw > dw || sh > dh;
    const bool combine = shrinking && (state_.tools.stretchMode == StretchMode::BlackOnWhite ||
                                       state_.tools.stretchMode == StretchMode::WhiteOnBlack);

    auto srcAt = [&](int x, int y) -> QRgb {
        if (x < 0 || y < 0 || x >= src.width() || y >= src.height()) return 0xFF000000u;
        return sourcePixel(src, x, y, state_.tools.textColor, state_.tools.backgroundColor);
    };
    // The combined source pixels for destination column i and row j (0-based inside the
    // rectangle) when shrinking: eliminated pixels combine, AND keeps black, OR keeps white.
    auto combined = [&](int i, int j) -> QRgb {
        const int ii = flipX ? dw - 1 - i : i, jj = flipY ? dh - 1 - j : j;
        const int xa = sx0 + int(std::int64_t(ii) * sw / dw),
                  xb = std::max(xa + 1, sx0 + int(std::int64_t(ii + 1) * sw / dw));
        const int ya = sy0 + int(std::int64_t(jj) * sh / dh),
                  yb = std::max(ya + 1, sy0 + int(std::int64_t(jj + 1) * sh / dh));
        const bool andMode = state_.tools.stretchMode == StretchMode::BlackOnWhite;
        QRgb acc = andMode ? 0xFFFFFFFFu : 0xFF000000u;
        // Pixels beyond the source are black: they count once, however many there are.
        if (xa < 0 || ya < 0 || xb > src.width() || yb > src.height())
            acc = andMode ? (acc & srcAt(-1, -1)) : (acc | srcAt(-1, -1));
        for (int y = std::max(ya, 0); y < std::min(yb, src.height()); ++y)
            for (int x = std::max(xa, 0); x < std::min(xb, src.width()); ++x)
                acc = andMode ? (acc & srcAt(x, y)) : (acc | srcAt(x, y));
        return acc;
    };

    const bool src32 =
        src.format() == QImage::Format_RGB32 || src.format() == QImage::Format_ARGB32;
    const bool plainCopy = rop == SRCCOPY && !flipX && !flipY && sw == dw && sh == dh && src32;
    // Without combining, every destination column takes one source column and every row
    // one source row: both are worked out once instead of per pixel.
    // Only the columns some clip rectangle can show are worked out.
    std::vector<int> columns;
    int firstColumn = 0;
    const bool mapped = usesSource && !combine && !plainCopy;
    if (mapped) {
        int lo = dx0 + dw, hi = dx0;
        for (const QRect& c : clipRects_) {
            lo = std::min(lo, std::max(dx0, c.left()));
            hi = std::max(hi, std::min(dx0 + dw, c.right() + 1));
        }
        if (lo >= hi) return;
        firstColumn = lo;
        columns.resize(size_t(hi - lo));
        for (int x = lo; x < hi; ++x) {
            const int i = x - dx0, ii = flipX ? dw - 1 - i : i;
            columns[size_t(x - lo)] =
                sx0 + int((std::int64_t(2 * ii + 1) * sw) / (2 * std::int64_t(dw)));
        }
    }
    auto sourceRow = [&](int j) {
        const int jj = flipY ? dh - 1 - j : j;
        return sy0 + int((std::int64_t(2 * jj + 1) * sh) / (2 * std::int64_t(dh)));
    };
    std::vector<QRgb> gathered(mapped && !usesPattern ? columns.size() : 0);
    for (const QRect& c : clipRects_) {
        const int x0 = std::max(dx0, c.left()), x1 = std::min(dx0 + dw, c.right() + 1);
        const int y0 = std::max(dy0, c.top()), y1 = std::min(dy0 + dh, c.bottom() + 1);
        if (x0 >= x1) continue;
        for (int y = y0; y < y1; ++y) {
            QRgb* row = reinterpret_cast<QRgb*>(image_->scanLine(y));
            const int j = y - dy0;
            if (plainCopy) {
                const int sy = sy0 + j;
                const int from = std::max(x0, dx0 - sx0),
                          to = std::min(x1, dx0 - sx0 + src.width());
                if (sy >= 0 && sy < src.height() && from < to) {
                    const QRgb* s =
                        reinterpret_cast<const QRgb*>(src.constScanLine(sy)) + (sx0 + from - dx0);
                    for (int x = from; x < to; ++x) row[x] = s[x - from] | 0xFF000000u;
                }
                for (int x = x0; x < std::min(from, x1); ++x) row[x] = 0xFF000000u;
                for (int x = std::max(to, x0); x < x1; ++x) row[x] = 0xFF000000u;
                continue;
            }
            if (mapped) {
                const int sy = sourceRow(j);
                const bool rowInside = sy >= 0 && sy < src.height();
                const int* col = columns.data() - firstColumn;
                if (rop == SRCCOPY && src32) {
                    const QRgb* line =
                        rowInside ? reinterpret_cast<const QRgb*>(src.constScanLine(sy)) : nullptr;
                    for (int x = x0; x < x1; ++x) {
                        const int sx = col[x];
                        row[x] = (line && sx >= 0 && sx < src.width() ? line[sx] : 0) | 0xFF000000u;
                    }
                    continue;
                }
                if (!usesPattern) {
                    gatherRow(src, sy, col + x0, x1 - x0, gathered.data(),
                              state_.tools.textColor, state_.tools.backgroundColor);
                    combineRowFor(table & 0x0F, row + x0, gathered.data(), x1 - x0,
                                  std::make_integer_sequence<int, 16>());
                    continue;
                }
                for (int x = x0; x < x1; ++x) {
                    const QRgb s = srcAt(col[x], sy);
                    const QRgb p = brushPixel(state_.tools.brush, x, y);
                    row[x] = applyRop3(table, p, s, row[x]) | 0xFF000000u;
                }
                continue;
            }
            for (int x = x0; x < x1; ++x) {
                const QRgb s = usesSource ? combined(x - dx0, j) : 0;
                const QRgb p = usesPattern ? brushPixel(state_.tools.brush, x, y) : 0;
                row[x] = applyRop3(table, p, s, row[x]) | 0xFF000000u;
            }
        }
    }
}

}  // namespace platform
