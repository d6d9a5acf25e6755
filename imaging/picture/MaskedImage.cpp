#include "imaging/picture/MaskedImage.h"

#include <cstring>

namespace {

void setBit(uchar* line, int x) {
    line[x >> 3] |= uchar(0x80 >> (x & 7));
}

int nearestIndex(const QList<QRgb>& table, int r, int g, int b) {
    int best = -1;
    long long bestDistance = 0;
    for (int i = 0; i < table.size(); ++i) {
        const long long dr = qRed(table[i]) - r, dg = qGreen(table[i]) - g,
                        db = qBlue(table[i]) - b;
        const long long d = dr * dr + dg * dg + db * db;
        if (best < 0 || d < bestDistance) best = i, bestDistance = d;
    }
    return best;
}

}  // namespace

QImage BuildTransparencyMask(const QImage& picture, TColor transparent) {
    const int w = picture.width(), h = picture.height();
    QImage mask(w, h, QImage::Format_Mono);
    if (mask.isNull()) return mask;
    mask.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    mask.fill(0);
    const int r = transparent & 0xFF, g = (transparent >> 8) & 0xFF, b = (transparent >> 16) & 0xFF;
    const QRgb rgb = qRgb(r, g, b) & 0xFFFFFFu;
    switch (picture.format()) {
        case QImage::Format_Indexed8: {
            const QList<QRgb> table = picture.colorTable();
            const int index = nearestIndex(table, r, g, b);
            if (index < 0 || (table[index] & 0xFFFFFFu) != rgb) return mask;
            for (int y = 0; y < h; ++y) {
                const uchar* s = picture.constScanLine(y);
                uchar* d = mask.scanLine(y);
                for (int x = 0; x < w; ++x)
                    if (s[x] == index) setBit(d, x);
            }
            return mask;
        }
        case QImage::Format_BGR888:
            for (int y = 0; y < h; ++y) {
                const uchar* s = picture.constScanLine(y);
                uchar* d = mask.scanLine(y);
                for (int x = 0; x < w; ++x, s += 3)
                    if (s[0] == b && s[1] == g && s[2] == r) setBit(d, x);
            }
            return mask;
        case QImage::Format_RGB32:
        case QImage::Format_ARGB32:
            for (int y = 0; y < h; ++y) {
                const auto* s = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
                uchar* d = mask.scanLine(y);
                for (int x = 0; x < w; ++x)
                    if ((s[x] & 0xFFFFFFu) == rgb) setBit(d, x);
            }
            return mask;
        default: {
            // Other formats compare each pixel's colour as it is shown.
            const QImage shown = picture.convertToFormat(QImage::Format_RGB32);
            return BuildTransparencyMask(shown, transparent);
        }
    }
}

QImage WhitenedCopy(const QImage& picture, const QImage& mask) {
    QImage out = picture.convertToFormat(QImage::Format_BGR888);
    if (out.isNull() || mask.size() != out.size()) return out;
    for (int y = 0; y < out.height(); ++y) {
        const uchar* m = mask.constScanLine(y);
        uchar* d = out.scanLine(y);
        for (int x = 0; x < out.width(); ++x)
            if (m[x >> 3] & (0x80 >> (x & 7))) std::memset(d + 3 * x, 0xFF, 3);
    }
    return out;
}

const QImage& TMaskedImage::Mask(const QImage& picture, TColor transparent) {
    if (maskDirty_) {
        mask_ = BuildTransparencyMask(picture, transparent);
        maskDirty_ = false;
        whiteDirty_ = true;
    }
    return mask_;
}

const QImage& TMaskedImage::Whitened(const QImage& picture, TColor transparent) {
    const QImage& mask = Mask(picture, transparent);
    if (whiteDirty_) {
        whitened_ = WhitenedCopy(picture, mask);
        whiteDirty_ = false;
    }
    return whitened_;
}

void TMaskedImage::InstallMask(const QImage& mask) {
    // White (or light) pixels mark transparent ones, whatever the mask's format.
    const QImage shown = mask.convertToFormat(QImage::Format_RGB32);
    mask_ = QImage(shown.size(), QImage::Format_Mono);
    mask_.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    mask_.fill(0);
    for (int y = 0; y < shown.height(); ++y) {
        const auto* s = reinterpret_cast<const QRgb*>(shown.constScanLine(y));
        uchar* d = mask_.scanLine(y);
        for (int x = 0; x < shown.width(); ++x)
            if (qGray(s[x]) >= 128) setBit(d, x);
    }
    maskDirty_ = false;
    whiteDirty_ = true;
}
