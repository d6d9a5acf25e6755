// corvane-tool album: album documents without the window. Creating one from catalogue
// papers, listing its sheets and faces, replacing or extending a face's objects with an
// object list stream, adding pages as the layout window does, rendering a sheet, and
// reading a stored preview. Every command that changes a file saves it with SaveToFile.

#include "album/LabelData.h"
#include "album/PageLimits.h"
#include "album/PreviewReader.h"
#include "document/Messages.h"
#include "document/stream/Stream.h"
#include "drawing/DOList.h"
#include "drawing/DrawObject.h"
#include "drawing/FaceObjects.h"
#include "imaging/Messages.h"
#include "imaging/picture/Graphic.h"
#include "paper/MatrixPaperInfo.h"
#include "paper/Papers.h"
#include "platform/DateTime.h"
#include "platform/Exception.h"
#include "tools/Messages.h"
#include "tools/corvane-tool/CommandTable.h"
#include "tools/corvane-tool/Tool.h"

#include <QDateTime>
#include <QFileInfo>
#include <QImage>

namespace {

std::unique_ptr<TPaperInfo> cataloguePaper(TPapers& papers, const QString& name) {
    const int index = papers.IndexOfPaper(name);
    if (index < 0) throw Exception(msg::paperNotFound(name));
    return papers.Papers(index)->Clone();
}

std::unique_ptr<TLabelData> openAlbum(const QString& fileName) {
    if (!QFileInfo(fileName).isFile()) throw Exception(msg::cannotOpenFile(fileName));
    auto data = std::make_unique<TLabelData>();
    data->LoadFromFile(fileName);
    return data;
}

void saveAlbum(TLabelData& data, const QString& fileName) {
    data.LastSave = platform::dateTimeNow();
    data.SaveToFile(fileName);
}

QString storedTime(double value) {
    return value == 0 ? QStringLiteral("-")
                      : platform::fromStoredDateTime(value).toString(Qt::ISODate);
}

// "--sheet N --face F" and the words left.
struct FaceArgs {
    int sheet = -1;
    int face = 0;
    int dpi = 254;
    int after = -1;
    QStringList words;
};

std::optional<FaceArgs> parseFaceArgs(const ToolCommand& command, const QStringList& args,
                                      bool needSheet) {
    QCommandLineParser parser;
    const QCommandLineOption sheet(QStringLiteral("sheet"), QString(), QStringLiteral("N"));
    const QCommandLineOption face(QStringLiteral("face"), QString(), QStringLiteral("F"));
    const QCommandLineOption dpi(QStringLiteral("dpi"), QString(), QStringLiteral("D"));
    const QCommandLineOption after(QStringLiteral("after"), QString(), QStringLiteral("N"));
    parser.addOptions({sheet, face, dpi, after});
    if (!parseCommandLine(parser, command, args)) return std::nullopt;
    FaceArgs a;
    const auto number = [&parser](const QCommandLineOption& o, int& value, int minimum,
                                  int maximum) {
        if (!parser.isSet(o)) return true;
        bool ok = false;
        value = parser.value(o).toInt(&ok);
        return ok && value >= minimum && value <= maximum;
    };
    if (!number(sheet, a.sheet, 0, INT_MAX) || !number(face, a.face, 0, INT_MAX) ||
        !number(dpi, a.dpi, 1, 4800) || !number(after, a.after, 0, INT_MAX))
        return std::nullopt;
    if (needSheet && a.sheet < 0) return std::nullopt;
    a.words = parser.positionalArguments();
    return a;
}

QStringList classesOf(const TDOList& list) {
    QStringList names;
    for (const TDrawObject* o : list)
        if (!names.contains(o->ClassName())) names << o->ClassName();
    return names;
}

int albumNew(const ToolCommand& command, const QStringList& args) {
    QCommandLineParser parser;
    const QCommandLineOption cover(QStringLiteral("cover"), QString(), QStringLiteral("PAPER"));
    parser.addOption(cover);
    if (!parseCommandLine(parser, command, args)) return usageError(command);
    const QStringList words = parser.positionalArguments();
    if (words.size() != 4) return usageError(command);
    if (!QFileInfo(words[1]).isFile()) throw Exception(msg::cannotOpenFile(words[1]));
    TPapers papers;
    papers.Open(words[1], true);
    const auto page = cataloguePaper(papers, words[2]);
    const auto coverPaper =
        parser.isSet(cover) ? cataloguePaper(papers, parser.value(cover)) : nullptr;
    TLabelData data;
    for (int sheet = 0; sheet < 2; ++sheet) {
        data.SelectSheet(sheet);
        if (coverPaper) data.SetSheetPaper(*coverPaper);
        data.FaceInit = true;
    }
    data.SelectSheet(2);
    data.SetSheetPaper(*page);
    data.FaceInit = false;
    data.SelectSheet(0);
    data.SetModified(false);
    saveAlbum(data, words[3]);
    return 0;
}

int albumInfo(const ToolCommand& command, const QStringList& args) {
    const auto words = plainArguments(command, args);
    if (!words || words->size() != 2) return usageError(command);
    const auto data = openAlbum(words->at(1));
    out(QStringLiteral("name: ") + data->DataName);
    out(QStringLiteral("sheets: %1").arg(data->SheetCount()));
    out(QStringLiteral("current sheet: %1").arg(data->CurrentSheet()));
    static const char* const sides[] = {"fsFront", "fsBack", "fsBoth"};
    out(QStringLiteral("face sides: ") + QLatin1String(sides[data->FaceSides]));
    out(QStringLiteral("sheet mode: %1, front cover: %2, back cover: %3")
            .arg(int(data->SheetMode))
            .arg(int(data->FrontCover))
            .arg(int(data->BackCover)));
    out(QStringLiteral("last print: ") + storedTime(data->LastPrint));
    out(QStringLiteral("last save: ") + storedTime(data->LastSave));
    for (int i = 0; i < data->SheetCount(); ++i) {
        data->SelectSheet(i);
        const int faces = data->FaceStreamCount();
        QStringList counts;
        QStringList classes;
        for (int f = 0; f < faces; ++f) {
            TDOList list;
            if (f < std::max(1, data->SheetPaper().GetFaceCount())) data->LoadFaceObjects(f, list);
            counts << QString::number(list.Count());
            for (const QString& c : classesOf(list))
                if (!classes.contains(c)) classes << c;
            list.FreeAll();
        }
        out(QStringLiteral("%1\t%2\t%3\tfaces %4\tobjects %5\t%6")
                .arg(i)
                .arg(data->SheetName(), data->SheetPaper().PaperName())
                .arg(data->SheetPaper().GetFaceCount())
                .arg(counts.isEmpty() ? QStringLiteral("-") : counts.join(u','))
                .arg(classes.join(u' ')));
    }
    return 0;
}

// put / add: the list stream is in painting order, back-most first.
int albumPutObjects(const ToolCommand& command, const QStringList& args, bool append) {
    const auto a = parseFaceArgs(command, args, true);
    if (!a || a->words.size() != 3) return usageError(command);
    const auto data = openAlbum(a->words[1]);
    data->SelectSheet(a->sheet);
    TDOList list;
    if (append) data->LoadFaceObjects(a->face, list);
    TDOList added;
    {
        TFileStream stream(a->words[2], TFileStream::OpenRead);
        added.LoadFromStream(stream);
    }
    for (auto& o : added.TakeOwned()) list.AddOwned(std::move(o));
    list.Reverse();  // front-most first
    data->SaveFaceObjects(a->face, list);
    list.FreeAll();
    saveAlbum(*data, a->words[1]);
    return 0;
}

int albumObjects(const ToolCommand& command, const QStringList& args) {
    const auto a = parseFaceArgs(command, args, true);
    if (!a || a->words.size() != 3) return usageError(command);
    const auto data = openAlbum(a->words[1]);
    data->SelectSheet(a->sheet);
    TDOList list;
    data->LoadFaceObjects(a->face, list);
    TFileStream stream(a->words[2], TFileStream::Create);
    list.SaveToStream(stream);
    list.FreeAll();
    return 0;
}

int albumAddPage(const ToolCommand& command, const QStringList& args) {
    const auto a = parseFaceArgs(command, args, false);
    if (!a || a->words.size() != 2) return usageError(command);
    const auto data = openAlbum(a->words[1]);
    if (a->after >= 0) data->SelectSheet(a->after);
    AddPage(*data, a->after);
    saveAlbum(*data, a->words[1]);
    return 0;
}

int albumRender(const ToolCommand& command, const QStringList& args) {
    const auto a = parseFaceArgs(command, args, true);
    if (!a || a->words.size() != 3) return usageError(command);
    const auto data = openAlbum(a->words[1]);
    data->SelectSheet(a->sheet);
    TDOList list;
    data->LoadFaceObjects(a->face, list);
    TFaceInfo face;
    data->LayoutPaper().GetFaceInfo(0, face);
    QImage image;
    RenderFaceObjects(face, list, image, 100, a->dpi);
    list.FreeAll();
    image.setDotsPerMeterX(qRound(a->dpi / 0.0254));
    image.setDotsPerMeterY(qRound(a->dpi / 0.0254));
    if (!image.save(a->words[2], "PNG")) throw Exception(msg::cannotCreateFile(a->words[2]));
    return 0;
}

int albumPreview(const ToolCommand& command, const QStringList& args) {
    const auto a = parseFaceArgs(command, args, true);
    if (!a || a->words.size() != 3) return usageError(command);
    if (!QFileInfo(a->words[1]).isFile()) throw Exception(msg::cannotOpenFile(a->words[1]));
    const auto picture = ReadFilePreview(a->words[1], a->sheet, a->face);
    if (!picture) throw Exception(msg::noStoredPreview(a->sheet, a->face));
    if (!picture->ToImage().save(a->words[2], "PNG"))
        throw Exception(msg::cannotCreateFile(a->words[2]));
    return 0;
}

}  // namespace

int runAlbum(const ToolCommand& command, const QStringList& args) {
    if (args.isEmpty()) return usageError(command);
    const QString& verb = args.front();
    if (verb == u"new") return albumNew(command, args);
    if (verb == u"info") return albumInfo(command, args);
    if (verb == u"put") return albumPutObjects(command, args, false);
    if (verb == u"add") return albumPutObjects(command, args, true);
    if (verb == u"objects") return albumObjects(command, args);
    if (verb == u"add-page") return albumAddPage(command, args);
    if (verb == u"render") return albumRender(command, args);
    if (verb == u"preview") return albumPreview(command, args);
    return usageError(command);
}
