#pragma once
// Warping a rectangle of a picture onto any four-cornered shape (nearest pixel, one
// affine step per pixel), and rotation built on it.

#include <QImage>
#include <QPoint>
#include <QRect>
#include <array>

struct TQuadMapResult {
    QImage image;    // the source's format (and palette), the size of the targets' extent
    QPoint topLeft;  // where the result is placed: the targets' minimum x and y
};

// T0 receives the rectangle's top-left corner, T1 its top-right, T2 its bottom-right and T3
// its bottom-left; uncovered pixels get `background`. 8-, 15-, 16-, 24- and 32-bit
// pictures; anything else (or an empty source) gives an empty result.
TQuadMapResult MapQuadrilateral(const QImage& src, const QRect& srcRect, const std::array<QPoint, 4>& targets,
                                QRgb background);

// The source mapped onto the rectangle (0, 0)-(w, h) turned by `degrees` about (0, 0),
// clockwise on the page.
QImage Rotate(const QImage& src, double degrees, QRgb background, int w, int h);
