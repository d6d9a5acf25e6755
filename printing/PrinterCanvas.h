#pragma once
// The printer's canvas for one page: full-paper device pixels (0,0 is the paper's corner,
// not the printable area's) at the job's canvas resolution. Nothing is rasterised for the
// page as a whole: band images stretched onto it go straight to the job's output under the
// clip in force. Only drawing on the canvas itself (faces printed without banding, face
// outlines) makes a page raster, and its resolution is capped so that it never holds more
// than kMaxRasterPixels.

#include "drawing/CanvasUtils.h"
#include "platform/spooler/PrintOutput.h"

#include <QImage>
#include <memory>

class TPrinterCanvas {
public:
    static constexpr qint64 kMaxRasterPixels = 4096 * 4096;
    // The resolution a page of `page` (0.1 mm) gets on a printer of `printerDpi`: the
    // printer's, lowered until the page's raster fits kMaxRasterPixels.
    static int CanvasResolution(QSize page, int printerDpi);

    // `page` in pixels at `dpi`; `output` (not owned) receives the page's images.
    TPrinterCanvas(QSize page, int dpi, platform::PrintOutput* output);
    ~TPrinterCanvas();
    TPrinterCanvas(const TPrinterCanvas&) = delete;
    TPrinterCanvas& operator=(const TPrinterCanvas&) = delete;

    int Resolution() const { return dpi_; }
    QSize PageSize() const { return page_; }
    // Mapping, clip and tools of the page. Drawing on it is kept only through
    // DirectCanvas(), which makes the page raster first.
    TCanvas& Canvas() { return *canvas_; }
    TCanvas& DirectCanvas();
    bool HasRaster() const { return !raster_.isNull(); }
    // Stretches `image` into `rect` (logical units of the canvas's mapping) under the
    // canvas's clip.
    void StretchImage(const TRect& rect, const QImage& image);
    int ImagesPlaced() const { return placed_; }

    // Sends the page raster, if any, and ends the page in the output.
    void EndPage();
    // The job was dropped: nothing more reaches the output.
    void DetachOutput() { output_ = nullptr; }

private:
    QSize page_;
    int dpi_;
    platform::PrintOutput* output_;
    QImage placeholder_;
    QImage raster_;
    std::unique_ptr<TCanvas> canvas_;
    int placed_ = 0;
};
