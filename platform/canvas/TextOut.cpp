#include "platform/canvas/TextOut.h"

#include <QPainter>
#include <QPainterPath>
#include <QTransform>
#include <cmath>

namespace platform {

namespace {

// The logical-to-device mapping as a transform on real coordinates.
QTransform deviceTransform(const Mapping& m) {
    double sx = 1, sy = 1;
    if (m.mode == MapMode::Anisotropic) {
        sx = double(m.viewportExtent.width()) / m.windowExtent.width();
        sy = double(m.viewportExtent.height()) / m.windowExtent.height();
    }
    return QTransform(sx, 0, 0, sy, m.viewportOrigin.x() - m.windowOrigin.x() * sx,
                      m.viewportOrigin.y() - m.windowOrigin.y() * sy);
}

QPoint rounded(QPointF p) {
    return {int(std::lround(p.x())), int(std::lround(p.y()))};
}

void recordOutline(Canvas& canvas, const QPainterPath& logical) {
    const int n = logical.elementCount();
    for (int i = 0; i < n;) {
        const QPainterPath::Element e = logical.elementAt(i);
        if (e.isMoveTo()) {
            canvas.moveTo(rounded(e));
            ++i;
        } else if (e.isLineTo()) {
            canvas.lineTo(rounded(e));
            ++i;
        } else {
            std::vector<QPoint> curve;
            for (int k = 0; k < 3 && i < n; ++k, ++i)
                curve.push_back(rounded(logical.elementAt(i)));
            canvas.polyBezierTo(curve);
        }
        if (i >= n || logical.elementAt(i).isMoveTo()) canvas.closeFigure();
    }
}

}  // namespace

void fillOutline(Canvas& canvas, const QPainterPath& logical, TColor color) {
    if (canvas.inPath()) {
        recordOutline(canvas, logical);
        return;
    }
    const QPainterPath device = deviceTransform(canvas.mapping()).map(logical);
    QImage& image = canvas.image();
    const QRegion clip = canvas.clipRegion() ? canvas.clipRegion()->intersected(image.rect())
                                             : QRegion(image.rect());
    // Cut to the clip before rounding: outlines far away do not fit the integers.
    const QRect area = device.controlPointRect()
                           .adjusted(-1, -1, 1, 1)
                           .intersected(QRectF(clip.boundingRect()))
                           .toAlignedRect()
                           .intersected(clip.boundingRect());
    if (area.isEmpty()) return;
    // The coverage of every pixel, then the colour blended in by coverage.
    QImage coverage(area.size(), QImage::Format_Alpha8);
    coverage.fill(0);
    {
        QPainter p(&coverage);
        p.setRenderHint(QPainter::Antialiasing);
        p.translate(-area.topLeft());
        p.fillPath(device, QColor(0, 0, 0, 255));
    }
    const QRgb c = colorToRgb(color);
    const int cr = qRed(c), cg = qGreen(c), cb = qBlue(c);
    for (const QRect& part : clip.intersected(area)) {
        for (int y = part.top(); y <= part.bottom(); ++y) {
            const uchar* a = coverage.constScanLine(y - area.top());
            QRgb* row = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = part.left(); x <= part.right(); ++x) {
                const int k = a[x - area.left()];
                if (k == 0) continue;
                const QRgb d = row[x];
                const auto mix = [k](int from, int to) {
                    return from + ((to - from) * k + (to > from ? 127 : -127)) / 255;
                };
                row[x] =
                    (d & 0xFF000000u) |
                    (qRgb(mix(qRed(d), cr), mix(qGreen(d), cg), mix(qBlue(d), cb)) & 0x00FFFFFFu);
            }
        }
    }
}

void textOut(Canvas& canvas, QPointF reference, const QString& text) {
    textOut(canvas, TextFont(canvas.tools().font), reference, text);
}

void textOut(Canvas& canvas, const TextFont& font, QPointF reference, const QString& text) {
    if (text.isEmpty()) return;
    if (!canvas.inPath() && canvas.tools().backgroundMode == BackgroundMode::Opaque) {
        QPainterPath cell;
        cell.addPolygon(font.cell(text, reference));
        fillOutline(canvas, cell, canvas.tools().backgroundColor);
    }
    fillOutline(canvas, font.outline(text, reference), canvas.tools().font.color);
}

}  // namespace platform
