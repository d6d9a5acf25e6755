#pragma once
// The device context a metafile plays into: the state its records change (mapping, world
// transform, selected pen, brush and font, colours and modes, clip, current position),
// the save/restore stack, and drawing in logical units of the metafile onto a canvas.
// Points go through world transform, page mapping and the fit of the picture's frame into
// the destination, and reach the canvas in device pixels (the canvas is switched to text
// mode at the device origin for the duration of the playback).

#include "platform/canvas/Canvas.h"

#include <QByteArrayView>
#include <QImage>
#include <QPainterPath>
#include <QPointF>
#include <QRectF>
#include <QRegion>
#include <QString>
#include <QTransform>
#include <optional>
#include <vector>

namespace metafile {

struct PenSpec {
    int style = 0;     // PS_* (low byte), 5 = null
    double width = 0;  // logical units; 0 is a one-pixel pen
    bool cosmetic = true;
    TColor color = clBlack;
};

struct BrushSpec {
    int style = 0;  // 0 solid, 1 null, 2 hatched, 3 pattern
    TColor color = clWhite;
    int hatch = 0;  // HS_*
    QImage pattern;
};

struct FontSpec {
    int height = 0;  // logical units; negative: character height
    int width = 0;
    int escapement = 0;
    int weight = 400;
    bool italic = false, underline = false, strikeOut = false;
    int charset = 1;
    QString face;
};

struct GdiObject {
    enum class Type { Empty, Pen, Brush, Font, Region, Other } type = Type::Empty;
    PenSpec pen;
    BrushSpec brush;
    FontSpec font;
    QRegion region;  // WMF regions, in logical units
};

// How device units of the picture relate to millimetres (fixed map modes) and to the
// canvas (the frame fitted into the destination).
struct Reference {
    double pixelsPerMmX = 96 / 25.4, pixelsPerMmY = 96 / 25.4;
    QTransform base;  // picture device units to canvas device pixels
    // The window and viewport a WMF starts with (its bounding box); EMFs start at 0, 1.
    QPointF origin{0, 0};
    QSizeF extent{1, 1};
};

class GdiContext {
public:
    GdiContext(platform::Canvas& canvas, const Reference& ref);

    platform::Canvas& canvas() { return canvas_; }

    // --- state ---
    struct State {
        int mapMode = 1;  // MM_TEXT
        QPointF windowOrg, viewportOrg;
        QSizeF windowExt{1, 1}, viewportExt{1, 1};
        QTransform world;
        PenSpec pen;
        BrushSpec brush;
        FontSpec font;
        TColor textColor = clBlack, bkColor = clWhite;
        int bkMode = 2;  // OPAQUE
        int rop2 = 13;   // R2_COPYPEN
        int polyFill = 1;
        int textAlign = 0;
        int stretchMode = 1;
        bool clockwise = false;
        QPointF current;
        std::optional<QRegion> clip;  // canvas device pixels; none: the meta region only
        QRegion meta;                 // the meta region (the destination to begin with)
    };
    State& state() { return s_; }
    void save();
    void restore(int which);  // negative: relative; positive: absolute level
    void setMapMode(int mode);
    void changedMapping();  // after the window, viewport or world transform changed

    // --- conversions ---
    QPointF toDevice(QPointF logical) const { return full_.map(logical); }
    QPoint toDevicePoint(QPointF logical) const;
    double lengthScale() const;  // logical length to device pixels
    const QTransform& reference() const { return ref_.base; }
    bool axisAligned() const { return full_.m12() == 0 && full_.m21() == 0; }

    // --- drawing (logical units) ---
    void moveTo(QPointF p);
    void lineTo(QPointF p);
    void polyline(const std::vector<QPointF>& pts);
    void polylineTo(const std::vector<QPointF>& pts);
    void polyBezier(const std::vector<QPointF>& pts, bool fromCurrent);
    void polygons(const std::vector<std::vector<QPointF>>& polys);
    void polylines(const std::vector<std::vector<QPointF>>& lines);
    void polyDraw(const std::vector<QPointF>& pts, const std::vector<std::uint8_t>& types);
    void rectangle(QRectF box);
    void roundRect(QRectF box, QSizeF corner);
    void ellipse(QRectF box);
    // kind: 0 arc, 1 arc-to, 2 pie, 3 chord
    void arc(int kind, QRectF box, QPointF start, QPointF end);
    void angleArc(QPointF centre, double radius, double startDeg, double sweepDeg);
    void setPixel(QPointF p, TColor c);
    void patBlt(QRectF box, std::uint32_t rop);
    // Text at `ref` with per-character advances (logical units, may be empty); `opaque`
    // and `clipRect` from the text-out options.
    void text(QPointF ref, const QString& text, const std::vector<double>& dx,
              std::optional<QRectF> opaqueRect, std::optional<QRectF> clipRect);
    // A picture from source rectangle `src` (pixels of `image`) into `dest` (logical).
    void drawImage(QRectF dest, const QImage& image, QRectF src, std::uint32_t rop);
    // Alpha blending (premultiplied source when `perPixel`) or a transparent colour key.
    void blendImage(QRectF dest, const QImage& image, QRectF src, int constantAlpha, bool perPixel);
    void transparentImage(QRectF dest, const QImage& image, QRectF src, TColor key);
    // Regions in canvas device pixels.
    void fillRegion(const QRegion& device, const BrushSpec& brush);
    void frameRegion(const QRegion& device, const BrushSpec& brush, QSizeF logicalSize);
    void invertRegion(const QRegion& device);

    // --- clipping ---
    QRegion deviceRect(QRectF logical) const;  // a logical rectangle as device pixels
    QRegion deviceRegion(const QRegion& logical) const;
    void combineClip(const QRegion& device, int mode);  // RGN_AND .. RGN_COPY
    void resetClip();
    void offsetClip(QPointF logicalOffset);
    void setMetaRegion();
    void selectClipPath(int mode);

    // --- paths ---
    void beginPath();
    void endPath();
    void closeFigure();
    void abortPath();
    void fillPath();
    void strokePath();
    void strokeAndFillPath();
    void widenPath();

private:
    void applyPen();
    void applyBrush(const BrushSpec& b);
    void applyModes();
    void applyClip();
    void shape(const std::vector<QPointF>& outline, bool fill);
    std::vector<QPoint> devicePoints(const std::vector<QPointF>& pts) const;
    QRect clampedDeviceBox(QRectF logical) const;
    QRegion visible() const;
    QRegion boundedRegion(const QPainterPath& device, Qt::FillRule rule) const;

    platform::Canvas& canvas_;
    Reference ref_;
    State s_;
    std::vector<State> stack_;
    QTransform full_;
};

// Clamps a device coordinate to what the canvas's fixed-point scan conversion holds.
int clampDevice(double v);

}  // namespace metafile
