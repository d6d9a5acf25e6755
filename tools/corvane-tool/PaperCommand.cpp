// corvane-tool papers / paper: lists a paper catalogue and shows one of its papers, or
// draws it with its labelled faces through the paper site.
#include "document/Messages.h"
#include "document/stream/StreamText.h"
#include "document/stream/StreamTree.h"
#include "drawing/CanvasUtils.h"
#include "imaging/Messages.h"
#include "paper/PaperSite.h"
#include "paper/PapersV2.h"
#include "platform/Format.h"
#include "tools/Messages.h"
#include "tools/corvane-tool/CommandTable.h"
#include "tools/corvane-tool/Tool.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QImage>
#include <cstdio>

namespace {

// Opens `file` read-only; a missing file is an error here, not an empty catalogue.
// Papers that cannot be read are reported on the error output; the others are listed.
bool openCatalogue(TPapers& papers, const QString& file) {
    if (!QFileInfo(file).isFile()) {
        err(msg::cannotOpenFile(file));
        return false;
    }
    papers.Open(file, true);
    if (!papers.DamagedPapers().empty()) err(papers.DamageReport());
    return true;
}

QString boolText(bool v) {
    return v ? QStringLiteral("True") : QStringLiteral("False");
}

}  // namespace

int runPapers(const ToolCommand& command, const QStringList& commandArgs) {
    if (isPapersSubcommand(commandArgs.value(0))) return runPapersSubcommand(command, commandArgs);
    QCommandLineParser parser;
    const QCommandLineOption extrasOption(QStringLiteral("extras"));
    parser.addOption(extrasOption);
    if (!parseCommandLine(parser, command, commandArgs)) return usageError(command);
    const QStringList args = parser.positionalArguments();
    if (args.size() != 1) return usageError(command);
    TPapersV2 papers;
    if (!openCatalogue(papers, args[0])) return 1;
    for (int i = 0; i < papers.Count(); ++i) {
        const TPaperInfo& p = *papers.Papers(i);
        out(QStringList{
            papers.StreamName(i), p.ClassName(), p.PaperName(), p.GroupName(),
            platform::format(QStringLiteral("%dx%d"), p.PortraitWidth(), p.PortraitHeight()),
            QString::number(p.GetFaceCount()), boolText(p.ReadOnly())}
                .join(u'\t'));
        if (parser.isSet(extrasOption)) listPaperExtras(papers, i);
    }
    // The list is not the whole catalogue: scripts must notice.
    return papers.DamagedPapers().empty() ? 0 : 1;
}

namespace {

// The paper at `dpi` as the paper site shows it: every face with its label.
QImage drawPaperFaces(const TPaperInfo& paper, int dpi) {
    const auto protector = ProtectBitmapCanvases();
    TPaperSite site;
    site.SetBorder(false);
    site.SetColor(clWhite);
    site.SetPaper(&paper);
    site.SetDrawInfo(true);
    const TRect device =
        site.Scaler().LogRectToDev(dpi, TRect{0, 0, site.LogWidth(), site.LogHeight()});
    QImage image(std::max(device.Width(), 1), std::max(device.Height(), 1), QImage::Format_RGB32);
    image.fill(0xFFFFFFFF);
    platform::DeviceDescriptor target;
    target.dpiX = target.dpiY = dpi;
    TCanvas canvas(image, target);
    site.DrawTo(canvas, {0, 0}, 100);
    image.setDotsPerMeterX(qRound(dpi / 0.0254));
    image.setDotsPerMeterY(qRound(dpi / 0.0254));
    return image;
}

}  // namespace

int runPaper(const ToolCommand& command, const QStringList& commandArgs) {
    QCommandLineParser parser;
    const QCommandLineOption facesOption(QStringLiteral("faces"), QString(),
                                         QStringLiteral("OUT.png"));
    parser.addOption(facesOption);
    if (!parseCommandLine(parser, command, commandArgs)) return usageError(command);
    const QStringList args = parser.positionalArguments();
    if (args.size() != 2) return usageError(command);
    TPapers papers;
    if (!openCatalogue(papers, args[0])) return 1;
    const int index = papers.IndexOfPaper(args[1]);
    if (index < 0) {
        err(msg::paperNotFound(args[1]));
        return 1;
    }
    if (parser.isSet(facesOption)) {
        const QString outFile = parser.value(facesOption);
        constexpr int kFacesDpi = 96;
        if (!drawPaperFaces(*papers.Papers(index), kFacesDpi).save(outFile, "PNG")) {
            err(msg::cannotCreateFile(outFile));
            return 1;
        }
        return 0;
    }
    const QString text =
        streamtree::printDocument(streamtree::readDocument(papers.PaperStream(index)));
    std::fputs(text.toUtf8().constData(), stdout);
    const TPaperInfo& p = *papers.Papers(index);
    for (int i = 0; i < p.GetFaceCount(); ++i) {
        const TRect r = p.GetFaceRect(i);
        out(QStringList{
            QString::number(i),
            platform::format(QStringLiteral("%d,%d,%d,%d"), r.Left, r.Top, r.Right, r.Bottom),
            faceShapeName(p.GetFaceShape(i)), p.GetFacePurpose(i)}
                .join(u'\t'));
    }
    return 0;
}
