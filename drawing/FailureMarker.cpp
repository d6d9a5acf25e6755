#include "drawing/FailureMarker.h"

#include <QFont>
#include <QPainter>
#include <algorithm>

namespace {
constexpr TColor kRed = 0x0000FF;
}

QString PaintFailedCaption() {
    return QStringLiteral("描画に失敗しました");
}

void DrawPaintFailureMarker(TCanvas& canvas, const TRect& rect) {
    TCanvasSaver saver(canvas, false);
    canvas.tools().pen = platform::Pen{platform::PenStyle::Solid, 1, kRed};
    canvas.tools().brush = platform::Brush{platform::BrushStyle::DiagCross, kRed, {}};
    canvas.rectangle(rect);

    // The canvas has no text output of its own yet: the caption goes straight onto its
    // picture, inside its clip, in black on the hatching.
    const QPoint origin = canvas.toDevice(QPoint(rect.Left + 1, rect.Top + 1));
    const TRect device = canvas.toDevice(rect);
    QPainter painter(&canvas.image());
    QRegion clip(device.toQRect());
    if (canvas.clipRegion()) clip &= *canvas.clipRegion();
    painter.setClipRegion(clip);
    QFont font(QStringLiteral("System"));
    font.setPixelSize(std::max(1, 12 * canvas.tools().font.pixelsPerInch / 72));
    painter.setFont(font);
    painter.setPen(QColor(Qt::black));
    painter.drawText(QRect(origin, QSize(std::max(1, device.Right - origin.x()),
                                         std::max(1, device.Bottom - origin.y()))),
                     Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, PaintFailedCaption());
}
