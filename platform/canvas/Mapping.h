#pragma once
// The logical-to-device mapping of a canvas, with the semantics of a GDI device context:
// a map mode, window and viewport extents and origins. In text mode one logical unit is
// one pixel and only the origins apply. Conversions round to nearest (halves towards plus
// infinity), as the platform's point conversion does.
//
//   device = (logical - windowOrigin) * viewportExtent / windowExtent + viewportOrigin

#include <QPoint>
#include <QRect>
#include <QSize>

namespace platform {

enum class MapMode { Text, Anisotropic };

struct Mapping {
    MapMode mode = MapMode::Text;
    QPoint windowOrigin{0, 0};
    QPoint viewportOrigin{0, 0};
    QSize windowExtent{1, 1};
    QSize viewportExtent{1, 1};

    QPoint toDevice(QPoint logical) const;
    QPoint toLogical(QPoint device) const;
    // Both corners converted; the result is normalised when an extent is negative.
    QRect toDevice(const QRect& logical) const;
    QRect toLogical(const QRect& device) const;
    // A length along x or y (no origins).
    int lengthToDevice(int logical, bool vertical = false) const;

    // Extents are ignored in text mode; a zero extent is refused as the platform does.
    bool setWindowExtent(QSize e);
    bool setViewportExtent(QSize e);

    bool operator==(const Mapping&) const = default;
};

}  // namespace platform
