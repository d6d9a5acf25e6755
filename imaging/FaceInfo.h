#pragma once
// TFaceInfo: the outline of one face of a paper (a label, a CD label with its centre
// hole, a card or a cover), in the paper's logical units: its kind, bleed margin, hole and
// corner size. It draws the outline, trim line and hole, and builds the clip region a
// face's objects are painted in.

#include "imaging/Stroke.h"
#include "platform/Geometry.h"
#include "platform/canvas/Canvas.h"

#include <QRegion>
#include <QString>
#include <QStringList>
#include <cstdint>

enum TFaceShape : std::uint8_t { fsRect, fsDoughnut, fsEllipse, fsRoundRect, fsRectCD, fsBarrelCD };
enum TCenterShape : std::uint8_t { csEllipse, csBarrel };

// The display names of the face shapes, in TFaceShape order.
QStringList FaceShapeNames();

class TFaceInfo {
public:
    TRect FaceRect;
    TFaceShape FaceShape = fsRect;
    QString FacePurpose;
    int FaceMargin = 0;
    int CutCenterWidth = 410;
    int CutCenterHeight = 410;
    TCenterShape CenterShape = csEllipse;
    int RoundSize = 100;

    bool operator==(const TFaceInfo&) const = default;

    TRect OuterRect() const;
    TRect HoleRect() const;
    TRect HoleOutlineRect() const;
    bool HasHole() const { return FaceShape == fsDoughnut || FaceShape == fsRectCD || FaceShape == fsBarrelCD; }
    bool IsRounded() const { return FaceShape == fsRoundRect || FaceShape == fsRectCD; }

    void SetSquareHole(int size) { CutCenterWidth = CutCenterHeight = size; }
    void SetFromOuterRect(const TRect& outer);
    // Reads a face type number of older papers into FaceShape and FacePurpose; unknown
    // numbers change nothing.
    void SetFromOldFaceType(int type);

    // With the canvas's current pen and brush.
    void DrawOutline(platform::Canvas& canvas, bool relative, bool cross) const;
    void DrawTrimLine(platform::Canvas& canvas, bool relative) const;
    void DrawHole(platform::Canvas& canvas, bool relative) const;

    // The face's region in device pixels of `canvas` (logical units when none), with the
    // hole cut out when asked and present.
    QRegion Region(const platform::Canvas* canvas, bool withHole) const;

private:
    void drawKind(platform::Canvas& c, const TRect& r) const;
    void drawHoleShape(platform::Canvas& c, const TRect& r) const;
};

// The barrel outline of a rectangle: the rectangle cut by the circle whose diameter is its
// longer side, as an open point list (closed by the path that uses it).
TStroke BarrelOutline(const TRect& r);
