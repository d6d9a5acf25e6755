// corvane-tool kvr: colour matching through the control library and the engine, as the
// correction filters and the print pipeline use them.
//   inspect FILE     what the engine finds in the photo and the modes it allows
//   correct FILE OUT.png [--mode kvr|exif] [--print] [--profile ICC]
//                    the photo corrected for display (or for print: to the printer
//                    profile, $OXKVR_PRINTER_PROFILE or --profile; sRGB without one)
//   prt IN OUT.bmp [--format 1|2|4]
//                    the RGB-to-printer-data conversion of a picture, the pixels handed
//                    over in the given byte layout
// A missing library or engine is reported in one line with exit code 1.
#include "document/Messages.h"
#include "imaging/codecs/Bmp.h"
#include "imaging/codecs/Png.h"
#include "imaging/picture/PictureEx.h"
#include "platform/AtomicFile.h"
#include "platform/Exception.h"
#include "printing/KvrBinding.h"
#include "printing/KvrManager.h"
#include "tools/Messages.h"
#include "tools/corvane-tool/CommandTable.h"
#include "tools/corvane-tool/Tool.h"

#include <QFileInfo>
#include <cstring>
#include <vector>

namespace {

QString modulePath(const char* name) {
    return KvrModuleFolder() + u'/' + QLatin1StringView(name);
}

bool needLibrary() {
    if (kvrctrl::Bound()) return true;
    err(msg::kvrLibraryMissing(modulePath("KvrCtrl.so")));
    return false;
}

bool needEngine() {
    if (BoundKvrEngine()) return true;
    err(msg::kvrEngineMissing(modulePath("OxKvr2.so")));
    return false;
}

void write(const QString& path, const QByteArray& bytes) {
    QString why;
    if (!platform::writeFileAtomically(path, bytes, &why, 0644))
        throw Exception(msg::cannotWriteFile(path, why));
}

int inspect(const QString& path) {
    if (!needEngine()) return 1;
    if (!QFileInfo(path).isFile()) throw Exception(msg::cannotOpenFile(path));
    TKVRManager manager;
    manager.SetSourceFile(path);
    const QString description = DescribeKvrSource(path);
    if (description.isEmpty()) throw Exception(msg::cannotOpenFile(path));
    for (const QString& line : description.split(u'\n', Qt::SkipEmptyParts)) out(line);
    const int flags = manager.InspectSource();
    out(QStringLiteral("colour-matching data: %1")
            .arg(flags & kvrColourMatching ? QStringLiteral("yes") : QStringLiteral("no")));
    QString modes = QStringLiteral("100");
    if (flags & kvrExifPrint) modes += QStringLiteral(" 200");
    if (flags & kvrColourMatching) modes += QStringLiteral(" 300");
    out(QStringLiteral("modes: %1").arg(modes));
    return 0;
}

int correct(const QString& path, const QString& outPath, bool forKvr, bool forPrint) {
    if (!needLibrary() || !needEngine()) return 1;
    TKVRManager manager;
    manager.SetSourceFile(path);
    TPictureEx picture;
    if (!manager.CorrectSource(picture, forKvr, forPrint))
        throw Exception(msg::kvrCorrectionFailed(manager.LastResult()));
    write(outPath, codecs::EncodePng(picture.Graphic()->ToImage()));
    out(QStringLiteral("size: %1x%2").arg(picture.Width()).arg(picture.Height()));
    return 0;
}

int prt(const QString& path, const QString& outPath, int format) {
    if (!needLibrary()) return 1;
    TPictureEx picture;
    picture.LoadFromFile(path);
    const QImage rgb = picture.Graphic()->ToImage().convertToFormat(QImage::Format_RGB888);
    const int w = rgb.width(), h = rgb.height();
    const int pixelBytes = format == 4 ? 4 : 3;
    const qsizetype stride = (qsizetype(w) * pixelBytes + 3) & ~qsizetype(3);
    std::vector<uint8_t> source(size_t(stride * h)), target(source.size());
    for (int y = 0; y < h; ++y) {
        const uchar* s = rgb.constScanLine(y);
        uint8_t* d = source.data() + y * stride;
        for (int x = 0; x < w; ++x, s += 3, d += pixelBytes) {
            if (format == 4)
                d[0] = 0, d[1] = s[0], d[2] = s[1], d[3] = s[2];
            else if (format == 2)
                d[0] = s[2], d[1] = s[1], d[2] = s[0];
            else
                d[0] = s[0], d[1] = s[1], d[2] = s[2];
        }
    }
    PrtDataInfo info{format, w, h, int32_t(stride)};
    const int r = kvrctrl::ConvertRGBtoPrtData(source.data(), target.data(), &info);
    if (r != KVR_OK) throw Exception(msg::kvrConversionFailed(r));
    QImage result(w, h, QImage::Format_RGB888);
    for (int y = 0; y < h; ++y) {
        const uint8_t* s = target.data() + y * stride;
        uchar* d = result.scanLine(y);
        for (int x = 0; x < w; ++x, s += pixelBytes, d += 3) {
            const uint8_t* p = format == 4 ? s + 1 : s;
            if (format == 2)
                d[0] = p[2], d[1] = p[1], d[2] = p[0];
            else
                d[0] = p[0], d[1] = p[1], d[2] = p[2];
        }
    }
    write(outPath, codecs::WriteBmp(result));
    return 0;
}

}  // namespace

int runKvr(const ToolCommand& command, const QStringList& args) {
    QCommandLineParser parser;
    const QCommandLineOption mode(QStringLiteral("mode"), {}, QStringLiteral("MODE"),
                                  QStringLiteral("kvr"));
    const QCommandLineOption print(QStringLiteral("print"));
    const QCommandLineOption profile(QStringLiteral("profile"), {}, QStringLiteral("ICC"));
    const QCommandLineOption format(QStringLiteral("format"), {}, QStringLiteral("N"),
                                    QStringLiteral("2"));
    parser.addOptions({mode, print, profile, format});
    if (!parseCommandLine(parser, command, args)) return usageError(command);
    const QStringList words = parser.positionalArguments();
    try {
        if (words.size() == 2 && words[0] == u"inspect") return inspect(words[1]);
        if (words.size() == 3 && words[0] == u"correct") {
            const QString m = parser.value(mode);
            if (m != u"kvr" && m != u"exif") return usageError(command);
            if (parser.isSet(profile))
                qputenv("OXKVR_PRINTER_PROFILE", QFile::encodeName(parser.value(profile)));
            return correct(words[1], words[2], m == u"kvr", parser.isSet(print));
        }
        if (words.size() == 3 && words[0] == u"prt") {
            const QString f = parser.value(format);
            if (f != u"1" && f != u"2" && f != u"4") return usageError(command);
            return prt(words[1], words[2], f.toInt());
        }
    } catch (const Exception& e) {
        err(e.message());
        return 1;
    }
    return usageError(command);
}
