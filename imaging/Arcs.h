#pragma once
// Three-point arcs, bulged chords and arc bands: the geometry of text on an arc, of curve
// shapes and of barrel-shaped faces. Angles are radians in device orientation (y grows
// downwards), so increasing angles run clockwise on the screen; each is kept in 0..2π.

#include "platform/Geometry.h"

#include <QPoint>
#include <vector>

struct TArcRec {
    int CenterX = 0, CenterY = 0;
    int Radius = 0;
    double StartAngle = 0, EndAngle = 0;
};

struct TCircle {
    QPoint Center;
    double Radius;
};

// The circle through three points; collinear points give their centroid and the distance
// from it to P2.
TCircle Circumcentre(QPoint p1, QPoint p2, QPoint p3);

// The arc from S through P to E; a radius below 1 gives an empty record (angles 0).
TArcRec ArcFrom3Points(QPoint s, QPoint p, QPoint e);

// The signed height of the arc S-P-E over its chord: positive to the left of S→E on the
// screen (above a left-to-right chord), 0 for collinear points.
int SignedBulge(QPoint s, QPoint p, QPoint e);

// The point on the arc over chord S-E with the given bulge (clamped to ±4000).
QPoint MiddleFromBulge(QPoint s, QPoint e, int bulge);

// The arc over chord S-E with the given bulge; false (no arc) for a chord shorter than
// 0.9 with a bulge of 1 or more.
bool ArcFromChord(QPoint s, QPoint e, int bulge, TArcRec& arc);

QPoint ArcPointAt(const TArcRec& arc, double angle);  // rounded half away from zero
QPoint ArcStartPoint(const TArcRec& arc);
QPoint ArcMiddlePoint(const TArcRec& arc);
QPoint ArcEndPoint(const TArcRec& arc);
// The box of the start and end points and every extreme of the circle the arc passes;
// Right and Bottom are coordinates reached (not one past them).
TRect ArcBounds(const TArcRec& arc);

// The thin arc S-P-E as a polyline (first point: move): a quadratic curve of eight pieces
// when the bulge is at most 20 or the radius above 7999, else 2-degree steps.
std::vector<QPoint> ThinArcPolyline(QPoint s, QPoint p, QPoint e);

// The arc S-P-E drawn with a pen `penWidth` wide, as one closed polygon.
std::vector<QPoint> ThickArcPolygon(QPoint s, QPoint p, QPoint e, int penWidth);

namespace platform {
class Canvas;
}
// The thin arc as lines on a canvas (logical units).
void DrawThinArc(platform::Canvas& canvas, QPoint s, QPoint p, QPoint e);
// The arc as a closed band as wide as the canvas's pen, drawn with a zero-width pen
// (callers draw it inside a path to clip or fill with it).
void DrawThickArc(platform::Canvas& canvas, QPoint s, QPoint p, QPoint e);
