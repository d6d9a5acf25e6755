#include "drawing/CanvasUtils.h"

#include <QGuiApplication>
#include <QScreen>

const platform::DeviceDescriptor& GetCanvasDC(const TCanvas& canvas) {
    return canvas.device();
}

int GetCanvasDPI(const TCanvas& canvas) {
    return GetCanvasDC(canvas).dpiY;
}

bool IsPrinterCanvas(const TCanvas& canvas) {
    return GetCanvasDC(canvas).isPrinter();
}

int ScreenDPI() {
    auto* gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    QScreen* s = gui ? QGuiApplication::primaryScreen() : nullptr;
    return s ? int(std::lround(s->logicalDotsPerInchY())) : 96;
}

void CopyCanvasTools(TCanvas& dest, const TCanvas& source) {
    dest.copyMode = source.copyMode;
    dest.font = source.font;
    dest.pen = source.pen;
    dest.brush = source.brush;
}

TCanvasSaver::TCanvasSaver(TCanvas& canvas, bool saveState)
    : canvas_(canvas), pen_(canvas.pen), brush_(canvas.brush), font_(canvas.font), mix_(canvas.mix),
      copyMode_(canvas.copyMode) {
    if (saveState) level_ = canvas.Save();
}

TCanvasSaver::~TCanvasSaver() {
    if (level_ > 0) canvas_.Restore(level_);
    canvas_.pen = pen_;
    canvas_.brush = brush_;
    canvas_.font = font_;
    canvas_.mix = mix_;
    canvas_.copyMode = copyMode_;
}

std::unique_ptr<TCanvasSaver> SaveCanvas(TCanvas& canvas, bool saveState) {
    return std::make_unique<TCanvasSaver>(canvas, saveState);
}
std::unique_ptr<TClipSaver> SaveClip(TCanvas& canvas) { return std::make_unique<TClipSaver>(canvas); }
std::unique_ptr<TCanvasLocker> LockCanvas(TCanvas& canvas) { return std::make_unique<TCanvasLocker>(canvas); }
std::unique_ptr<TBitmapCanvasProtector> ProtectBitmapCanvases() { return std::make_unique<TBitmapCanvasProtector>(); }

bool HasDIBSection(const TCanvas& canvas) { return !canvas.image().isNull(); }
