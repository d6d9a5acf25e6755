#include "drawing/ObjectSetUtils.h"

#include "drawing/DOList.h"
#include "drawing/DrawSite.h"
#include "drawing/Facets.h"
#include "platform/IntMath.h"

#include <algorithm>

using platform::mulDiv;

namespace {

constexpr int kInsideMargin = 10;

// The offset that brings `v` into [low, high]; `low` wins when the range is empty.
int offsetInto(std::int64_t v, std::int64_t low, std::int64_t high) {
    if (v < low) return int(low - v);
    if (v > high) return int(high - v);
    return 0;
}

}  // namespace

void KeepInside(const TDOList& list, const TRect& rect) {
    for (TDrawObject* o : list) {
        auto* e = QueryFacet<IDOEncloseBounds>(o);
        if (!e) continue;
        const TRect b = e->GetBounds();
        const std::int64_t cx = (std::int64_t(b.Left) + b.Right) / 2;
        const std::int64_t cy = (std::int64_t(b.Top) + b.Bottom) / 2;
        const int dx = offsetInto(cx, std::int64_t(rect.Left) + kInsideMargin,
                                  std::int64_t(rect.Right) - kInsideMargin);
        const int dy = offsetInto(cy, std::int64_t(rect.Top) + kInsideMargin,
                                  std::int64_t(rect.Bottom) - kInsideMargin);
        if (dx != 0 || dy != 0) e->OffsetBy(dx, dy);
    }
}

void ScaleObjects(const TDOList& list, const TRect& oldRect, const TRect& newRect) {
    if (oldRect == newRect) return;
    // A rectangle without width or height gives no proportion: move only.
    const bool scalable = oldRect.Width() != 0 && oldRect.Height() != 0;
    for (TDrawObject* o : list) {
        auto* e = QueryFacet<IDOEncloseBounds>(o);
        if (!e) continue;
        const TRect b = e->GetBounds();
        if (!scalable) {
            e->OffsetBy(newRect.Left - oldRect.Left, newRect.Top - oldRect.Top);
            continue;
        }
        const auto mapX = [&](int x) {
            return mulDiv(x - oldRect.Left, newRect.Width(), oldRect.Width()) + newRect.Left;
        };
        const auto mapY = [&](int y) {
            return mulDiv(y - oldRect.Top, newRect.Height(), oldRect.Height()) + newRect.Top;
        };
        const TRect n{mapX(b.Left), mapY(b.Top), mapX(b.Right), mapY(b.Bottom)};
        e->OffsetBy(n.Left - b.Left, n.Top - b.Top);
        e->SetEnclosingSize(n.Width(), n.Height());
    }
}

QSize InitialImageSize(QSize pixels) {
    return {std::max(30, mulDiv(pixels.width(), 254, 180)),
            std::max(30, mulDiv(pixels.height(), 254, 180))};
}

void FitNewObject(TDrawObject& object, TDrawSite& site) {
    auto* e = QueryFacet<IDOEncloseBounds>(&object);
    if (!e) return;
    const int siteW = site.LogWidth(), siteH = site.LogHeight();
    TRect b = e->GetBounds();
    if (b.Width() > siteW || b.Height() > siteH) {
        const auto* lr = QueryFacet<IDOLogicalRect>(&object);
        int w = b.Width(), h = b.Height();
        if (lr && lr->KeepAspect() && w > 0 && h > 0) {
            // The largest rectangle of the object's proportions inside the site.
            if (std::int64_t(w) * siteH > std::int64_t(h) * siteW) {
                h = mulDiv(h, siteW, w);
                w = siteW;
            } else {
                w = mulDiv(w, siteH, h);
                h = siteH;
            }
        } else {
            w = std::min(w, siteW);
            h = std::min(h, siteH);
        }
        e->SetEnclosingSize(std::max(w, 0), std::max(h, 0));
        b = e->GetBounds();
    }
    const TRect visible = site.VisibleClientRect();
    const QPoint centre =
        site.DevToLog({(visible.Left + visible.Right) / 2, (visible.Top + visible.Bottom) / 2});
    e->OffsetBy(centre.x() - (b.Left + b.Right) / 2, centre.y() - (b.Top + b.Bottom) / 2);
}

void ReverseList(TDOList& list) {
    list.Reverse();
}
