#pragma once
// Device-independent bitmaps inside metafile records: an information header with its
// colour table, and the pixel bits, each at its own offset in the record.

#include <QByteArrayView>
#include <QImage>

namespace metafile {

// The picture, in a format the canvas draws; a null image when the header or the bits
// are not a bitmap's or the bits are shorter than the header declares. `bottomUp`
// receives whether rows are stored from the bottom. With `alpha`, a 32-bit bitmap keeps
// its fourth bytes as premultiplied alpha (Format_ARGB32_Premultiplied).
QImage decodeDib(QByteArrayView info, QByteArrayView bits, bool* bottomUp = nullptr,
                 bool alpha = false);

// A packed DIB (header, table, bits one after another), as WMF records carry it.
QImage decodePackedDib(QByteArrayView packed, bool* bottomUp = nullptr);

}  // namespace metafile
