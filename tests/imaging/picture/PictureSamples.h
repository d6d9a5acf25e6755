#pragma once
// Pictures and files the picture tests build for themselves.

#include <QByteArray>
#include <QImage>

namespace samples {

// A w x h picture of distinct colours (format BGR888 unless asked otherwise).
QImage Colourful(int w, int h, QImage::Format format = QImage::Format_BGR888);
// The JPEG of Colourful(w, h), with an Exif APP1 segment when asked.
QByteArray Jpeg(int w, int h, bool exif = false);
// An enhanced metafile header (and nothing else) with a frame of w x h in 0.01 mm.
QByteArray Emf(int frameWidth, int frameHeight, int extraBytes = 0);
// A placeable metafile: its 22-byte header and a minimal metafile header.
QByteArray PlaceableWmf(int width, int height, int unitsPerInch);
// An icon file of one 32-bit image whose left half is transparent by its AND mask.
QByteArray Icon(int w, int h);
QByteArray le16(int v);
QByteArray le32(std::uint32_t v);

}  // namespace samples
