#pragma once
// Small utilities the painting code relies on: the resolution and kind of a canvas,
// copying tools between canvases, and guards that put canvas state back exactly once,
// when they go out of scope.

#include "platform/canvas/Canvas.h"

#include <memory>
#include <mutex>

using TCanvas = platform::Canvas;

// The device a canvas draws for: what a device context tells of its resolution and kind.
// A memory canvas answers its reference device (the screen when none is set), a print
// band the printer.
const platform::DeviceDescriptor& GetCanvasDC(const TCanvas& canvas);
// The resolution a canvas reports: its device's vertical pixels per inch (a memory
// canvas reports its PixelsPerInch override through its device).
int GetCanvasDPI(const TCanvas& canvas);
// True for printers and plotters.
bool IsPrinterCanvas(const TCanvas& canvas);
// The screen's pixels per inch (96 without a screen).
int ScreenDPI();

// Copies copy mode, font, pen and brush from `source`.
void CopyCanvasTools(TCanvas& dest, const TCanvas& source);

// Restores the font's pixels-per-inch and the tools (pen, brush, font, mix and copy mode)
// on destruction; with saveState, the whole canvas state (mapping and clip included).
class TCanvasSaver {
public:
    TCanvasSaver(TCanvas& canvas, bool saveState);
    ~TCanvasSaver();
    TCanvasSaver(const TCanvasSaver&) = delete;
    TCanvasSaver& operator=(const TCanvasSaver&) = delete;

private:
    TCanvas& canvas_;
    platform::Pen pen_;
    platform::Brush brush_;
    platform::Font font_;
    platform::Rop2 mix_;
    platform::Rop3 copyMode_;
    int level_ = 0;
};

// Restores the clip region (or the absence of one) on destruction.
class TClipSaver {
public:
    explicit TClipSaver(TCanvas& canvas) : canvas_(canvas), clip_(canvas.clipRegion()) {}
    ~TClipSaver() { canvas_.selectClip(clip_); }
    TClipSaver(const TClipSaver&) = delete;
    TClipSaver& operator=(const TClipSaver&) = delete;

private:
    TCanvas& canvas_;
    std::optional<QRegion> clip_;
};

// Holds the canvas's lock for its lifetime.
class TCanvasLocker {
public:
    explicit TCanvasLocker(TCanvas& canvas) : guard_(canvas.lock()) {}

private:
    std::lock_guard<std::recursive_mutex> guard_;
};

// Canvases here keep their pictures for as long as they live, so nothing is reclaimed
// behind a long rendering; the guard exists for the callers that bracket such work.
class TBitmapCanvasProtector {};

[[nodiscard]] std::unique_ptr<TCanvasSaver> SaveCanvas(TCanvas& canvas, bool saveState);
[[nodiscard]] std::unique_ptr<TClipSaver> SaveClip(TCanvas& canvas);
[[nodiscard]] std::unique_ptr<TCanvasLocker> LockCanvas(TCanvas& canvas);
[[nodiscard]] std::unique_ptr<TBitmapCanvasProtector> ProtectBitmapCanvases();

// True when the canvas's picture can be read and written directly (always here: every
// canvas draws on a picture in memory).
bool HasDIBSection(const TCanvas& canvas);
