// corvane-tool print: the sheets of an album, or the faces of a catalogue paper, printed
// through the print pipeline to a printer of the spooler or to a PDF file (the built-in
// PDF printer). A paper's faces carry the objects of a draw-object list (face-relative, as
// render takes them) or only their outlines. Prints each job's id and its final state.

#include "album/LabelData.h"
#include "document/Messages.h"
#include "document/stream/Stream.h"
#include "drawing/DOList.h"
#include "drawing/DrawObject.h"
#include "paper/Papers.h"
#include "platform/Exception.h"
#include "platform/Messages.h"
#include "platform/spooler/Spooler.h"
#include "printing/AlbumPrint.h"
#include "printing/PrintSite.h"
#include "printing/Printer.h"
#include "tools/Messages.h"
#include "tools/corvane-tool/CommandTable.h"
#include "tools/corvane-tool/Tool.h"

#include <QFileInfo>
#include <QThread>

namespace {

QString jobStateName(int state) {
    static const char* names[] = {"pending",  "held",    "processing", "stopped",
                                  "canceled", "aborted", "completed"};
    return state >= 3 && state <= 9 ? QString::fromLatin1(names[state - 3])
                                    : QStringLiteral("unknown");
}

// The job's state once it has left the queue, or as it stands after `seconds`.
int finalJobState(const QString& printer, int job, int seconds) {
    int state = 0;
    for (int i = 0; i < seconds * 10; ++i) {
        state = 0;
        for (const auto& j : platform::systemSpooler().jobs(printer, false))
            if (j.id == job) state = j.state;
        if (state == 0 || state >= 7) break;
        QThread::msleep(100);
    }
    return state;
}

}  // namespace

int runPrint(const ToolCommand& command, const QStringList& args) {
    QCommandLineParser parser;
    const QCommandLineOption objectsOpt(QStringLiteral("objects"), QString(), QStringLiteral("F"));
    const QCommandLineOption printerOpt(QStringLiteral("printer"), QString(), QStringLiteral("N"));
    const QCommandLineOption pdfOpt(QStringLiteral("pdf"), QString(), QStringLiteral("OUT"));
    const QCommandLineOption offsetOpt(QStringLiteral("offset"), QString(), QStringLiteral("XY"));
    const QCommandLineOption resOpt(QStringLiteral("resolution"), QString(), QStringLiteral("D"));
    const QCommandLineOption bandOpt(QStringLiteral("banding"), QString(), QStringLiteral("B"));
    const QCommandLineOption copiesOpt(QStringLiteral("copies"), QString(), QStringLiteral("N"));
    const QCommandLineOption landscapeOpt(QStringLiteral("landscape"));
    const QCommandLineOption outlineOpt(QStringLiteral("outline"));
    const QCommandLineOption trimOpt(QStringLiteral("trim"));
    const QCommandLineOption sheetsOpt(QStringLiteral("sheets"), QString(), QStringLiteral("L"));
    parser.addOptions({objectsOpt, printerOpt, pdfOpt, offsetOpt, resOpt, bandOpt, copiesOpt,
                       landscapeOpt, outlineOpt, trimOpt, sheetsOpt});
    if (!parseCommandLine(parser, command, args)) return usageError(command);
    const QStringList plain = parser.positionalArguments();
    const bool album = plain.size() == 1;
    if ((plain.size() != 1 && plain.size() != 2) ||
        parser.isSet(printerOpt) == parser.isSet(pdfOpt))
        return usageError(command);
    TPrintSpec spec;
    spec.DrawFaceOutline = parser.isSet(outlineOpt);
    spec.DrawTrimLine = parser.isSet(trimOpt);
    int banding = -1;
    const auto number = [&parser](const QCommandLineOption& o, int& value, int lo, int hi) {
        if (!parser.isSet(o)) return true;
        bool ok = false;
        value = parser.value(o).toInt(&ok);
        return ok && value >= lo && value <= hi;
    };
    if (!number(resOpt, spec.Resolution, 1, 2400) || !number(bandOpt, banding, 0, 2) ||
        !number(copiesOpt, spec.Copies, 1, 999))
        return usageError(command);
    if (parser.isSet(offsetOpt)) {
        const QStringList xy = parser.value(offsetOpt).split(u',');
        bool okX = false, okY = false;
        if (xy.size() != 2) return usageError(command);
        spec.PrintOffset = {xy[0].toInt(&okX), xy[1].toInt(&okY)};
        if (!okX || !okY || qAbs(spec.PrintOffset.x()) > 999 || qAbs(spec.PrintOffset.y()) > 999)
            return usageError(command);
    }
    if (!QFileInfo(plain[0]).isFile()) {
        err(msg::cannotOpenFile(plain[0]));
        return 1;
    }
    const QString printer =
        parser.isSet(pdfOpt) ? platform::pdfPrinterName() : parser.value(printerOpt);
    const auto choosePrinter = [&] {
        ReplacePrinter(std::make_unique<TPrinter>());
        Printer().SetPrinter(printer, {}, {}, {});
        if (Printer().PrinterIndex() < 0) throw Exception(msg::invalidPrinterName());
        if (parser.isSet(pdfOpt))
            Printer().SetOutputFile(QFileInfo(parser.value(pdfOpt)).absoluteFilePath());
    };
    const auto report = [&](const std::vector<int>& jobs) {
        for (const int job : jobs)
            out(job == 0 ? QStringLiteral("job 0: completed")
                         : QStringLiteral("job %1: %2")
                               .arg(job)
                               .arg(jobStateName(finalJobState(printer, job, 60))));
        ReplacePrinter(nullptr);
    };
    if (album) {
        TLabelData data;
        data.LoadFromFile(plain[0]);
        if (parser.isSet(sheetsOpt))
            spec.SelectSheets(parser.value(sheetsOpt), data.SheetCount());
        else  // every page; a document without pages prints its sheets
            for (int i = data.SheetCount() > 2 ? 2 : 0; i < data.SheetCount(); ++i)
                spec.SetSheetFlag(i, true);
        choosePrinter();
        TAlbumPrintHooks hooks;
        hooks.BandingOverride = banding;
        hooks.PrintWithoutKvr = [] { return true; };
        report(PrintAlbum(data, spec, hooks));
        return 0;
    }
    spec.SetSheetFlag(0, true);
    TPapers papers;
    papers.Open(plain[0], true);
    const int index = papers.IndexOfPaper(plain[1]);
    if (index < 0) {
        err(msg::paperNotFound(plain[1]));
        return 1;
    }
    TPaperPrintDocument doc(*papers.Papers(index));
    doc.Paper().SetLandscape(parser.isSet(landscapeOpt));
    const QString objectsFile = parser.value(objectsOpt);
    if (!objectsFile.isEmpty()) {
        doc.FaceRelative = true;
        doc.MakeFaceObjects = [&](int) {
            TFileStream stream(objectsFile, TFileStream::OpenRead);
            TDOList list;
            list.LoadFromStream(stream);
            std::vector<std::unique_ptr<TDrawObject>> objects = list.TakeOwned();
            list = TDOList();
            return objects;
        };
    }

    choosePrinter();
    TPrintSite site(doc, nullptr, spec);
    site.BandingOverride = banding;
    site.Print();
    report(site.JobIds());
    return 0;
}
