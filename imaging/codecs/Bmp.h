#pragma once
// BMP files: our own reader (every header and bit depth the format has in practice: core
// and information headers, 1/4/8/16/24/32 bits, run-length and bit-field data) and writer.
// Pictures come back as Format_Mono (1 bit), Format_Indexed8 (4 and 8 bits, palette kept),
// Format_RGB555 / Format_RGB16 (16 bits), Format_BGR888 (24) or Format_RGB32 (32).

#include <QByteArray>
#include <QByteArrayView>
#include <QImage>

namespace codecs {

struct BmpLayout {
    qsizetype headerAndTable = 0;  // information header plus colour table (or masks)
    qsizetype pixelBytes = 0;      // the pixel data, which follows the table directly
    qsizetype total() const { return 14 + headerAndTable + pixelBytes; }
};

// The sizes a BMP at the start of `data` declares; raises "ビットマップイメージが不正です"
// when the header is not a BMP's or does not fit in `data`.
BmpLayout ReadBmpLayout(QByteArrayView data);

// Decodes the BMP at the start of `data`; `consumed` receives layout.total(). Every size is
// checked against the bytes present before anything is allocated.
QImage ReadBmp(QByteArrayView data, qsizetype* consumed = nullptr);

// A BMP file with a 40-byte information header, rows bottom-up.
QByteArray WriteBmp(const QImage& image);

}  // namespace codecs
