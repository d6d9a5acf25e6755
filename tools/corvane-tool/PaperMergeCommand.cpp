// corvane-tool papers export / import / update / companies / match, and the extras of
// `papers FILE --extras`: moving user papers between catalogues, applying an update,
// and what a catalogue keeps beside its papers. Catalogues are written back through a
// temporary file and a rename; a command that fails leaves them as they were.
#include "album/ImportFromAlbum.h"
#include "document/Messages.h"
#include "paper/ExtraStores.h"
#include "paper/ImagePaperInfo.h"
#include "paper/MatrixPaperInfo.h"
#include "paper/PapersV2.h"
#include "platform/Format.h"
#include "tools/Messages.h"
#include "tools/corvane-tool/CommandTable.h"
#include "tools/corvane-tool/Tool.h"

#include <QCommandLineParser>
#include <QFileInfo>

namespace {

bool openExisting(TPapersV2& papers, const QString& file, bool readOnly) {
    if (!QFileInfo(file).isFile()) {
        err(msg::cannotOpenFile(file));
        return false;
    }
    papers.Open(file, readOnly);
    if (!papers.DamagedPapers().empty()) err(papers.DamageReport());
    return true;
}

QString flag(bool v) {
    return v ? QStringLiteral("True") : QStringLiteral("False");
}

// One line describing an extra.
QString describe(const TExtraPaperInfo& extra) {
    if (const auto* e = dynamic_cast<const TExPaperInfo*>(&extra))
        return platform::format(QStringLiteral("Company=%s\tPurpose=%s\tRoundSize=%d"), e->Company,
                                e->Purpose, e->RoundSize);
    if (const auto* a = dynamic_cast<const TExAlbumInfo*>(&extra))
        return platform::format(
            QStringLiteral(
                "LeftMargin=%d\tCanReverse=%s\tLabelFixed=%s\tPhotoSize=%s\tFullPaint=%s"),
            a->LeftMargin(), flag(a->CanReverse), flag(a->LabelFixed), a->PhotoSize,
            flag(a->FullPaint));
    if (const auto* i = dynamic_cast<const TImagePaperInfo*>(&extra)) {
        QStringList counts;
        for (int f = 0; f < i->FaceListCount(); ++f)
            counts << QString::number(i->FaceObjects(f).size());
        return platform::format(QStringLiteral("SeparatelyDesign=%s\tLabelCount=%d\tFaces=%s"),
                                flag(i->SeparatelyDesign), i->LabelCount, counts.join(u','));
    }
    return extra.ClassName();
}

int runExport(const QStringList& args) {
    TPapersV2 source, dest;
    if (!openExisting(source, args[0], true)) return 1;
    const QStringList wanted = args.mid(2);
    for (const QString& name : wanted) {
        if (source.IndexOfPaper(name) < 0 || source.Papers(source.IndexOfPaper(name))->ReadOnly()) {
            err(msg::paperNotFound(name));
            return 1;
        }
    }
    dest.Open(args[1], false);
    while (dest.Count() > 0) dest.DeletePaper(0);  // the file becomes the export alone
    dest.MergeFrom(source, true, {}, false);
    if (!wanted.isEmpty())
        for (int i = dest.Count() - 1; i >= 0; --i)
            if (!wanted.contains(dest.Papers(i)->PaperName())) dest.DeletePaper(i);
    const int count = dest.Count();
    dest.Close();
    out(QString::number(count));
    return 0;
}

int runImport(const QStringList& args) {
    TPapersV2 source, dest;
    if (!openExisting(source, args[0], true) || !openExisting(dest, args[1], false)) return 1;
    const int before = dest.Count();
    dest.MergeFrom(source, true, {}, false);
    const int added = dest.Count() - before;
    dest.Close();
    out(QString::number(added));
    return 0;
}

int runUpdate(const QStringList& args) {
    TPapersV2 dest, source;
    if (!openExisting(dest, args[0], false) || !openExisting(source, args[1], true)) return 1;
    dest.ApplyUpdate(source, {});
    dest.Close();
    dest.Open(args[0], true);
    const TPaperUpdate& record = dest.UpdateRecord();
    out(record.NumberText() + u'\t' +
        record.LastUpdateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
    return 0;
}

// The paper's fixed design (its image extra) taken from an album document's current sheet.
int runDesign(const QStringList& args) {
    TPapersV2 papers;
    if (!openExisting(papers, args[0], false)) return 1;
    if (papers.IndexOfPaper(args[1]) < 0) {
        err(msg::paperNotFound(args[1]));
        return 1;
    }
    TImagePaperInfo extra;
    extra.SetPaperName(args[1]);
    ImportFromAlbum(extra, args[2]);
    papers.StorePaperExtra(TPapersV2::PaperImages, extra);
    papers.Close();
    out(describe(extra));
    return 0;
}

int runCompanies(const QStringList& args) {
    TPapersV2 papers;
    if (!openExisting(papers, args[0], true)) return 1;
    QStringList companies, purposes;
    papers.CollectCompaniesAndPurposes(companies, purposes);
    for (const QString& c : companies) out(QStringLiteral("company\t") + c);
    for (const QString& p : purposes) out(QStringLiteral("purpose\t") + p);
    return 0;
}

int runMatch(const ToolCommand& command, const QStringList& commandArgs) {
    QCommandLineParser parser;
    const QCommandLineOption groupOption(QStringLiteral("group"), QString(),
                                         QStringLiteral("GROUP"));
    const QCommandLineOption userOption(QStringLiteral("user"));
    parser.addOption(groupOption);
    parser.addOption(userOption);
    if (!parseCommandLine(parser, command, commandArgs)) return usageError(command);
    const QStringList args = parser.positionalArguments();
    if (args.size() != 3) return usageError(command);
    TPapersV2 papers;
    if (!openExisting(papers, args[1], true)) return 1;
    // The document's paper as an older document would carry it.
    TMatrixPaperInfo paper;
    paper.SetPaperName(args[2]);
    paper.SetGroupName(parser.value(groupOption));
    paper.SetReadOnly(!parser.isSet(userOption));
    const std::unique_ptr<TPaperInfo> match = papers.MatchPaper(paper);
    const bool known = papers.IndexOfPaper(match->PaperName()) >= 0;
    out(QStringList{match->PaperName(), match->GroupName(),
                    known ? QStringLiteral("catalogue") : QStringLiteral("document")}
            .join(u'\t'));
    return 0;
}

}  // namespace

int runPapersSubcommand(const ToolCommand& command, const QStringList& commandArgs) {
    const QString sub = commandArgs.value(0);
    if (sub == u"match") return runMatch(command, commandArgs);
    const auto words = plainArguments(command, commandArgs);
    if (!words) return usageError(command);
    const QStringList args = words->mid(1);
    if (sub == u"export" && args.size() >= 2) return runExport(args);
    if (sub == u"import" && args.size() == 2) return runImport(args);
    if (sub == u"update" && args.size() == 2) return runUpdate(args);
    if (sub == u"companies" && args.size() == 1) return runCompanies(args);
    if (sub == u"design" && args.size() == 3) return runDesign(args);
    return usageError(command);
}

bool isPapersSubcommand(const QString& word) {
    return QStringList{"export", "import", "update", "companies", "match", "design"}.contains(word);
}

void listPaperExtras(const TPapersV2& papers, int i) {
    const QString name = papers.Papers(i)->PaperName();
    for (int s = 0; s < papers.ExtrasCount(); ++s) {
        const QString store = papers.Extras(s)->Name();
        if (const auto extra = papers.LoadPaperExtra(store, name))
            out(QStringLiteral("\t") + store + u'\t' + describe(*extra));
    }
}
