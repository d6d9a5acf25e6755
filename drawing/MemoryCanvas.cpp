#include "drawing/MemoryCanvas.h"

#include "platform/Exception.h"

void TMemoryCanvas::SetReferenceDevice(std::optional<platform::DeviceDescriptor> device) {
    FreeHandle();
    reference_ = device;
}

void TMemoryCanvas::SetPixelsPerInch(int dpi) {
    pixelsPerInch_ = dpi;
    FreeHandle();
}

platform::DeviceDescriptor TMemoryCanvas::device() const {
    platform::DeviceDescriptor d = reference_.value_or(platform::DeviceDescriptor{ScreenDPI(), ScreenDPI()});
    if (pixelsPerInch_ > 0) d.dpiX = d.dpiY = pixelsPerInch_;
    return d;
}

TCanvas& TMemoryCanvas::Canvas() {
    if (!canvas_) canvas_ = std::make_unique<TCanvas>(GetBitmapHandle(), device());
    return *canvas_;
}

void TMemoryCanvas::SelectBitmap(QImage& bitmap) { Canvas().selectImage(bitmap); }

void TMemoryCanvas::DeselectBitmap() {
    if (!canvas_) return;
    if (placeholder_.isNull()) {
        placeholder_ = QImage(1, 1, QImage::Format_RGB32);
        placeholder_.fill(0xFFFFFFFFu);
    }
    canvas_->selectImage(placeholder_);
}

void TBitmapRelatedDC::SetBitmap(const QImage&) {
    throw Exception(QStringLiteral("TDCRelatedBitmap cannot change"));
}
