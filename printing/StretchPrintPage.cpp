#include "printing/StretchPrintPage.h"

#include "platform/IntMath.h"
#include "printing/PrinterCanvas.h"

using platform::mulDiv;

std::vector<TPrintBand> PlanBands(const TRect& target, int targetDpi, int resolution) {
    std::vector<TPrintBand> plan;
    if (targetDpi <= 0 || resolution <= 0 || target.IsEmpty()) return plan;
    const int w = mulDiv(target.Width(), resolution, targetDpi);
    const int h = mulDiv(target.Height(), resolution, targetDpi);
    if (w <= 0 || h <= 0) return plan;  // nothing to render (or beyond 32 bits)
    // A face wider than the limit still gets one row per band rather than a division by 0.
    const unsigned rows = std::max(unsigned(kBandPixelLimit) / unsigned(w), 1u);
    const int n = rows < unsigned(h) ? int((unsigned(h) + rows - 1) / rows) : 1;
    const std::int64_t th = target.Height();
    for (int i = 0; i < n; ++i) {
        TPrintBand b;
        b.Width = w;
        b.Height = int(std::int64_t(i + 1) * h / n - std::int64_t(i) * h / n);
        b.Rect = {target.Left, target.Top + int(i * th / n), target.Right,
                  target.Top + int((i + 1) * th / n)};
        plan.push_back(b);
    }
    return plan;
}

QImage& TBandCanvas::GetBitmapHandle() {
    return page_.BandBitmap();
}

TStretchPrintPage::TStretchPrintPage(TPrinterCanvas& canvas, int resolution, bool banding,
                                     QPoint origin, const TRect& rect)
    : target_(canvas), rect_(rect), banding_(banding), bandCanvas_(*this) {
    TCanvas& c = canvas.Canvas();
    saved_ = SaveCanvas(c, true);
    resolution_ = resolution > 0 ? resolution : canvas.Resolution();
    bandCanvas_.SetReferenceDevice(c.device());
    bandCanvas_.SetPixelsPerInch(resolution_);
    platform::Mapping m = c.mapping();
    m.windowOrigin -= origin;
    c.setMapping(m);
    if (banding_) {
        plan_ = PlanBands(rect, canvas.Resolution(), resolution_);
        bandCount_ = int(plan_.size());
    }
}

TStretchPrintPage::~TStretchPrintPage() {
    bandCanvas_.FreeHandle();
}

TCanvas& TStretchPrintPage::GetCanvas() {
    if (!banding_) return target_.DirectCanvas();
    return bandCanvas_.Canvas();
}

bool TStretchPrintPage::NextBand() {
    if (!banding_) return next_++ == 0;
    if (!bitmap_.isNull()) {
        bandCanvas_.FreeHandle();
        // Bands are combined by copying: the AND combination of the clip workaround is
        // never asked for here (the face shape is always the clip).
        target_.StretchImage(plan_[size_t(next_ - 1)].Rect, bitmap_);
        bitmap_ = QImage();
    }
    if (next_ >= bandCount_) return false;
    const TPrintBand& band = plan_[size_t(next_)];
    bitmap_ = QImage(band.Width, band.Height, QImage::Format_RGB32);
    if (bitmap_.isNull()) throw std::bad_alloc();
    bitmap_.fill(Qt::white);
    const int dpi = target_.Resolution();
    TCanvas& c = bandCanvas_.Canvas();
    platform::Mapping m;
    m.windowOrigin = {mulDiv(band.Rect.Left, resolution_, dpi),
                      mulDiv(band.Rect.Top, resolution_, dpi)};
    c.setMapping(m);
    ++next_;
    return true;
}
