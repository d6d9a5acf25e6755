#pragma once
// TScaler: turns logical units (1/UnitDPI inch) into device pixels of one canvas at a zoom
// of Scale percent, and prepares canvases to draw in logical units:
//   device = logical x DPI x Scale / (UnitDPI x 100)

#include "document/stream/Persistent.h"
#include "drawing/CanvasUtils.h"

#include <functional>

// Stored as Scale (default 100) and UnitDPI (always stored).
class TScaler : public TPersistent {
    VELLUMO_PERSISTENT(TScaler, TPersistent)
public:
    TScaler();  // Scale 100, UnitDPI the screen's pixels per inch
    static void DeclareProperties(PropertyBuilder<TScaler>& p);

    int Scale() const { return scale_; }
    void SetScale(int scale);
    int UnitDPI() const { return unitDpi_; }
    void SetUnitDPI(int dpi);
    // Copies Scale and UnitDPI from another scaler, firing OnChange once; anything else
    // is refused with the ordinary assignment error.
    void Assign(const TPersistent& source) override;

    std::function<void()> OnChange;

    // Rounded to nearest (MulDiv).
    QPoint LogToDev(const TCanvas& canvas, QPoint p) const;
    QPoint DevToLog(const TCanvas& canvas, QPoint p) const;
    // Left and top rounded down, right and bottom up, so the device rectangle covers the
    // logical one (also for negative coordinates).
    TRect LogRectToDev(const TCanvas& canvas, const TRect& r) const;
    TRect LogRectToDev(int dpi, const TRect& r) const;

    // Makes `canvas` draw in logical units: an anisotropic mapping with the ratio
    // DPI x Scale : UnitDPI x 100 in lowest terms, keeping any origin already set as a pure
    // device offset, and the font's pixels-per-inch set to UnitDPI. dpi 0: the canvas's.
    void PrepareCanvas(TCanvas& canvas, int dpi = 0) const;

private:
    void changed() {
        if (OnChange) OnChange();
    }
    int scale_ = 100;
    int unitDpi_;
};
