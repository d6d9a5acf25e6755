#pragma once
// Writes placeable Windows metafiles: the placeable header (bounding box in logical units
// and units per inch, with its checksum), the metafile header, then the records. Objects
// take the lowest free slot of the object table, as playback assigns them.

#include "platform/canvas/Color.h"

#include <QByteArray>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>
#include <set>
#include <vector>

namespace metafile {

class WmfWriter {
public:
    // `box`: the picture's rectangle in logical units; `unitsPerInch` its resolution.
    WmfWriter(QRect box, int unitsPerInch);

    // A record of `function` with 16-bit parameter words.
    void record(std::uint16_t function, const std::vector<std::uint16_t>& params = {});

    void setMapMode(int mode);
    void setWindowOrg(QPoint p);
    void setWindowExt(QSize s);
    void setTextColor(TColor c);
    void setBkColor(TColor c);
    void setBkMode(int mode);
    void setTextAlign(int align);
    void saveDC();
    void restoreDC(int relative = -1);
    void intersectClipRect(QRect r);

    // Objects: the slot they take.
    int createPen(int style, int width, TColor color);
    int createBrush(int style, TColor color, int hatch = 0);
    int createFont(int height, const QString& face, int weight = 400, int escapement = 0);
    int createPalette();  // an object that is never drawn
    void selectObject(int slot);
    void deleteObject(int slot);

    void moveTo(QPoint p);
    void lineTo(QPoint p);
    void rectangle(QRect r);  // right and bottom exclusive
    void ellipse(QRect r);
    void roundRect(QRect r, QSize corner);
    void arc(std::uint16_t function, QRect box, QPoint start, QPoint end);  // ARC, PIE, CHORD
    void polygon(const std::vector<QPoint>& pts);
    void polyline(const std::vector<QPoint>& pts);
    void polyPolygon(const std::vector<std::vector<QPoint>>& polys);
    // EXTTEXTOUT with the text in code page 932 and one advance per byte (empty: none).
    void textOut(QPoint p, const QString& text, const std::vector<int>& dx = {});
    void stretchDib(QRect dest, const QImage& image);
    void escape(std::uint16_t function, const QByteArray& data);

    QByteArray finish() const;

private:
    int newSlot();

    QRect box_;
    int inch_;
    QByteArray body_;
    std::uint32_t maxRecord_ = 3;
    int objects_ = 0;
    std::set<int> freed_;
};

}  // namespace metafile
