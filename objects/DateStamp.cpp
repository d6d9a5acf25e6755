#include "objects/DateStamp.h"

#include "document/stream/Font.h"
#include "imaging/ExifReader.h"
#include "imaging/QuadMap.h"
#include "imaging/pack/MatrixImagePack.h"
#include "imaging/picture/JpegImage.h"
#include "imaging/picture/PictureEx.h"
#include "objects/AlbumPhotoShared.h"
#include "platform/IntMath.h"
#include "platform/canvas/Canvas.h"
#include "platform/canvas/TextOut.h"

#include <QPainter>
#include <cmath>

std::optional<QDateTime> ParseExifDate(const QString& source) {
    QString text = source;
    // The length is checked before the separators are looked at.
    if (text.size() >= 8 && text[4] == u':' && text[7] == u':') {
        text[4] = u'/';
        text[7] = u'/';
    }
    int values[6] = {0, 0, 0, 0, 0, 0};
    qsizetype i = 0;
    const auto skipSpaces = [&] {
        while (i < text.size() && (text[i] == u' ' || text[i] == QChar(0x3000))) ++i;
    };
    for (int field = 0; field < 6; ++field) {
        const qsizetype before = i;
        skipSpaces();
        if (field > 0) {
            // One separator: a single character that is not a digit, or the spaces alone.
            if (i >= text.size()) return std::nullopt;
            if (!(text[i] >= u'0' && text[i] <= u'9'))
                ++i;
            else if (i == before)
                return std::nullopt;
            skipSpaces();
        }
        const qsizetype start = i;
        int value = 0;
        while (i < text.size() && text[i] >= u'0' && text[i] <= u'9' && i - start < 9)
            value = value * 10 + (text[i++].unicode() - u'0');
        if (i == start) return std::nullopt;
        values[field] = value;
    }
    const QDate date(values[0], values[1], values[2]);
    const QTime time(values[3], values[4], values[5]);
    if (!date.isValid() || !time.isValid()) return std::nullopt;
    return QDateTime(date, time);
}

std::optional<QDateTime> PictureExifDate(const TPictureEx& picture) {
    if (!picture.IsJpeg()) return std::nullopt;
    const auto* jpeg = dynamic_cast<const TSafetyJPEGImage*>(picture.Graphic());
    if (!jpeg || !jpeg->HasExif()) return std::nullopt;
    const TExifReader reader(jpeg->Bytes());
    if (!reader.HasTag(eiIFD0, 306)) return std::nullopt;
    return ParseExifDate(reader.GetText(eiIFD0, 306));
}

namespace {

int glyphIndex(QChar c) {
    for (int i = 0; kDateGlyphChars[i]; ++i)
        if (kDateGlyphChars[i] == c.unicode()) return i;
    return -1;
}

// The cell with white made clear.
QImage clearWhite(const QImage& cell) {
    QImage out = cell.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < out.height(); ++y) {
        auto* p = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x)
            if ((p[x] & 0xFFFFFF) == 0xFFFFFF) p[x] = 0;
    }
    return out;
}

}  // namespace

void StampWithGlyphs(QImage& image, const QString& text, TMatrixImagePack& glyphs) {
    const int w = image.width(), h = image.height();
    const double x = h / 34.0;
    const int t = int(x);
    const TRect zeroCell = glyphs.GetImageRect(0);
    if (t <= 0 || text.isEmpty() || zeroCell.IsEmpty() || w - 2 * t <= 0) return;
    const int top = int(32.5 * x);
    // The cell of "0" fitted into (W - 2t) x t, keeping its aspect.
    int gw = platform::mulDiv(zeroCell.Width(), t, zeroCell.Height()), gh = t;
    if (gw > w - 2 * t) {
        gw = w - 2 * t;
        gh = platform::mulDiv(zeroCell.Height(), gw, zeroCell.Width());
    }
    if (gw <= 0 || gh <= 0) return;
    const int gap = gw / 3;
    const int n = int(text.size());
    std::int64_t left = std::int64_t(w - t) - std::int64_t(n) * gw - std::int64_t(n - 1) * gap;
    QPainter painter(&image);
    for (int i = 0; i < n; ++i, left += gw + gap) {
        const int index = glyphIndex(text[i]);
        if (index < 0) continue;  // an unknown character leaves its place empty
        TPictureEx cell;
        glyphs.GetImage(cell, index);
        if (cell.Empty()) continue;
        painter.drawImage(QRect(int(left), top, gw, gh), clearWhite(cell.Graphic()->ToImage()));
    }
}

void StampWithFont(QImage& image, const QString& text, const TFont& f) {
    if (text.isEmpty()) return;
    platform::Font font;
    if (!f.Name().isEmpty()) font.name = f.Name();
    font.height = f.Height();
    font.styles = f.Style();
    font.charset = f.Charset();
    font.color = TColor(f.Color());
    font.pixelsPerInch = TFont::kPixelsPerInch;
    platform::Canvas canvas(image);
    canvas.tools().font = font;
    canvas.tools().backgroundMode = platform::BackgroundMode::Transparent;
    const platform::TextFont textFont(font);
    const QSize extent = textFont.extent(text);
    const int margin = int(1.5 * extent.height());
    platform::textOut(canvas, textFont,
                      QPointF(image.width() - margin - extent.width(), image.height() - margin),
                      text);
}

void StampDate(QImage& image, const QString& text, TMatrixImagePack* glyphs, const TFont& font) {
    if (text.isEmpty() || image.isNull()) return;
    const auto stamp = [&](QImage& target) {
        if (glyphs)
            StampWithGlyphs(target, text, *glyphs);
        else
            StampWithFont(target, text, font);
    };
    QImage work = image.convertToFormat(QImage::Format_RGB32);
    if (work.height() > work.width()) {
        QImage turned = Rotate(work, 270, qRgb(255, 255, 255), work.width(), work.height());
        stamp(turned);
        image = Rotate(turned, 90, qRgb(255, 255, 255), turned.width(), turned.height());
    } else {
        stamp(work);
        image = work;
    }
}
