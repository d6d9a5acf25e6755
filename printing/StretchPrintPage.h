#pragma once
// How a face reaches the printer's canvas. TStretchPrintPage renders it either straight on
// the canvas or in horizontal bands: each band is drawn into a bitmap at the rendering
// resolution (TBandCanvas) and then stretched into its rectangle of the page. No band
// holds more than kBandPixelLimit pixels.

#include "drawing/MemoryCanvas.h"
#include "platform/Geometry.h"

#include <QImage>
#include <memory>
#include <vector>

class TPrinterCanvas;
class TStretchPrintPage;

constexpr int kBandPixelLimit = 0x500000;

struct TPrintBand {
    int Width = 0, Height = 0;  // pixels at the rendering resolution
    TRect Rect;                 // on the target canvas
};

// The bands of `target` (pixels at `targetDpi`) rendered at `resolution`: they tile the
// target from top to bottom and their heights add up to the rendered height. A target
// that renders to no pixels has no bands.
std::vector<TPrintBand> PlanBands(const TRect& target, int targetDpi, int resolution);

class TPrintPageBase {
public:
    virtual ~TPrintPageBase() = default;
    virtual TCanvas& GetCanvas() = 0;
    virtual bool NextBand() = 0;
};

class TBandCanvas : public TMemoryCanvas {
public:
    explicit TBandCanvas(TStretchPrintPage& page) : page_(page) {}
    QImage& GetBitmapHandle() override;

private:
    TStretchPrintPage& page_;
};

class TStretchPrintPage : public TPrintPageBase {
public:
    // `origin` moves the canvas's window origin (device pixels); `rect` is the face's
    // target in pixels of the canvas. Resolution 0: the canvas's own.
    TStretchPrintPage(TPrinterCanvas& canvas, int resolution, bool banding, QPoint origin,
                      const TRect& rect);
    ~TStretchPrintPage() override;

    TCanvas& GetCanvas() override;
    bool NextBand() override;

    int BandCount() const { return bandCount_; }
    const std::vector<TPrintBand>& BandPlan() const { return plan_; }
    bool AndMode() const { return andMode_; }
    void SetAndMode(bool value) { andMode_ = value; }
    QImage& BandBitmap() { return bitmap_; }

private:
    TPrinterCanvas& target_;
    std::unique_ptr<TCanvasSaver> saved_;
    TRect rect_;
    bool banding_;
    int resolution_;
    TBandCanvas bandCanvas_;
    QImage bitmap_;
    std::vector<TPrintBand> plan_;
    int bandCount_ = 1;
    int next_ = 0;
    bool andMode_ = false;
};
