// corvane-tool picture filter IN OUT [--clip L,T,R,B] [--blur N] [--light B,C]
//     [--mono 0xBBGGRR] [--auto 0|1|2|3] [--print]
// Runs the filters of an image object over a picture file: the automatic correction of an
// album photo first (--auto: 1 own normalisation, 2 Exif Print, 3 colour matching; --print
// corrects as during a colour-matched print job), then the crop, blur (negative values
// sharpen), mono tone and brightness/contrast of the picture holder. OUT's extension
// picks the format.
#include "imaging/filters/GREFilters.h"
#include "imaging/picture/ImageData.h"
#include "imaging/picture/PictureEx.h"
#include "platform/Exception.h"
#include "printing/KvrManager.h"
#include "printing/KvrPhotoCorrector.h"
#include "tools/Messages.h"
#include "tools/corvane-tool/CommandTable.h"
#include "tools/corvane-tool/Tool.h"

#include <QCommandLineParser>

namespace {

QList<int> integers(const QString& value, int count) {
    const QStringList parts = value.split(u',');
    QList<int> numbers;
    for (const QString& p : parts) {
        bool ok = false;
        numbers << p.trimmed().toInt(&ok);
        if (!ok) badOption(value);
    }
    if (numbers.size() != count) badOption(value);
    return numbers;
}

}  // namespace

int runPictureFilter(const ToolCommand& command, const QStringList& args) {
    QCommandLineParser parser;
    const QCommandLineOption clip(QStringLiteral("clip"), QString(), QStringLiteral("L,T,R,B"));
    const QCommandLineOption blur(QStringLiteral("blur"), QString(), QStringLiteral("N"));
    const QCommandLineOption light(QStringLiteral("light"), QString(), QStringLiteral("B,C"));
    const QCommandLineOption mono(QStringLiteral("mono"), QString(), QStringLiteral("COLOR"));
    const QCommandLineOption autoAdjust(QStringLiteral("auto"), QString(), QStringLiteral("N"));
    const QCommandLineOption print(QStringLiteral("print"));
    parser.addOptions({clip, blur, light, mono, autoAdjust, print});
    if (!parseCommandLine(parser, command, args) || parser.positionalArguments().size() != 2)
        return usageError(command);
    const QString in = parser.positionalArguments()[0], outPath = parser.positionalArguments()[1];
    checkImageFileName(outPath);

    TAutoAdjustFilter normalize;
    if (parser.isSet(autoAdjust)) {
        const int n = integers(parser.value(autoAdjust), 1)[0];
        if (n < 0 || n > 3) badOption(parser.value(autoAdjust));
        normalize.SetFilterNo(n);
    }
    InstallKvrPhotoCorrector();
    KvrPrintActive = parser.isSet(print);

    TPictureEx source;
    source.LoadFromFile(in);
    TImageData data;  // filled first: a new picture resets the crop
    if (normalize.FilterNo() != 0 && normalize.CanApply(source)) {
        TPictureEx corrected;
        TRect rect;
        normalize.Apply(source, corrected, rect);
        data.SetPicture(&corrected);
    } else {
        data.SetPicture(&source);
    }
    if (parser.isSet(clip)) {
        const auto v = integers(parser.value(clip), 4);
        data.ClipFilter()->SetClipRect(TRect{v[0], v[1], v[2], v[3]});
    }
    if (parser.isSet(blur)) data.BlurFilter()->SetBlurCount(integers(parser.value(blur), 1)[0]);
    if (parser.isSet(light)) {
        const auto v = integers(parser.value(light), 2);
        data.LightFilter()->SetBrightness(v[0]);
        data.LightFilter()->SetContrast(v[1]);
    }
    if (parser.isSet(mono)) {
        bool ok = false;
        const uint colour = parser.value(mono).toUInt(&ok, 0);
        if (!ok || colour > 0xFFFFFF) badOption(parser.value(mono));
        data.MonotoneFilter()->SetRefColor(TColor(colour));
    }
    const TPictureEx& result = data.ProcessedPicture();
    if (result.Empty()) throw Exception(msg::emptyPicture());
    writeImageFile(result.Graphic()->ToImage(), outPath);
    return 0;
}
