#pragma once
// Photo files for the colour-matching tests: JPEGs written with libjpeg carrying an
// embedded ICC profile (made with LittleCMS) and Exif data built byte by byte.

#include <QByteArray>
#include <QImage>

QByteArray AdobeRgbProfile();
QByteArray SrgbProfile();

struct ExifFields {
    int colourSpace = -1;                // Exif ColorSpace; -1 leaves the tag out
    bool interopR03 = false;             // InteroperabilityIndex "R03" (Adobe RGB)
    int contrast = -1, saturation = -1;  // Exif Print tags; -1 leaves them out
};
// The APP1 payload: "Exif\0\0" and a little-endian TIFF structure.
QByteArray ExifSegment(const ExifFields& fields);

// Saturated colour ramps, so colour-space changes show.
QImage TestPixels(int width = 64, int height = 48);
QByteArray MakeJpeg(const QImage& image, const QByteArray& icc = {}, const QByteArray& exif = {},
                    int quality = 95);
// An uncompressed RGB TIFF file, with the profile embedded when given; the rows are
// written in the order given, `bottomUp` marks the first as the bottom one.
bool WriteTiff(const QString& path, const QImage& image, const QByteArray& icc = {},
               bool bottomUp = false);
// Decodes a JPEG to RGB888 with libjpeg.
QImage DecodeJpegFile(const QString& path);

// The mean absolute difference per channel of two pictures of one size.
double MeanDifference(const QImage& a, const QImage& b);
