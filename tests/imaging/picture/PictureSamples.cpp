#include "tests/imaging/picture/PictureSamples.h"

#include "imaging/codecs/Jpeg.h"

namespace samples {

QByteArray le16(int v) {
    return QByteArray(1, char(v & 255)) + char((v >> 8) & 255);
}
QByteArray le32(std::uint32_t v) {
    return le16(int(v & 0xFFFF)) + le16(int(v >> 16));
}

QImage Colourful(int w, int h, QImage::Format format) {
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, qRgb((x * 37 + y) & 255, (y * 53) & 255, (x * y * 7) & 255));
    return img.convertToFormat(format);
}

QByteArray Jpeg(int w, int h, bool exif) {
    QByteArray jpeg = codecs::EncodeJpeg(Colourful(w, h));
    if (exif) {
        // "Exif\0\0", a little-endian TIFF header and an empty IFD0.
        const QByteArray payload = QByteArray("Exif\0\0II*\0", 10) + le32(8) + le16(0) + le32(0);
        QByteArray app1("\xFF\xE1", 2);
        app1 += char((payload.size() + 2) >> 8);
        app1 += char((payload.size() + 2) & 255);
        jpeg.insert(2, app1 + payload);
    }
    return jpeg;
}

QByteArray Emf(int frameWidth, int frameHeight, int extraBytes) {
    QByteArray b = le32(1) + le32(88 + std::uint32_t(extraBytes));  // EMR_HEADER, its size
    b += le32(0) + le32(0) + le32(99) + le32(49);                   // bounds
    b += le32(0) + le32(0) + le32(std::uint32_t(frameWidth)) + le32(std::uint32_t(frameHeight));
    b += le32(0x464D4520);  // " EMF"
    b += QByteArray(88 - b.size(), '\0');
    b += QByteArray(extraBytes, '\x5A');
    return b;
}

QByteArray PlaceableWmf(int width, int height, int unitsPerInch) {
    QByteArray b = le32(0x9AC6CDD7) + le16(0) + le16(0) + le16(0) + le16(width) + le16(height) +
                   le16(unitsPerInch);
    b += le32(0) + le16(0);
    b += le16(1) + le16(9) + le16(0x300) + le32(12) + le16(0) + le32(3) +
         le16(0);            // metafile header
    b += le32(3) + le16(0);  // end record
    return b;
}

QByteArray Icon(int w, int h) {
    QByteArray dib = le32(40) + le32(std::uint32_t(w)) + le32(std::uint32_t(2 * h)) + le16(1) +
                     le16(32) + le32(0) + le32(0) + le32(0) + le32(0) + le32(0) + le32(0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) dib += QByteArray("\x10\x80\xF0\xFF", 4);  // opaque orange-ish
    const int maskStride = (w + 31) / 32 * 4;
    for (int y = 0; y < h; ++y) {
        QByteArray row(maskStride, '\0');
        for (int x = 0; x < w / 2; ++x) row[x >> 3] = char(uchar(row[x >> 3]) | (0x80 >> (x & 7)));
        dib += row;
    }
    QByteArray file = le16(0) + le16(1) + le16(1);
    file += char(w) + QByteArray(1, char(h)) + QByteArray(2, '\0') + le16(1) + le16(32);
    file += le32(std::uint32_t(dib.size())) + le32(6 + 16);
    return file + dib;
}

}  // namespace samples
