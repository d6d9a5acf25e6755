#include "imaging/metafile/Dib.h"

#include "imaging/codecs/Bmp.h"
#include "platform/Exception.h"

#include <QtEndian>

namespace metafile {

namespace {

QImage drawable(QImage img) {
    switch (img.format()) {
        case QImage::Format_Mono:
        case QImage::Format_Indexed8:
        case QImage::Format_BGR888:
        case QImage::Format_RGB32:
        case QImage::Format_ARGB32:
        case QImage::Format_Grayscale8:
            return img;
        default:
            return img.convertToFormat(QImage::Format_RGB32);
    }
}

// The BMP file a DIB makes with a file header in front; the file header's size and
// offset fields are not read.
QByteArray asBmp(QByteArrayView header, QByteArrayView bits) {
    QByteArray file("BM", 2);
    file.append(12, '\0');
    file.append(header.data(), header.size());
    file.append(bits.data(), bits.size());
    return file;
}

}  // namespace

QImage decodeDib(QByteArrayView info, QByteArrayView bits, bool* bottomUp, bool alpha) {
    if (info.size() < 12) return {};
    try {
        // The colour table may be followed by padding: only header and table are kept.
        const codecs::BmpLayout layout = codecs::ReadBmpLayout(asBmp(info, bits));
        if (layout.headerAndTable > info.size()) return {};
        const QByteArray file = asBmp(info.first(layout.headerAndTable), bits);
        const std::uint32_t headerSize = qFromLittleEndian<std::uint32_t>(info.data());
        const bool up = headerSize == 12 || qFromLittleEndian<std::int32_t>(info.data() + 8) > 0;
        if (bottomUp) *bottomUp = up;
        QImage img = codecs::ReadBmp(file);
        if (alpha && headerSize >= 40 && img.format() == QImage::Format_RGB32 &&
            qFromLittleEndian<std::uint16_t>(info.data() + 14) == 32) {
            // The reader made the pixels opaque; the fourth bytes are read again.
            img = img.convertToFormat(QImage::Format_ARGB32_Premultiplied);
            const qsizetype stride = qsizetype(img.width()) * 4;
            for (int y = 0; y < img.height(); ++y) {
                const qsizetype row = up ? img.height() - 1 - y : y;
                const char* s = bits.data() + row * stride;
                auto* d = reinterpret_cast<QRgb*>(img.scanLine(y));
                for (int x = 0; x < img.width(); ++x)
                    d[x] = (d[x] & 0x00FFFFFFu) | (std::uint32_t(std::uint8_t(s[4 * x + 3])) << 24);
            }
            return img;
        }
        return drawable(img);
    } catch (const Exception&) {
        return {};
    }
}

QImage decodePackedDib(QByteArrayView packed, bool* bottomUp) {
    if (packed.size() < 12) return {};
    try {
        const codecs::BmpLayout layout = codecs::ReadBmpLayout(asBmp(packed, {}));
        if (layout.headerAndTable > packed.size()) return {};
        return decodeDib(packed.first(layout.headerAndTable), packed.sliced(layout.headerAndTable),
                         bottomUp);
    } catch (const Exception&) {
        return {};
    }
}

}  // namespace metafile
