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
    dest.tools().copyMode = source.tools().copyMode;
    dest.tools().font = source.tools().font;
    dest.tools().pen = source.tools().pen;
    dest.tools().brush = source.tools().brush;
}

TCanvasSaver::TCanvasSaver(TCanvas& canvas, bool saveState)
    : canvas_(canvas),
      pen_(canvas.tools().pen),
      brush_(canvas.tools().brush),
      font_(canvas.tools().font),
      mix_(canvas.tools().mix),
      copyMode_(canvas.tools().copyMode) {
    if (saveState) level_ = canvas.save();
}

TCanvasSaver::~TCanvasSaver() {
    if (level_ > 0) canvas_.restore(level_);
    canvas_.tools().pen = pen_;
    canvas_.tools().brush = brush_;
    canvas_.tools().font = font_;
    canvas_.tools().mix = mix_;
    canvas_.tools().copyMode = copyMode_;
}

std::unique_ptr<TCanvasSaver> SaveCanvas(TCanvas& canvas, bool saveState) {
    return std::make_unique<TCanvasSaver>(canvas, saveState);
}
std::unique_ptr<TClipSaver> SaveClip(TCanvas& canvas) { return std::make_unique<TClipSaver>(canvas); }
std::unique_ptr<TCanvasLocker> LockCanvas(TCanvas& canvas) { return std::make_unique<TCanvasLocker>(canvas); }
std::unique_ptr<TBitmapCanvasProtector> ProtectBitmapCanvases() { return std::make_unique<TBitmapCanvasProtector>(); }

bool HasDIBSection(const TCanvas& canvas) { return !canvas.image().isNull(); }
