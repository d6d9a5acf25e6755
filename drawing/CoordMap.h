#pragma once
// TCoordMap: one canvas's mapping state, saved and restored with the window origin
// always folded into the viewport origin.

#include "drawing/CanvasUtils.h"

class TCoordMap {
public:
    platform::MapMode MapMode = platform::MapMode::Text;
    QSize WindowExt{1, 1}, ViewportExt{1, 1};
    QPoint WindowOrg{0, 0}, ViewportOrg{0, 0};

    void Save(const TCanvas& canvas);
    // Sets the saved mode and extents; the window origin becomes (0, 0) and the viewport
    // origin the saved viewport origin minus the saved window origin in device units.
    void Restore(TCanvas& canvas) const;
    void SetOrigins(QPoint windowOrg, QPoint viewportOrg) {
        WindowOrg = windowOrg;
        ViewportOrg = viewportOrg;
    }
    // Text mode with both origins at (0, 0).
    static void ResetMapping(TCanvas& canvas);
};
