#pragma once
// Writes enhanced metafiles record by record: the header is written last, with the record
// count, the handle count and the bounds. The reference device is 96 pixels per inch,
// so one picture pixel is one unit in text mode and the frame is the picture's size in
// 0.01 mm. Objects get the lowest free handle (from 1).

#include "platform/canvas/Color.h"

#include <QByteArray>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <QTransform>
#include <set>
#include <vector>

namespace metafile {

class EmfWriter {
public:
    explicit EmfWriter(QSize size);

    // A record of `type` with the parameters after type and size (padded to 4 bytes).
    void record(std::uint32_t type, const QByteArray& params = {});

    // --- state ---
    void setMapMode(int mode);
    void setWindowOrg(QPoint p);
    void setWindowExt(QSize s);
    void setViewportOrg(QPoint p);
    void setViewportExt(QSize s);
    void setWorldTransform(const QTransform& t);
    void setTextColor(TColor c);
    void setBkColor(TColor c);
    void setBkMode(int mode);  // 1 transparent, 2 opaque
    void setTextAlign(int align);
    void setPolyFillMode(int mode);
    void setRop2(int rop);
    void saveDC();
    void restoreDC(int relative = -1);
    void intersectClipRect(QRect r);  // r's right and bottom are exclusive
    void excludeClipRect(QRect r);
    void setMetaRegion();

    // --- objects: the handle they got ---
    std::uint32_t createPen(int style, int width, TColor color);
    std::uint32_t createBrush(int style, TColor color,
                              int hatch = 0);  // 0 solid, 1 null, 2 hatched
    std::uint32_t createPatternBrush(const QImage& pattern);
    std::uint32_t createFont(int height, const QString& face, int weight = 400, int escapement = 0);
    void selectObject(std::uint32_t handle);  // stock objects: 0x80000000 | index
    void deleteObject(std::uint32_t handle);

    // --- drawing (logical units; rectangles with exclusive right and bottom) ---
    void moveTo(QPoint p);
    void lineTo(QPoint p);
    void rectangle(QRect r);
    void ellipse(QRect r);
    void roundRect(QRect r, QSize corner);
    void arc(int type, QRect box, QPoint start, QPoint end);  // EMR_ARC, CHORD, PIE, ARCTO
    void polygon(const std::vector<QPoint>& pts, bool small = false);
    void polyline(const std::vector<QPoint>& pts, bool small = false);
    void polyBezier(const std::vector<QPoint>& pts);
    void polyPolygon(const std::vector<std::vector<QPoint>>& polys, bool small = false);
    void beginPath();
    void endPath();
    void closeFigure();
    void fillPath();
    void strokePath();
    void selectClipPath(int mode);
    // EXTTEXTOUTW with advances (empty: none).
    void textOut(QPoint p, const QString& text, const std::vector<int>& dx = {});
    // STRETCHDIBITS of the whole picture as a 24-bit DIB (32-bit when it has alpha).
    void stretchDIBits(QRect dest, const QImage& image, std::uint32_t rop = 0x00CC0020);
    // ALPHABLEND with a premultiplied 32-bit DIB.
    void alphaBlend(QRect dest, const QImage& image, int constantAlpha = 255);

    // The finished file: records, end-of-file record, header in front.
    QByteArray finish() const;

private:
    std::uint32_t newHandle();
    void points(std::uint32_t type, const std::vector<QPoint>& pts, bool small);

    QSize size_;
    QByteArray body_;
    std::uint32_t records_ = 0;
    std::uint32_t handles_ = 1;  // the highest handle in use plus one
    std::set<std::uint32_t> freed_;
};

// The whole picture as an enhanced metafile of one bitmap record.
QByteArray emfFromImage(const QImage& image);

}  // namespace metafile
