#pragma once
// PNG through libpng: decoding (palette, grey, RGB and RGBA, any bit depth, interlaced)
// with the tRNS transparent colour reported, and encoding.

#include <QByteArray>
#include <QByteArrayView>
#include <QImage>
#include <optional>

namespace codecs {

struct PngPicture {
    QImage image;  // Indexed8, Grayscale8, BGR888 or ARGB32 (when the file has alpha)
    std::optional<QRgb> transparentColor;  // a tRNS colour of grey and RGB pictures
    qsizetype consumed = 0;                // bytes up to and including the IEND chunk
};

// Raises Exception with the codec's message when libpng rejects the data.
PngPicture DecodePng(QByteArrayView data);
QByteArray EncodePng(const QImage& image, std::optional<QRgb> transparentColor = std::nullopt);

}  // namespace codecs
