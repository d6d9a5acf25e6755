#include "document/Strings.h"
#include "document/storage/DocStream.h"
#include "document/storage/StorageMode.h"
#include "document/stream/ClassRegistry.h"
#include "document/stream/PropertyBuilder.h"
#include "paper/FreePaperInfo.h"
#include "paper/MatrixPaperInfo.h"
#include "paper/PaperErrors.h"
#include "paper/Papers.h"
#include "tests/paper/PaperTestUtil.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <QDir>
#include <QFile>

// A registered component that is not a paper.
class TNotAPaper : public TComponent {
    VELLUMO_PERSISTENT(TNotAPaper, TComponent)
};
VELLUMO_DEFINE_PERSISTENT(TNotAPaper)

namespace {

std::unique_ptr<TMatrixPaperInfo> paper(const QString& name, int width = 2100) {
    auto m = std::make_unique<TMatrixPaperInfo>();
    m->SetPaperName(name);
    m->SetGroupName(QStringLiteral("ラベル"));
    m->SetPortraitSize(width, 2970);
    m->FaceWidth = 500;
    m->FaceHeight = 300;
    m->FaceCountX = 2;
    m->FaceCountY = 3;
    return m;
}

QStringList streamNames(const TPapers& p) {
    QStringList out;
    for (int i = 0; i < p.Count(); ++i) out << p.StreamName(i);
    return out;
}

QStringList paperNames(const TPapers& p) {
    QStringList out;
    for (int i = 0; i < p.Count(); ++i) out << p.Papers(i)->PaperName();
    return out;
}

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

ino_t inode(const QString& path) {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_ino : 0;
}

class Papers : public ::testing::Test {
protected:
    Papers() : tmp_("TMPDIR", dir.file("tmp")) {
        QDir().mkpath(dir.file("tmp"));
        QDir().mkpath(dir.file("cat"));
    }
    QString file() const { return dir.file("cat/papers.ppr"); }

    TempDir dir;

private:
    ScopedEnv tmp_;
};

TEST_F(Papers, StreamNumbersAreNeverReusedBelowTheHighest) {
    TPapers p;
    p.Open(file(), false);
    EXPECT_EQ(p.Count(), 0);
    p.StorePaper(*paper("A"));
    p.StorePaper(*paper("B"));
    p.StorePaper(*paper("C"));
    EXPECT_EQ(streamNames(p), (QStringList{"$00000001", "$00000002", "$00000003"}));
    p.DeletePaper(1);
    p.StorePaper(*paper("D"));
    EXPECT_EQ(streamNames(p), (QStringList{"$00000001", "$00000003", "$00000004"}));
    // Names differ by case.
    p.StorePaper(*paper("d"));
    EXPECT_EQ(paperNames(p), (QStringList{"A", "C", "D", "d"}));
    EXPECT_EQ(p.IndexOfPaper(QStringLiteral("d")), 3);
    EXPECT_EQ(p.IndexOfPaper(QStringLiteral("B")), -1);
    EXPECT_THROW(p.DeletePaper(4), EListError);
    p.Close();
    EXPECT_FALSE(p.IsOpen());

    // A missing file became the catalogue at close.
    p.Open(file(), true);
    EXPECT_EQ(streamNames(p), (QStringList{"$00000001", "$00000003", "$00000004", "$00000005"}));
    EXPECT_EQ(paperNames(p), (QStringList{"A", "C", "D", "d"}));
    EXPECT_EQ(p.Papers(2)->GetFaceCount(), 6);
    p.Close();
    // Nothing but the papers and the purpose list in the file (no leftovers of writes).
    TFileStorage f(file(), storagemode::Read);
    TStringList names;
    TDocStorage(f, false, QStringLiteral("Papers")).ListStreams(names);
    EXPECT_EQ(names.Count(), 4);
}

TEST_F(Papers, ReplacingAPaperKeepsItsStreamAndPlace) {
    TPapers p;
    p.Open(file(), false);
    p.StorePaper(*paper("A"));
    p.StorePaper(*paper("B"));
    auto wider = paper("A", 2970);
    wider->SetLandscape(true);
    p.StorePaper(*wider);
    // The catalogue keeps its own copy.
    wider->SetPortraitSize(1, 1);
    EXPECT_EQ(streamNames(p), (QStringList{"$00000001", "$00000002"}));
    EXPECT_EQ(p.Papers(0)->PortraitWidth(), 2970);
    EXPECT_TRUE(p.Papers(0)->Landscape());
    EXPECT_TRUE(wider->Landscape());
    p.Close();

    // Stored in portrait orientation with its purposes; the working copy kept no
    // temporary streams.
    p.Open(file(), true);
    EXPECT_EQ(p.Count(), 2);
    EXPECT_FALSE(p.Papers(0)->Landscape());
    EXPECT_EQ(p.Papers(0)->PortraitWidth(), 2970);
    EXPECT_EQ(p.Papers(0)->PortraitHeight(), 2970);
    const auto doc = streamtree::readDocument(p.PaperStream(0));
    bool hasList = false;
    for (const auto& prop : doc.entries.at(0).properties) hasList |= prop.name == "PurposeList";
    EXPECT_TRUE(hasList);
    EXPECT_EQ(p.Papers(0)->PurposeList().Count(), 5);
}

TEST_F(Papers, AFailedStoreLosesNothing) {
    TPapers p;
    p.Open(file(), false);
    p.StorePaper(*paper("A"));
    const QByteArray stored = p.PaperStream(0);
    // A shape the stream cannot name makes the write fail halfway.
    auto broken = paper("A", 1000);
    broken->Face.shape = TFaceShape(9);
    broken->SetLandscape(true);
    EXPECT_ANY_THROW(p.StorePaper(*broken));
    EXPECT_TRUE(broken->Landscape());
    EXPECT_EQ(p.PaperStream(0), stored);
    EXPECT_EQ(p.Papers(0)->PortraitWidth(), 2100);
    broken->SetPaperName(QStringLiteral("B"));
    EXPECT_ANY_THROW(p.StorePaper(*broken));
    EXPECT_EQ(paperNames(p), QStringList{"A"});
    p.StorePaper(*paper("C"));
    EXPECT_EQ(streamNames(p), (QStringList{"$00000001", "$00000002"}));
    p.Close();

    // The file holds the two good papers and nothing else.
    p.Open(file(), true);
    EXPECT_EQ(paperNames(p), (QStringList{"A", "C"}));
    p.Close();
    TFileStorage f(file(), storagemode::Read);
    TStringList names;
    TDocStorage(f, false, QStringLiteral("Papers")).ListStreams(names);
    EXPECT_EQ(names.Count(), 2);
}

TEST_F(Papers, PurposeListIsWrittenWhenItGains) {
    TPapers p;
    p.Open(file(), false);
    EXPECT_EQ(p.PurposeList().Count(), 5);
    auto a = paper("A");
    a->PurposeList().Add(QStringLiteral("Label"), QStringLiteral("ラベル"), faceShapes({fsRect}));
    p.StorePaper(*a);
    EXPECT_EQ(p.PurposeList().Count(), 6);
    p.StorePaper(*paper("B"));  // its empty list adds nothing
    p.Close();

    p.Open(file(), false);
    EXPECT_EQ(p.PurposeList().IndexOfPurpose(QStringLiteral("label")), 5);
    // Every paper offers the catalogue's purposes too.
    EXPECT_EQ(p.Papers(1)->PurposeList().Count(), 6);

    // SetPurposeList writes at once, filtered by the validator.
    ValidatorScope scope;
    TPurposeList l;
    l.Add(QStringLiteral("MO"), {}, 0);
    l.Add(QStringLiteral("Disc"), {}, 0);
    p.SetPurposeList(l);
    EXPECT_EQ(p.PurposeList().Count(), 1);
    p.Close();
    p.Open(file(), true);
    ASSERT_EQ(p.PurposeList().Count(), 1);
    EXPECT_EQ(p.PurposeList().Items(0)->ID, "Disc");
}

TEST_F(Papers, ReorderGivesNewConsecutiveNumbers) {
    TPapers p;
    p.Open(file(), false);
    for (const char* n : {"A", "B", "C"}) p.StorePaper(*paper(QString::fromLatin1(n)));
    p.ReorderPapers({"C", "A", "B"});
    EXPECT_EQ(paperNames(p), (QStringList{"C", "A", "B"}));
    EXPECT_EQ(streamNames(p), (QStringList{"$00000004", "$00000005", "$00000006"}));

    // A bad name stops the reordering; names given so far stay, the list is sorted.
    try {
        p.ReorderPapers({"B", "X", "A"});
        FAIL() << "no error";
    } catch (const EPaperError& e) {
        EXPECT_EQ(e.message(), "Bad paper name");
    }
    EXPECT_EQ(paperNames(p), (QStringList{"C", "A", "B"}));
    EXPECT_EQ(streamNames(p), (QStringList{"$00000004", "$00000005", "$00000007"}));
    EXPECT_THROW(p.ReorderPapers({"A"}), EPaperError);  // too few names
    p.Close();
    p.Open(file(), true);
    EXPECT_EQ(paperNames(p), (QStringList{"C", "B", "A"}));
}

TEST_F(Papers, CloseWritesBackOnlyAChangedWritableCatalogue) {
    TPapers p;
    p.Open(file(), false);
    p.StorePaper(*paper("A"));
    p.Close();
    const QByteArray before = fileBytes(file());
    const ino_t node = inode(file());
    ASSERT_FALSE(before.isEmpty());

    // Unchanged: the file is not touched.
    p.Open(file(), false);
    p.Close();
    EXPECT_EQ(inode(file()), node);
    EXPECT_EQ(fileBytes(file()), before);

    // Read-only: changes stay in the working copy.
    p.Open(file(), true);
    p.StorePaper(*paper("B"));
    p.DeletePaper(0);
    p.Close();
    EXPECT_EQ(inode(file()), node);
    EXPECT_EQ(fileBytes(file()), before);

    // Changed: written through a new file that replaces the old one.
    p.Open(file(), false);
    p.StorePaper(*paper("B"));
    p.Close();
    EXPECT_NE(inode(file()), node);
    EXPECT_EQ(QDir(dir.file("cat")).entryList(QDir::Files | QDir::Hidden),
              QStringList{"papers.ppr"});
    p.Open(file(), true);
    EXPECT_EQ(paperNames(p), (QStringList{"A", "B"}));
}

TEST_F(Papers, CloseThatCannotWriteKeepsTheCatalogueOpen) {
    TPapers p;
    p.Open(file(), false);
    p.StorePaper(*paper("A"));
    // A folder where the file should go: the final rename fails.
    ASSERT_TRUE(QDir().mkpath(file() + QStringLiteral("/x")));
    EXPECT_ANY_THROW(p.Close());
    EXPECT_TRUE(p.IsOpen());
    EXPECT_EQ(p.Count(), 1);
    EXPECT_EQ(QDir(dir.file("cat")).entryList(QDir::Files | QDir::Hidden), QStringList{});
    ASSERT_TRUE(QDir(file()).removeRecursively());
    p.Close();
    p.Open(file(), true);
    EXPECT_EQ(paperNames(p), QStringList{"A"});
}

TEST_F(Papers, AStreamThatIsNotAPaperOrCutShortIsReportedNotFatal) {
    TPapers p;
    p.Open(file(), false);
    p.StorePaper(*paper("A"));
    p.Close();
    p.Open(file(), true);
    {
        // Another component where a paper belongs.
        RegisterPersistentClass<TNotAPaper>();
        TFileStorage f(file(), storagemode::ReadWrite);
        TDocStream s(f, storagemode::Create, QStringLiteral("Papers\\$00000002"));
        TNotAPaper other;
        WriteComponentStream(s, other);
    }
    // The open catalogue is closed first; the other paper is read.
    p.Open(file(), true);
    EXPECT_EQ(paperNames(p), QStringList{"A"});
    ASSERT_EQ(p.DamagedPapers().size(), 1u);
    EXPECT_EQ(p.DamagedPapers()[0].streamName, "$00000002");
    EXPECT_EQ(p.DamagedPapers()[0].message,
              "用紙ストリーム $00000002 を読み込めません: 無効なクラス型キャスト");
    p.Close();
    EXPECT_TRUE(p.DamagedPapers().empty());
    {
        TFileStorage f(file(), storagemode::ReadWrite);
        TDocStream s(f, storagemode::Create, QStringLiteral("Papers\\$00000002"));
        s.WriteBytes("TPF0\x10TMatrixPaperInf");
    }
    p.Open(file(), true);
    EXPECT_EQ(paperNames(p), QStringList{"A"});
    ASSERT_EQ(p.DamagedPapers().size(), 1u);
    // The class name's length says 16 bytes where 15 remain.
    EXPECT_EQ(p.DamagedPapers()[0].message,
              "用紙ストリーム $00000002 を読み込めません: "
              "ストリームからの読み込みエラー (オフセット 5)");
    p.Close();
    EXPECT_THROW(p.StorePaper(*paper("B")), EPaperError);
}

TEST_F(Papers, ADamagedPaperStaysInTheFileAsItIsWhileTheOthersAreEdited) {
    TPapers p;
    p.Open(file(), false);
    p.StorePaper(*paper("A"));
    p.StorePaper(*paper("B"));
    p.StorePaper(*paper("C"));
    p.Close();
    // The highest-numbered stream is damaged: its number must not be given out again.
    const qint64 at = DamagePaperStream(file(), QStringLiteral("$00000003"));
    const QByteArray damaged = StoredStream(file(), QStringLiteral("Papers\\$00000003"));

    p.Open(file(), false);
    EXPECT_EQ(paperNames(p), (QStringList{"A", "B"}));
    EXPECT_EQ(streamNames(p), (QStringList{"$00000001", "$00000002"}));
    ASSERT_EQ(p.DamagedPapers().size(), 1u);
    const TPapers::DamagedPaper d = p.DamagedPapers()[0];
    EXPECT_EQ(d.streamName, "$00000003");
    // Named by its stream, with the offset of the byte that stopped the read.
    EXPECT_TRUE(d.message.startsWith("用紙ストリーム $00000003 を読み込めません: "))
        << d.message.toStdString();
    EXPECT_TRUE(
        d.message.endsWith(QStringLiteral("不正なストリーム フォーマット (オフセット %1)").arg(at)))
        << d.message.toStdString();
    EXPECT_EQ(p.DamageReport().split(u'\n'),
              (QStringList{"用紙情報 " + file() +
                               " の次の用紙は読み込めません (ファイルにはそのまま残ります)",
                           d.message}));

    // Every kind of edit, then the write-back.
    p.StorePaper(*paper("D"));
    EXPECT_EQ(streamNames(p), (QStringList{"$00000001", "$00000002", "$00000004"}));
    p.StorePaper(*paper("A", 2970));
    p.ReorderPapers({"D", "B", "A"});
    EXPECT_EQ(streamNames(p), (QStringList{"$00000005", "$00000006", "$00000007"}));
    p.DeletePaper(p.IndexOfPaper(QStringLiteral("B")));
    p.SetPurposeList(p.PurposeList());
    p.Close();

    EXPECT_EQ(StoredStream(file(), QStringLiteral("Papers\\$00000003")), damaged);
    p.Open(file(), true);
    EXPECT_EQ(paperNames(p), (QStringList{"D", "A"}));
    EXPECT_EQ(p.Papers(1)->PortraitWidth(), 2970);
    ASSERT_EQ(p.DamagedPapers().size(), 1u);
    EXPECT_EQ(p.DamagedPapers()[0].message, d.message);
    p.Close();

    // Opening and closing a writable catalogue with nothing changed leaves the file alone.
    const QByteArray before = fileBytes(file());
    p.Open(file(), false);
    p.Close();
    EXPECT_EQ(fileBytes(file()), before);
}

TEST_F(Papers, GroupNames) {
    TPapers p;
    p.Open(file(), false);
    auto a = paper("A");
    a->SetGroupName(QStringLiteral("Labels"));
    p.StorePaper(*a);
    a->SetPaperName(QStringLiteral("B"));
    a->SetGroupName(QStringLiteral("LABELS"));
    p.StorePaper(*a);
    a->SetPaperName(QStringLiteral("C"));
    a->SetGroupName(QStringLiteral("フォトアルバム用紙"));
    p.StorePaper(*a);
    TStringList groups;
    groups.Add(QStringLiteral("写真用紙"));
    p.GetGroupNames(groups);
    EXPECT_EQ(groups.ToStringList(), (QStringList{"写真用紙", "Labels", "フォトアルバム用紙"}));
}

TEST(PaperChecks, FacesOutsideThePaper) {
    TFreePaperInfo f;
    f.SetPortraitSize(1000, 2000);
    f.AddFace({0, 0, 1000, 2000});
    EXPECT_EQ(TPapers::FindFaceOutsidePaper(f), -1);
    FaceSettings bleed;
    bleed.margin = 1;
    f.Faces().Items(0)->Face = bleed;
    EXPECT_EQ(TPapers::FindFaceOutsidePaper(f), 0);
    f.Faces().Items(0)->Face = {};
    f.AddFace({100, 100, 100, 300});  // empty
    EXPECT_EQ(TPapers::FindFaceOutsidePaper(f), 1);
    f.Faces().Items(1)->Rect = {100, 100, 200, 300};
    f.AddFace({900, 1900, 1001, 2000});
    EXPECT_EQ(TPapers::FindFaceOutsidePaper(f), 2);
    f.Faces().Items(2)->Rect = {900, 1900, 1000, 2000};
    EXPECT_EQ(TPapers::FindFaceOutsidePaper(f), -1);

    // Turned, the same faces still lie inside.
    f.SetLandscape(true);
    EXPECT_EQ(TPapers::FindFaceOutsidePaper(f), -1);
}

TEST(PaperChecks, OverlapsFollowTheOutlines) {
    TFreePaperInfo f;
    f.SetPortraitSize(2000, 2000);
    FaceSettings round;
    round.shape = fsEllipse;
    // Two circles whose rectangles overlap at the corners only.
    f.AddFace({0, 0, 1000, 1000}, round);
    f.AddFace({900, 900, 1900, 1900}, round);
    EXPECT_EQ(TPapers::FindOverlappingFace(f), -1);
    // Touching rectangles do not overlap.
    f.AddFace({1000, 0, 1500, 500});
    EXPECT_EQ(TPapers::FindOverlappingFace(f), -1);
    // A face in the hole of a CD face overlaps it: the hole is part of the outline.
    FaceSettings cd;
    cd.shape = fsDoughnut;
    f.Faces().Items(0)->Face = cd;
    f.AddFace({480, 480, 520, 520});
    EXPECT_EQ(TPapers::FindOverlappingFace(f), 3);
    f.Faces().Delete(3);
    // A margin makes a face reach its neighbour.
    f.Faces().Items(2)->Face.margin = 10;
    EXPECT_EQ(TPapers::FindOverlappingFace(f), 2);
}

}  // namespace
