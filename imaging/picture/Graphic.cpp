#include "imaging/picture/Graphic.h"

#include "document/stream/Stream.h"

#include <QScopeGuard>

void TGraphic::LoadFromFile(const QString& path) {
    TFileStream file(path, TFileStream::OpenRead);
    QByteArray bytes(qsizetype(file.Size()), Qt::Uninitialized);
    file.ReadBuffer(bytes.data(), bytes.size());
    TMemoryStream memory(std::move(bytes));
    LoadFromStream(memory);
}

void TGraphic::SaveToFile(const QString& path) const {
    TMemoryStream memory;
    SaveToStream(memory);
    TFileStream file(path, TFileStream::Create);
    file.WriteBytes(memory.Data());
}

QImage DrawableImage(const QImage& image) {
    switch (image.format()) {
        case QImage::Format_Mono:
        case QImage::Format_Indexed8:
        case QImage::Format_Grayscale8:
        case QImage::Format_BGR888:
        case QImage::Format_RGB32:
        case QImage::Format_ARGB32:
            return image;
        default:
            return image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32
                                                                 : QImage::Format_BGR888);
    }
}

void DrawImage(platform::Canvas& canvas, const TRect& rect, const QImage& image,
               const QImage* mask) {
    if (image.isNull()) return;
    const QImage src = DrawableImage(image);
    // Monochrome masks draw as 0 = black, 1 = white. The tools are put back afterwards.
    const platform::CanvasTools saved = canvas.tools();
    const auto restore = qScopeGuard([&] { canvas.tools() = saved; });
    canvas.tools().backgroundColor = clWhite;
    canvas.tools().textColor = clBlack;
    if (mask) {
        canvas.tools().stretchMode = platform::StretchMode::ColorOnColor;
        const QRect all(0, 0, src.width(), src.height());
        canvas.stretchBlt(rect, *mask, all, platform::MERGEPAINT);
        canvas.stretchBlt(rect, src, all, platform::SRCAND);
    } else {
        // Colour pictures shrink by dropping rows and columns: combining them the way
        // monochrome pictures keep their lines would darken a photo and blur its edges.
        if (src.depth() >= 24) canvas.tools().stretchMode = platform::StretchMode::ColorOnColor;
        canvas.stretchBlt(rect, src, QRect(0, 0, src.width(), src.height()),
                          canvas.tools().copyMode);
    }
}
