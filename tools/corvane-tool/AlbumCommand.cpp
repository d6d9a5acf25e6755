// corvane-tool album: album documents without the window. Creating one from catalogue
// papers, listing its sheets and faces, replacing or extending a face's objects with an
// object list stream, adding pages as the layout window does, rendering a sheet, and
// reading a stored preview. The photo sequence: filling empty frames with photos, inserting
// a slot, deleting a photo, and setting every photo's correction. Every command that changes a file
// saves it with SaveToFile.

#include "album/AlbumSequenceContext.h"
#include "album/LabelData.h"
#include "album/Messages.h"
#include "album/PageLimits.h"
#include "album/PreviewReader.h"
#include "app/DataMain.h"
#include "document/ProductDB.h"
#include "document/Messages.h"
#include "document/stream/Stream.h"
#include "drawing/DOList.h"
#include "drawing/DrawObject.h"
#include "drawing/FaceObjects.h"
#include "imaging/Messages.h"
#include "imaging/picture/Graphic.h"
#include "paper/ExtraPaperInfo.h"
#include "paper/ImagePaperInfo.h"
#include "objects/AlbumPhoto.h"
#include "paper/MatrixPaperInfo.h"
#include "paper/PapersV2.h"
#include "platform/DateTime.h"
#include "platform/Exception.h"
#include "tools/Messages.h"
#include "tools/corvane-tool/CommandTable.h"
#include "tools/corvane-tool/Tool.h"

#include <QDateTime>
#include <QFileInfo>
#include <QImage>

namespace {

std::unique_ptr<TPaperInfo> cataloguePaper(const TPapers& papers, const QString& name) {
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
    int frame = -1;
    int filter = -1;
    bool print = false;
    QStringList words;
};

std::optional<FaceArgs> parseFaceArgs(const ToolCommand& command, const QStringList& args,
                                      bool needSheet) {
    QCommandLineParser parser;
    const QCommandLineOption sheet(QStringLiteral("sheet"), QString(), QStringLiteral("N"));
    const QCommandLineOption face(QStringLiteral("face"), QString(), QStringLiteral("F"));
    const QCommandLineOption dpi(QStringLiteral("dpi"), QString(), QStringLiteral("D"));
    const QCommandLineOption after(QStringLiteral("after"), QString(), QStringLiteral("N"));
    const QCommandLineOption frame(QStringLiteral("frame"), QString(), QStringLiteral("K"));
    const QCommandLineOption filter(QStringLiteral("filter"), QString(), QStringLiteral("F"));
    const QCommandLineOption print(QStringLiteral("print"));
    parser.addOptions({sheet, face, dpi, after, frame, filter, print});
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
        !number(dpi, a.dpi, 1, 4800) || !number(after, a.after, 0, INT_MAX) ||
        !number(frame, a.frame, 0, INT_MAX) || !number(filter, a.filter, 0, 3))
        return std::nullopt;
    a.print = parser.isSet(print);
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

// The paper with the extras the catalogue keeps for it.
void setPaperWithExtras(TLabelData& data, const TPapersV2& papers, const TPaperInfo& paper) {
    data.SetSheetPaper(paper);
    const auto extra = [&](const QString& store) {
        return papers.LoadPaperExtra(store, paper.PaperName());
    };
    const auto ex = extra(TPapersV2::ExtraInfos);
    data.SetPaperExtra(dynamic_cast<const TExPaperInfo*>(ex.get()));
    const auto image = extra(TPapersV2::PaperImages);
    data.SetImageExtra(dynamic_cast<const TImagePaperInfo*>(image.get()));
    const auto album = extra(TPapersV2::ExtraAlbumInfo);
    data.SetAlbumExtra(dynamic_cast<const TExAlbumInfo*>(album.get()));
}
void printFrames(TLabelData& data);

int albumNew(const ToolCommand& command, const QStringList& args) {
    QCommandLineParser parser;
    const QCommandLineOption cover(QStringLiteral("cover"), QString(), QStringLiteral("PAPER"));
    parser.addOption(cover);
    if (!parseCommandLine(parser, command, args)) return usageError(command);
    const QStringList words = parser.positionalArguments();
    if (words.size() != 4) return usageError(command);
    if (!QFileInfo(words[1]).isFile()) throw Exception(msg::cannotOpenFile(words[1]));
    TPapersV2 papers;
    papers.Open(words[1], true);
    const auto page = cataloguePaper(papers, words[2]);
    const auto coverPaper =
        parser.isSet(cover) ? cataloguePaper(papers, parser.value(cover)) : nullptr;
    TLabelData data;
    TProductDB products;
    products.OpenProductDB(toolDataModule().Frame().ExpandOrKeep(QStringLiteral("$(ProductDB)")));
    data.FillProductRecords(products);
    for (int sheet = 0; sheet < 2; ++sheet) {
        data.SelectSheet(sheet);
        if (coverPaper) setPaperWithExtras(data, papers, *coverPaper);
        data.FaceInit = true;
    }
    data.SelectSheet(2);
    setPaperWithExtras(data, papers, *page);
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
        printFrames(*data);
    }
    return 0;
}

// The photo frames of the current sheet in reading order: rectangle, picture file and
// size, correction.
void printFrames(TLabelData& data) {
    TDOList list;
    data.LoadFaceObjects(0, list);
    const auto frames = FramesInReadingOrder(list.Items());
    for (size_t k = 0; k < frames.size(); ++k) {
        const TLOAlbumPhoto& p = *frames[k];
        const TRect r = p.LogBounds();
        const TPictureEx& picture = *p.PhotoImageObj()->Picture();
        const QString shown = picture.Empty() ? QStringLiteral("(empty)")
                                              : QStringLiteral("%1 %2x%3")
                                                    .arg(QFileInfo(picture.ImageID()).fileName())
                                                    .arg(picture.Width())
                                                    .arg(picture.Height());
        out(QStringLiteral("\tframe %1\t%2,%3 %4x%5\t%6\tcorrection %7")
                .arg(k)
                .arg(r.Left)
                .arg(r.Top)
                .arg(r.Width())
                .arg(r.Height())
                .arg(shown)
                .arg(p.NormalizeFilter()->FilterNo()));
    }
    list.FreeAll();
}

// The first page with frames, laid out when it never was: where fills start.
int firstPage(TLabelData& data) {
    return std::min(2, data.SheetCount() - 1);
}

int albumFill(const ToolCommand& command, const QStringList& args) {
    const auto a = parseFaceArgs(command, args, false);
    if (!a || a->words.size() < 3) return usageError(command);
    const auto data = openAlbum(a->words[1]);
    TAlbumSequenceContext context(*data, a->words.mid(2));
    context.OnCounter = [](const QString& text) { out(text); };
    QString refused;
    context.OnMessage = [&refused](const QString& text) { refused = text; };
    context.Open(a->sheet >= 0 ? a->sheet : firstPage(*data));
    const TSequenceResult result = FillEmptyFrames(context, int(a->words.size()) - 2);
    context.Finish();
    saveAlbum(*data, a->words[1]);
    if (result == TSequenceResult::Done) return 0;
    err(refused);
    return 1;
}

// insert-slot / delete-photo: frame K of sheet N in reading order.
int albumSequenceStep(const ToolCommand& command, const QStringList& args, bool insert) {
    const auto a = parseFaceArgs(command, args, true);
    if (!a || a->words.size() != 2 || a->frame < 0) return usageError(command);
    const auto data = openAlbum(a->words[1]);
    TAlbumSequenceContext context(*data);
    QString refused;
    context.OnMessage = [&refused](const QString& text) { refused = text; };
    context.Open(a->sheet);
    const auto frames = FramesInReadingOrder(context.SiteObjects());
    if (frames.empty()) throw Exception(msg::noPhotoFramesOnPage());
    if (size_t(a->frame) >= frames.size()) return usageError(command);
    frames[size_t(a->frame)]->SetSelected(true);
    const TSequenceResult result = insert ? InsertPhotoSlot(context) : DeletePhoto(context);
    context.Finish();
    if (result == TSequenceResult::PageLimit) {
        err(refused);
        return 1;
    }
    saveAlbum(*data, a->words[1]);
    return 0;
}

int albumCorrect(const ToolCommand& command, const QStringList& args) {
    const auto a = parseFaceArgs(command, args, false);
    if (!a || a->words.size() != 2 || a->filter < 0) return usageError(command);
    const auto data = openAlbum(a->words[1]);
    const int first = a->sheet >= 0 ? a->sheet : 0;
    const int last = a->sheet >= 0 ? a->sheet : data->SheetCount() - 1;
    for (int sheet = first; sheet <= last; ++sheet) {
        data->SelectSheet(sheet);
        TDOList list;
        data->LoadFaceObjects(0, list);
        bool changed = false;
        for (TDrawObject* o : list)
            if (auto* p = dynamic_cast<TLOAlbumPhoto*>(o);
                p && p->NormalizeFilter()->FilterNo() != a->filter) {
                p->NormalizeFilter()->SetFilterNo(a->filter);
                changed = true;
            }
        if (changed) {
            list.Reverse();  // front-most first
            data->SaveFaceObjects(0, list);
        }
        list.FreeAll();
    }
    saveAlbum(*data, a->words[1]);
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
    added.Clear();
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
    if (a->print) SwitchToPrintRendering(list.Items());
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
    if (verb == u"fill") return albumFill(command, args);
    if (verb == u"insert-slot") return albumSequenceStep(command, args, true);
    if (verb == u"delete-photo") return albumSequenceStep(command, args, false);
    if (verb == u"correct") return albumCorrect(command, args);
    return usageError(command);
}
