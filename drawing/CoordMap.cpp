#include "drawing/CoordMap.h"

void TCoordMap::Save(const TCanvas& canvas) {
    const platform::Mapping& m = canvas.mapping();
    MapMode = m.mode;
    WindowExt = m.windowExtent;
    ViewportExt = m.viewportExtent;
    WindowOrg = m.windowOrigin;
    ViewportOrg = m.viewportOrigin;
}

void TCoordMap::Restore(TCanvas& canvas) const {
    platform::Mapping m;
    m.mode = MapMode;
    if (MapMode != platform::MapMode::Text) {
        m.windowExtent = WindowExt;
        m.viewportExtent = ViewportExt;
    }
    // The saved window origin, in device units under the saved extents with origins at 0.
    const QPoint shift = WindowOrg == QPoint(0, 0) ? QPoint(0, 0) : m.toDevice(WindowOrg);
    m.viewportOrigin = ViewportOrg - shift;
    canvas.setMapping(m);
}

void TCoordMap::ResetMapping(TCanvas& canvas) { canvas.setMapping(platform::Mapping{}); }
