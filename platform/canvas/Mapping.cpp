#include "platform/canvas/Mapping.h"

#include "platform/IntMath.h"

namespace platform {
namespace {
int convert(int v, int fromOrigin, int toOrigin, int fromExt, int toExt) {
    return int(roundDiv(std::int64_t(v - fromOrigin) * toExt, fromExt) + toOrigin);
}
QRect fromCorners(QPoint a, QPoint b) {
    // Rectangles are right/bottom exclusive: keep them so after conversion.
    return QRect(QPoint(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
                 QPoint(std::max(a.x(), b.x()) - 1, std::max(a.y(), b.y()) - 1));
}
}  // namespace

QPoint Mapping::toDevice(QPoint p) const {
    if (mode == MapMode::Text)
        return p - windowOrigin + viewportOrigin;
    return {convert(p.x(), windowOrigin.x(), viewportOrigin.x(), windowExtent.width(), viewportExtent.width()),
            convert(p.y(), windowOrigin.y(), viewportOrigin.y(), windowExtent.height(), viewportExtent.height())};
}

QPoint Mapping::toLogical(QPoint p) const {
    if (mode == MapMode::Text)
        return p - viewportOrigin + windowOrigin;
    return {convert(p.x(), viewportOrigin.x(), windowOrigin.x(), viewportExtent.width(), windowExtent.width()),
            convert(p.y(), viewportOrigin.y(), windowOrigin.y(), viewportExtent.height(), windowExtent.height())};
}

QRect Mapping::toDevice(const QRect& r) const {
    return fromCorners(toDevice(r.topLeft()), toDevice(QPoint(r.right() + 1, r.bottom() + 1)));
}

QRect Mapping::toLogical(const QRect& r) const {
    return fromCorners(toLogical(r.topLeft()), toLogical(QPoint(r.right() + 1, r.bottom() + 1)));
}

int Mapping::lengthToDevice(int logical, bool vertical) const {
    if (mode == MapMode::Text) return logical;
    const int from = vertical ? windowExtent.height() : windowExtent.width();
    const int to = vertical ? viewportExtent.height() : viewportExtent.width();
    return int(roundDiv(std::int64_t(logical) * to, from));
}

bool Mapping::setWindowExtent(QSize e) {
    if (mode == MapMode::Text || e.width() == 0 || e.height() == 0) return false;
    windowExtent = e;
    return true;
}

bool Mapping::setViewportExtent(QSize e) {
    if (mode == MapMode::Text || e.width() == 0 || e.height() == 0) return false;
    viewportExtent = e;
    return true;
}

}  // namespace platform
