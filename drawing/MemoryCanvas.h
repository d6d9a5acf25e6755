#pragma once
// TMemoryCanvas: a canvas on a picture in memory that imitates a reference device's
// resolution (the screen when none is set). The picture comes from GetBitmapHandle,
// which each kind of memory canvas (the print band, for one) supplies; the canvas is
// made on first use.

#include "drawing/CanvasUtils.h"

#include <optional>

class TMemoryCanvas {
public:
    virtual ~TMemoryCanvas() = default;

    virtual QImage& GetBitmapHandle() = 0;

    const std::optional<platform::DeviceDescriptor>& ReferenceDevice() const { return reference_; }
    // Changing the reference device frees the current canvas first.
    void SetReferenceDevice(std::optional<platform::DeviceDescriptor> device);
    int PixelsPerInch() const { return pixelsPerInch_; }
    // Non-zero: the resolution this canvas reports instead of its reference device's.
    void SetPixelsPerInch(int dpi);

    TCanvas& Canvas();
    bool HandleAllocated() const { return canvas_ != nullptr; }
    void SelectBitmap(QImage& bitmap);
    // Lets go of the selected picture (the canvas keeps its state and draws on a 1 x 1
    // placeholder until a picture is selected again), so the picture may be freed.
    void DeselectBitmap();
    void FreeHandle() { canvas_.reset(); }

private:
    platform::DeviceDescriptor device() const;

    std::optional<platform::DeviceDescriptor> reference_;
    int pixelsPerInch_ = 0;
    std::unique_ptr<TCanvas> canvas_;
    QImage placeholder_;
};

// Lends the picture a canvas draws on to code that works on pictures. The lent picture
// cannot be exchanged: "TDCRelatedBitmap cannot change".
class TBitmapRelatedDC {
public:
    explicit TBitmapRelatedDC(TCanvas& canvas) : canvas_(canvas) {}
    bool IsValid() const { return !canvas_.image().isNull(); }
    QImage& Bitmap() { return canvas_.image(); }
    [[noreturn]] void SetBitmap(const QImage&);

private:
    TCanvas& canvas_;
};
