#pragma once
// Gaussian blur in place by a fourth-order recursive filter, whose cost does not depend on
// the radius. A radius r gives sigma = (r + 1) / sqrt(2 ln 255), so the kernel falls to
// 1/255 of its peak at distance r + 1. 8-, 24- and 32-bit pictures, channel by channel.

#include <QImage>
#include <QRect>

void Blur(QImage& img, const QRect& rect, int verticalRadius, int horizontalRadius);

// The sigma used for a radius (for tests and callers that show it).
double BlurSigma(int radius);
