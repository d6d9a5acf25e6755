#include "printing/PrinterCanvas.h"

#include <cmath>

int TPrinterCanvas::CanvasResolution(QSize page, int printerDpi) {
    int dpi = std::max(printerDpi, 1);
    const double inches =
        double(std::max(page.width(), 1)) * std::max(page.height(), 1) / (254.0 * 254.0);
    const double limit = std::floor(std::sqrt(double(kMaxRasterPixels) / inches));
    if (dpi > limit) dpi = std::max(1, int(limit));
    return dpi;
}

TPrinterCanvas::TPrinterCanvas(QSize page, int dpi, platform::PrintOutput* output)
    : page_(page), dpi_(dpi), output_(output), placeholder_(1, 1, QImage::Format_RGB32) {
    placeholder_.fill(Qt::white);
    platform::DeviceDescriptor d;
    d.dpiX = d.dpiY = dpi;
    d.technology = platform::DeviceTechnology::RasterPrinter;
    canvas_ = std::make_unique<TCanvas>(placeholder_, d);
    // The clip is kept in page pixels even while the canvas has no raster behind it.
    canvas_->selectClip(QRegion(0, 0, page.width(), page.height()));
    if (output_) output_->beginPage(page);
}

TPrinterCanvas::~TPrinterCanvas() = default;

TCanvas& TPrinterCanvas::DirectCanvas() {
    if (raster_.isNull()) {
        raster_ = QImage(page_, QImage::Format_RGB32);
        if (raster_.isNull()) throw std::bad_alloc();
        raster_.fill(Qt::white);
        canvas_->selectImage(raster_);
    }
    return *canvas_;
}

void TPrinterCanvas::StretchImage(const TRect& rect, const QImage& image) {
    const TRect d = canvas_->toDevice(rect);
    const QRect target(QPoint(d.Left, d.Top), QPoint(d.Right - 1, d.Bottom - 1));
    if (target.isEmpty() || image.isNull()) return;
    if (output_) output_->placeImage(image, target, canvas_->clipRegion());
    ++placed_;
}

void TPrinterCanvas::EndPage() {
    if (!output_) return;
    if (!raster_.isNull()) {
        // Over bands, only what was drawn counts: the untouched white lets them show.
        QImage layer = raster_;
        if (placed_ > 0) {
            layer = raster_.convertToFormat(QImage::Format_ARGB32);
            for (int y = 0; y < layer.height(); ++y) {
                QRgb* row = reinterpret_cast<QRgb*>(layer.scanLine(y));
                for (int x = 0; x < layer.width(); ++x)
                    if ((row[x] & 0xFFFFFF) == 0xFFFFFF) row[x] = 0;
            }
        }
        output_->placeImage(layer, QRect(QPoint(0, 0), page_), std::nullopt);
    }
    output_->endPage();
}
