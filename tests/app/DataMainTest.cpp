#include "FrameFixture.h"
#include "app/CommandLine.h"
#include "app/DataMain.h"
#include "imaging/codecs/Bmp.h"
#include "imaging/pack/MatrixImagePack.h"
#include "imaging/picture/PictureEx.h"
#include "objects/AlbumPhotoShared.h"
#include "paper/MatrixPaperInfo.h"
#include "paper/PapersV2.h"
#include "tests/paper/PaperTestUtil.h"

#include <QDir>
#include <QFile>

namespace {

class DataModule : public FrameTest {
protected:
    DataModule() {
        QDir().mkpath(dir.file("prog"));
        // The album photos' shadow mask (a bitmap under its own extension) and glyph strip.
        QImage mask(8, 6, QImage::Format_RGB32);
        mask.fill(Qt::white);
        dir.write("prog/AlbumShd.dat", codecs::WriteBmp(mask));
        dir.write("prog/DateFont.bmp", codecs::WriteBmp(mask.scaled(15, 9)));
    }

    std::unique_ptr<TdataMain> makeData() {
        auto d = std::make_unique<TdataMain>(programPath());
        record(d->Frame());
        d->Frame().ExecuteCondition = {ecExclusive};
        return d;
    }
    TStartupHooks hooks() {
        return {[this] { steps << "splash"; }, [this] { steps << "main window"; }};
    }
    QStringList steps;
};

TEST_F(DataModule, StartsWithoutDataFilesAndShowsTheMainWindowLast) {
    auto d = makeData();
    d->SetStartupFiles({});
    EXPECT_TRUE(d->Startup(hooks()));
    EXPECT_EQ(steps, QStringList({"splash", "main window"}));
    EXPECT_TRUE(d->StartupFinished());
    EXPECT_TRUE(messages.empty());
}

TEST_F(DataModule, FailedStartConditionEndsBeforeTheSplash) {
    auto first = makeData();
    ASSERT_TRUE(first->Frame().CheckStartConditions());
    auto second = makeData();
    EXPECT_FALSE(second->Startup(hooks()));
    EXPECT_TRUE(steps.isEmpty());
    EXPECT_EQ(messages.back().text, "Vellumoは、すでに実行中です");
}

TEST_F(DataModule, MissingCatalogueIsNamedAndNoMainWindowIsCreated) {
    auto d = makeData();
    QStringList opened;
    auto step = [&](QString label, QString macro, QString messageMacro = {}) {
        return TStartupFile{label, macro, true, messageMacro,
                            [&opened, label](const TStartupContext&, const QString&) { opened << label; }};
    };
    dir.write("prog/ImageCache.ic", "x");
    d->SetStartupFiles({step("cache", "$(ImageCacheFile)"), step("catalogue", "$(SystemPaperInfo)"),
                        step("album shadows", "$(ExeDir)AlbumShd.dat")});
    EXPECT_FALSE(d->Startup(hooks()));
    EXPECT_EQ(opened, QStringList({"cache"}));
    EXPECT_EQ(steps, QStringList({"splash"}));
    EXPECT_FALSE(d->StartupFinished());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text,
              "アプリケーションに必要なファイル「" + dir.file("prog/corvane.ppr") + "」が開けませんでした");
}

TEST_F(DataModule, OpeningFailuresNameTheRightFile) {
    auto d = makeData();
    dir.write("prog/corvane.ppr", "x");
    dir.write("prog/corvane.cdb", "x");
    d->SetStartupFiles({{"catalogue", "$(SystemPaperInfo)", true, {},
                         [](const TStartupContext&, const QString&) { throw EReadOnlyDataFile("read-only"); }}});
    EXPECT_FALSE(d->Startup(hooks()));
    EXPECT_EQ(messages.back().text,
              "実行に必要なファイル「" + dir.file("prog/corvane.ppr") + "」が読み取り専用になっています");

    // A failing product database names the system catalogue.
    auto e = makeData();
    std::vector<TStartupFileResult> report;
    e->SetStartupFiles({{"products", "$(ProductDB)", true, "$(SystemPaperInfo)",
                         [](const TStartupContext&, const QString&) { throw Exception("壊れています"); }}});
    EXPECT_FALSE(e->OpenDataFiles(&report));
    EXPECT_EQ(messages.back().text,
              "アプリケーションに必要なファイル「" + dir.file("prog/corvane.ppr") + "」が開けませんでした");
    ASSERT_EQ(report.size(), 1u);
    EXPECT_FALSE(report[0].passed);
    EXPECT_EQ(report[0].detail, "壊れています");
}

TEST_F(DataModule, TheCatalogueIsCopiedToTheUserFolderAndWrittenBackWhenChanged) {
    // The catalogue shipped beside the program.
    {
        TPapers shipped;
        shipped.Open(dir.file("prog/corvane.ppr"), false);
        TMatrixPaperInfo paper;
        paper.SetPaperName(QStringLiteral("L判"));
        paper.SetPortraitSize(890, 1270);
        shipped.StorePaper(paper);
        shipped.Close();
    }
    ASSERT_TRUE(QFile::exists(dir.file("prog/corvane.ppr")));
    // As when the program folder is read-only: the system catalogue is the user's copy.
    const QString user = dir.file("data/Vellumo/1.0/corvane.ppr");
    {
        auto d = makeData();
        d->Frame().Macro().SetValue("SystemPreferenceFolder", dir.file("data/Vellumo/1.0/"));
        d->SetStartupFiles(StartupDataFiles());
        ASSERT_TRUE(d->OpenDataFiles());
        ASSERT_TRUE(AlbumPhotoShared().defaultShadow);
        EXPECT_EQ(AlbumPhotoShared().defaultShadow->Width(), 8);
        ASSERT_TRUE(AlbumPhotoShared().dateGlyphs);
        EXPECT_EQ(AlbumPhotoShared().dateGlyphs->GetImageRect(14), TRect(12, 6, 15, 9));
        ASSERT_TRUE(QFile::exists(user));
        ASSERT_NE(d->Papers(), nullptr);
        EXPECT_EQ(d->Papers()->Count(), 1);
        TMatrixPaperInfo mine;
        mine.SetPaperName(QStringLiteral("自作ラベル"));
        mine.SetPortraitSize(2100, 2970);
        d->Papers()->StorePaper(mine);
    }  // the data module goes: the changed catalogue is written back
    TPapers reread;
    reread.Open(user, true);
    EXPECT_EQ(reread.Count(), 2);
    TPapers original;
    original.Open(dir.file("prog/corvane.ppr"), true);
    EXPECT_EQ(original.Count(), 1);  // the shipped file is left alone

    // Neither a user copy nor a shipped catalogue: the step fails and names the file.
    QFile::remove(user);
    QFile::remove(dir.file("prog/corvane.ppr"));
    auto d = makeData();
    d->Frame().Macro().SetValue("SystemPreferenceFolder", dir.file("data/Vellumo/1.0/"));
    d->SetStartupFiles(StartupDataFiles());
    EXPECT_FALSE(d->OpenDataFiles());
    EXPECT_EQ(messages.back().text,
              "アプリケーションに必要なファイル「" + user + "」が開けませんでした");
}

TEST_F(DataModule, ADamagedPaperIsShownAndTheStartContinues) {
    const QString file = dir.file("prog/corvane.ppr");
    {
        TPapers papers;
        papers.Open(file, false);
        for (const char* name : {"L判", "2L判"}) {
            TMatrixPaperInfo paper;
            paper.SetPaperName(QString::fromUtf8(name));
            paper.SetPortraitSize(890, 1270);
            papers.StorePaper(paper);
        }
        papers.Close();
    }
    DamagePaperStream(file, QStringLiteral("$00000001"));
    const QByteArray damaged = StoredStream(file, QStringLiteral("Papers\\$00000001"));
    {
        auto d = makeData();
        d->SetStartupFiles(StartupDataFiles());
        ASSERT_TRUE(d->OpenDataFiles());
        ASSERT_NE(d->Papers(), nullptr);
        EXPECT_EQ(d->Papers()->Count(), 1);
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages.back().text, d->Papers()->DamageReport());
        EXPECT_TRUE(messages.back().text.contains(QStringLiteral("$00000001")));
        TMatrixPaperInfo mine;
        mine.SetPaperName(QStringLiteral("自作ラベル"));
        mine.SetPortraitSize(2100, 2970);
        d->Papers()->StorePaper(mine);
    }  // written back with the new paper; the damaged one as it was
    EXPECT_EQ(StoredStream(file, QStringLiteral("Papers\\$00000001")), damaged);
    TPapers reread;
    reread.Open(file, true);
    EXPECT_EQ(reread.Count(), 2);
    EXPECT_EQ(reread.DamagedPapers().size(), 1u);
}

TEST_F(DataModule, ImageLimitsFollowTheSettings) {
    auto d = makeData();
    d->ReadImageLimits();
    EXPECT_EQ(d->ImageLimits().displayLimit, 800);
    EXPECT_EQ(d->ImageLimits().printLimit, 3000);
    d->Frame().WriteBool("ImageDispLimit", false);
    d->Frame().WriteInteger("ImagePrintLimitSize", 5000);
    d->ReadImageLimits();
    EXPECT_EQ(d->ImageLimits().displayLimit, 0);
    EXPECT_EQ(d->ImageLimits().printLimit, 5000);
}

TEST_F(DataModule, PluginsComeFromTheProgramFolder) {
    QDir().mkpath(dir.file("prog/Plugins"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(VELLUMO_TEST_PLUGIN), dir.file("prog/Plugins/p.so")));
    auto d = makeData();
    d->LoadPlugins();
    EXPECT_EQ(d->ImageServers().Servers().size(), 1u);
    EXPECT_EQ(d->OtherServers().Servers().size(), 1u);
}

TEST(CommandLine, FirstExistingFileDecides) {
    TempDir dir;
    EXPECT_EQ(DecideCommandLine({}).kind, TCommandLineAction::StartMenu);
    EXPECT_EQ(DecideCommandLine({dir.file("missing.vld"), "--flag"}).kind, TCommandLineAction::StartMenu);

    const QString album = dir.write("a.vld", QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + QByteArray(504, 0));
    const auto a = DecideCommandLine({dir.file("missing"), album});
    EXPECT_EQ(a.kind, TCommandLineAction::OpenAlbum);
    EXPECT_EQ(a.file, album);

    const QString list = dir.write("photos.txt", "\xEF\xBB\xBF/p/一.jpg\r\n\r\n  /p/two.jpg  \n");
    const auto l = DecideCommandLine({list, album});
    EXPECT_EQ(l.kind, TCommandLineAction::ImageList);
    EXPECT_EQ(l.imageFiles, QStringList({"/p/一.jpg", "/p/two.jpg"}));

    // A list in Shift-JIS is read as such.
    const QString sjis = dir.write("sjis.txt", "\x8E\xCA\x90\x5E.jpg\n");
    EXPECT_EQ(DecideCommandLine({sjis}).imageFiles, QStringList({"写真.jpg"}));
    EXPECT_FALSE(IsCompoundFile(list));
}

}  // namespace
