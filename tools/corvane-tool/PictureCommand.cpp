// corvane-tool picture: looks into and converts picture files.
//   info FILE      format, size, bit depth, transparency (and Exif data for JPEG; for
//                  metafiles the kind, the record count and the record types not drawn)
//   convert IN OUT [--size WxH] [--filter area|linear|cubic] [--rotate DEG] [--blur R]
//                  OUT's extension picks BMP, PNG, JPEG or CBM (a compressed bitmap).
//                  The size is applied first, then the rotation (uncovered corners
//                  white), then the blur. Shrinking always averages areas; the filter
//                  chooses how enlargement interpolates (area and linear: linearly).
//                  A metafile is played at the size asked for (else its own).
//   filter IN OUT [--clip L,T,R,B] [--blur N] [--light B,C] [--mono 0xBBGGRR]
//                  [--auto 0|1|2|3] [--print]   the filter chain of an image object
//                  (PictureFilterCommand.cpp)
// Errors print the program's message and exit 1; usage errors exit 2.
#include "imaging/Blur.h"
#include "imaging/QuadMap.h"
#include "imaging/Resample.h"
#include "imaging/codecs/Bmp.h"
#include "imaging/codecs/Container.h"
#include "imaging/codecs/Jpeg.h"
#include "imaging/codecs/Png.h"
#include "imaging/metafile/MetafilePlayer.h"
#include "imaging/picture/GraphicRegistry.h"
#include "imaging/picture/JpegImage.h"
#include "imaging/picture/Metafile.h"
#include "imaging/picture/PictureEx.h"
#include "imaging/picture/PngImage.h"
#include "imaging/picture/SafetyBitmap.h"
#include "platform/AtomicFile.h"
#include "platform/Exception.h"
#include "tools/Messages.h"
#include "tools/corvane-tool/CommandTable.h"
#include "tools/corvane-tool/Tool.h"

#include <QFileInfo>
#include <cmath>
#include <optional>

namespace {

int bitDepth(const TGraphic& g) {
    if (const auto* jpeg = dynamic_cast<const TSafetyJPEGImage*>(&g))
        return codecs::ReadJpegInfo(jpeg->Bytes()).components == 1 ? 8 : 24;
    const QImage img = g.ToImage();
    switch (img.format()) {
        case QImage::Format_Mono:
            return 1;
        case QImage::Format_Indexed8:
            return img.colorCount() <= 16 ? 4 : 8;
        case QImage::Format_Grayscale8:
            return 8;
        case QImage::Format_RGB555:
        case QImage::Format_RGB16:
            return 16;
        case QImage::Format_BGR888:
        case QImage::Format_RGB888:
            return 24;
        default:
            return 32;
    }
}

QString transparency(const TGraphic& g) {
    if (const auto* png = dynamic_cast<const TPNGImage*>(&g)) {
        if (png->TransparentRgb())
            return QStringLiteral("#%1").arg(*png->TransparentRgb() & 0xFFFFFF, 6, 16, QChar(u'0'));
        if (png->Image().hasAlphaChannel()) return QStringLiteral("alpha");
        return QStringLiteral("none");
    }
    if (const auto* bmp = dynamic_cast<const TSafetyBitmap*>(&g);
        bmp && bmp->Image().hasAlphaChannel())
        return QStringLiteral("alpha");
    return g.Transparent() ? QStringLiteral("mask") : QStringLiteral("none");
}

// Plays the metafile onto a small picture to count its records.
void metafileInfo(const TMetafile& meta) {
    const metafile::Kind kind = metafile::kindOf(meta.Bytes());
    out(QStringLiteral("kind: %1")
            .arg(kind == metafile::Kind::Emf   ? QStringLiteral("EMF")
                 : kind == metafile::Kind::Wmf ? QStringLiteral("WMF (placeable)")
                                               : QStringLiteral("unknown")));
    if (kind == metafile::Kind::None) return;
    QImage probe(64, 64, QImage::Format_RGB32);
    probe.fill(Qt::white);
    platform::Canvas canvas(probe);
    const metafile::PlayReport report = metafile::play(meta.Bytes(), canvas, {0, 0, 64, 64});
    out(QStringLiteral("records: %1%2")
            .arg(report.records)
            .arg(report.truncated ? QStringLiteral(" (no end record)") : QString()));
    QStringList skipped;
    for (const auto& [name, count] : report.skipped)
        skipped << QStringLiteral("%1 x%2").arg(name).arg(count);
    out(QStringLiteral("skipped: %1")
            .arg(skipped.isEmpty() ? QStringLiteral("none") : skipped.join(QStringLiteral(", "))));
}

int info(const QString& path) {
    TPictureEx picture;
    picture.LoadFromFile(path);
    const TGraphic& g = *picture.Graphic();
    out(QStringLiteral("format: %1 (%2)")
            .arg(GraphicDescriptionForExtension(QFileInfo(path).suffix()),
                 QString::fromLatin1(g.ClassTag())));
    out(QStringLiteral("size: %1x%2").arg(g.Width()).arg(g.Height()));
    if (g.IsBitmapLike()) out(QStringLiteral("bits: %1").arg(bitDepth(g)));
    out(QStringLiteral("transparent: %1").arg(transparency(g)));
    if (const auto* jpeg = dynamic_cast<const TSafetyJPEGImage*>(&g))
        out(QStringLiteral("exif: %1")
                .arg(jpeg->HasExif() ? QStringLiteral("yes") : QStringLiteral("no")));
    if (const auto* meta = dynamic_cast<const TMetafile*>(&g)) metafileInfo(*meta);
    return 0;
}

// Pixels the resampler, rotation and blur take: 8 bits grey, 24 bits, or 32 with alpha.
QImage workImage(const QImage& img) {
    switch (img.format()) {
        case QImage::Format_Grayscale8:
        case QImage::Format_BGR888:
        case QImage::Format_RGB32:
        case QImage::Format_ARGB32:
            return img;
        default:
            return img.convertToFormat(img.hasAlphaChannel() ? QImage::Format_ARGB32
                                                             : QImage::Format_BGR888);
    }
}

int convert(const ToolCommand& command, const QStringList& args) {
    QCommandLineParser parser;
    const QCommandLineOption sizeOption(QStringLiteral("size"), QString(), QStringLiteral("WxH"));
    const QCommandLineOption filterOption(QStringLiteral("filter"), QString(),
                                          QStringLiteral("FILTER"));
    const QCommandLineOption rotateOption(QStringLiteral("rotate"), QString(),
                                          QStringLiteral("DEG"));
    const QCommandLineOption blurOption(QStringLiteral("blur"), QString(), QStringLiteral("R"));
    parser.addOptions({sizeOption, filterOption, rotateOption, blurOption});
    if (!parseCommandLine(parser, command, args) || parser.positionalArguments().size() != 2)
        return usageError(command);
    const QString in = parser.positionalArguments()[0], outPath = parser.positionalArguments()[1];
    std::optional<QSize> size;
    int filter = rfLinear;
    double degrees = 0;
    int blur = 0;
    if (parser.isSet(sizeOption)) {
        const QString value = parser.value(sizeOption);
        bool ok = true;
        const QStringList wh = value.split(u'x');
        const int w = wh.size() == 2 ? wh[0].toInt(&ok) : 0;
        const int h = ok && wh.size() == 2 ? wh[1].toInt(&ok) : 0;
        if (!ok || w <= 0 || h <= 0 || std::int64_t(w) * h > (std::int64_t(1) << 28))
            badOption(value);
        size = QSize(w, h);
    }
    if (parser.isSet(filterOption)) {
        const QString value = parser.value(filterOption);
        if (value == u"area" || value == u"linear")
            filter = rfLinear;
        else if (value == u"cubic")
            filter = rfCubic;
        else
            badOption(value);
    }
    if (parser.isSet(rotateOption)) {
        const QString value = parser.value(rotateOption);
        bool ok = false;
        degrees = value.toDouble(&ok);
        if (!ok || !std::isfinite(degrees)) badOption(value);
    }
    if (parser.isSet(blurOption)) {
        const QString value = parser.value(blurOption);
        bool ok = false;
        blur = value.toInt(&ok);
        if (!ok || blur < 0) badOption(value);
    }
    checkImageFileName(outPath);

    TPictureEx picture;
    picture.LoadFromFile(in);
    if (picture.Empty()) throw Exception(msg::emptyPicture());
    QImage img;
    const auto* meta = dynamic_cast<const TMetafile*>(picture.Graphic());
    if (meta && size) {
        // Played at the size asked for rather than resampled.
        if (std::int64_t(size->width()) * size->height() > metafile::kMaxBitmapPixels)
            badOption(QStringLiteral("--size"));
        img = QImage(*size, QImage::Format_RGB32);
        img.fill(Qt::white);
        platform::Canvas canvas(img);
        meta->Draw(canvas, {0, 0, size->width(), size->height()});
    } else if (const auto* jpeg = dynamic_cast<const TSafetyJPEGImage*>(picture.Graphic());
               jpeg && size) {
        // A smaller target decodes at a reduced scale that is still larger than it.
        const int s = std::max(jpeg->FullWidth(), jpeg->FullHeight());
        img = codecs::DecodeJpeg(jpeg->Bytes(),
                                 codecs::JpegScaleFor(s, std::max(size->width(), size->height())));
    } else {
        img = picture.Graphic()->ToImage();
    }
    std::optional<QRgb> keyColour;
    if (const auto* png = dynamic_cast<const TPNGImage*>(picture.Graphic()))
        keyColour = png->TransparentRgb();
    if (size || degrees != 0 || blur > 0) keyColour.reset();  // new pixels: no key colour
    img = workImage(img);
    if (size && *size != img.size()) {
        QImage scaled(*size, img.format());
        if (scaled.isNull()) badOption(QStringLiteral("--size"));
        Resample(scaled, img, filter);
        img = scaled;
    }
    if (degrees != 0) img = Rotate(img, degrees, qRgb(255, 255, 255), img.width(), img.height());
    if (blur > 0) Blur(img, img.rect(), blur, blur);

    writeImageFile(img, outPath, keyColour);
    return 0;
}

}  // namespace

void badOption(const QString& what) {
    throw Exception(QStringLiteral("オプションの値が不正です: %1").arg(what));
}

void checkImageFileName(const QString& outPath) {
    const QString outExt = QFileInfo(outPath).suffix().toLower();
    if (outExt != u"bmp" && outExt != u"png" && outExt != u"jpg" && outExt != u"jpeg" &&
        outExt != u"cbm")
        throw Exception(QStringLiteral("出力形式が不明です (%1)").arg(outExt));
}

void writeImageFile(const QImage& img, const QString& outPath, std::optional<QRgb> keyColour) {
    checkImageFileName(outPath);
    const QString outExt = QFileInfo(outPath).suffix().toLower();
    QByteArray bytes;
    if (outExt == u"bmp")
        bytes = codecs::WriteBmp(img);
    else if (outExt == u"cbm")
        bytes = codecs::Compress(codecs::WriteBmp(img));
    else if (outExt == u"png")
        bytes = codecs::EncodePng(img, keyColour);
    else
        bytes = codecs::EncodeJpeg(img);
    QString why;
    if (!platform::writeFileAtomically(outPath, bytes, &why, 0644))
        throw Exception(msg::cannotWriteFile(outPath, why));
}

int runPicture(const ToolCommand& command, const QStringList& args) {
    // The verb comes first; each parses the words after it.
    const QString verb = args.value(0);
    if (verb == u"info") {
        const auto files = plainArguments(command, args.mid(1));
        if (!files || files->size() != 1) return usageError(command);
        return info(files->front());
    }
    if (verb == u"convert") return convert(command, args.mid(1));
    if (verb == u"filter") return runPictureFilter(command, args.mid(1));
    return usageError(command);
}
