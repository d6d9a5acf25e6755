#pragma once
// JPEG through libjpeg: decoding at full, 1/2, 1/4 or 1/8 scale into 24-bit pictures,
// encoding, and what the file says about itself. Callers keep the original file bytes for
// storage; decoding never changes them.

#include <QByteArray>
#include <QByteArrayView>
#include <QImage>

namespace codecs {

struct JpegInfo {
    int width = 0, height = 0, components = 0;
    bool hasExif = false;  // an APP1 segment beginning "Exif\0\0"
};

// Raises Exception with the codec's message for data that is not a readable JPEG.
JpegInfo ReadJpegInfo(QByteArrayView data);

// Decodes at 1/scale (scale 1, 2, 4 or 8) into Format_BGR888. `fast` trades accuracy
// for speed (the fast integer transform, no smoothing of subsampled colour): thumbnails.
QImage DecodeJpeg(QByteArrayView data, int scale = 1, bool fast = false);

// The scale (1, 2, 4 or 8) to decode a picture of largest side `sourceSide` at when the
// result needs a largest side of `targetSide`: the smallest decode that is still larger.
int JpegScaleFor(int sourceSide, int targetSide);

QByteArray EncodeJpeg(const QImage& image, int quality = 90);

}  // namespace codecs
