// The catalogue the build places beside the program, found the way the program finds it.
#include "app/frame/AppFrame.h"
#include "app/frame/ProgramMacros.h"
#include "document/stream/ComponentStream.h"
#include "document/stream/Stream.h"
#include "objects/BackImage.h"
#include "paper/FreePaperInfo.h"
#include "paper/ImagePaperInfo.h"
#include "paper/MatrixPaperInfo.h"
#include "paper/Papers.h"
#include "paper/PapersV2.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <map>

namespace {

class Shipped : public ::testing::Test {
protected:
    Shipped()
        : home_("HOME", dir.path()),
          config_("XDG_CONFIG_HOME", dir.file("config")),
          data_("XDG_DATA_HOME", dir.file("data")),
          tmp_("TMPDIR", dir.path()) {}

    // "$(SystemPaperInfo)" of the program built beside this test.
    QString catalogue() {
        TAppFrame frame;
        ConfigureProgramFrame(frame, QStringLiteral(VELLUMO_BIN_DIR "/corvane"));
        return frame.ExpandOrKeep(QStringLiteral("$(SystemPaperInfo)"));
    }

    TempDir dir;

private:
    ScopedEnv home_, config_, data_, tmp_;
};

// Every paper written as the catalogue writes it.
QByteArray written(const TPaperInfo& paper) {
    std::unique_ptr<TPaperInfo> copy = paper.Clone();
    copy->SetLandscape(false);
    copy->SetStorePurposes(true);
    TMemoryStream s;
    WriteComponentStream(s, *copy);
    return s.Data();
}

TEST_F(Shipped, IsWhereTheProgramLooksAndHoldsEveryKindOfPaper) {
    const QString path = catalogue();
    EXPECT_EQ(QDir::cleanPath(path),
              QDir::cleanPath(QStringLiteral(VELLUMO_BIN_DIR "/corvane.ppr")));
    ASSERT_TRUE(QFile::exists(path)) << path.toStdString();
    TPapers p;
    p.Open(path, true);
    ASSERT_GE(p.Count(), 20);

    std::map<QString, int> faceCount;
    int album = 0, bleed = 0, hole41 = 0, hole22 = 0, covers = 0, trays = 0, squares = 0;
    bool spread = false, albumCover = false;
    for (int i = 0; i < p.Count(); ++i) {
        const TPaperInfo& paper = *p.Papers(i);
        SCOPED_TRACE(paper.PaperName().toStdString());
        EXPECT_TRUE(paper.ReadOnly());
        EXPECT_FALSE(paper.Landscape());
        EXPECT_FALSE(paper.GroupName().isEmpty());
        EXPECT_GT(paper.GetFaceCount(), 0);
        EXPECT_EQ(TPapers::FindFaceOutsidePaper(paper), -1);
        EXPECT_EQ(TPapers::FindOverlappingFace(paper), -1);
        EXPECT_EQ(paper.PurposeList().Count(), 5);
        faceCount[paper.PaperName()] = paper.GetFaceCount();
        if (paper.GroupName().contains(QStringLiteral("フォトアルバム"))) {
            ++album;
            spread |= paper.PaperName().contains(QStringLiteral("見開"));
            albumCover |= paper.PaperName().contains(QStringLiteral("表紙"));
        }
        for (int f = 0; f < paper.GetFaceCount(); ++f) {
            bleed += paper.GetFaceMargin(f) > 0;
            const QString purpose = paper.GetFacePurpose(f);
            if (purpose == u"CD") {
                EXPECT_EQ(paper.GetFaceShape(f), fsDoughnut);
                hole41 += paper.GetCutCenter(f) == QSize(410, 410);
                hole22 += paper.GetCutCenter(f) == QSize(220, 220);
            }
            if (purpose == u"CDCover" || purpose == u"CDCaseTray") {
                EXPECT_TRUE(dynamic_cast<const TFreePaperInfo*>(&paper));
            }
            covers += purpose == u"CDCover";
            trays += purpose == u"CDCaseTray";
            squares += purpose == u"MOSquare";
        }
    }
    EXPECT_GE(album, 3);
    EXPECT_TRUE(spread);
    EXPECT_TRUE(albumCover);
    EXPECT_GT(bleed, 0);
    EXPECT_GT(hole41, 0);
    EXPECT_GT(hole22, 0);
    EXPECT_GT(covers, 0);
    EXPECT_GT(trays, 0);
    EXPECT_GT(squares, 0);
    EXPECT_EQ(faceCount[QStringLiteral("名刺 A4 10面")], 10);
    EXPECT_EQ(faceCount[QStringLiteral("宛名ラベル A4 12面")], 12);
    EXPECT_EQ(faceCount[QStringLiteral("宛名ラベル A4 24面")], 24);
    EXPECT_EQ(faceCount[QStringLiteral("差出人ラベル A4 44面")], 44);
    EXPECT_EQ(faceCount[QStringLiteral("写真用紙 A4 2面")], 2);
    EXPECT_EQ(faceCount[QStringLiteral("写真用紙 A4 4面")], 4);
    for (const char* name :
         {"写真用紙 L判 フチなし", "写真用紙 2L判 フチなし", "写真用紙 KG判 フチなし",
          "はがき フチなし", "写真用紙 A4 フチなし", "写真用紙 A4 フチあり"})
        EXPECT_EQ(faceCount[QString::fromUtf8(name)], 1) << name;
}

TEST_F(Shipped, CarriesTheExtrasItsPapersNeed) {
    TPapersV2 p;
    p.Open(catalogue(), true);
    int albums = 0, discs = 0;
    for (int i = 0; i < p.Count(); ++i) {
        const TPaperInfo& paper = *p.Papers(i);
        SCOPED_TRACE(paper.PaperName().toStdString());
        const auto maker = p.LoadPaperExtra(TPapersV2::ExtraInfos, paper.PaperName());
        if (paper.GroupName() == u"CD/DVDラベル") {
            ++discs;
            ASSERT_TRUE(maker);
            EXPECT_FALSE(static_cast<TExPaperInfo&>(*maker).Company.isEmpty());
        }
        if (paper.GroupName() != u"フォトアルバム用紙") continue;
        ++albums;
        EXPECT_TRUE(p.LoadPaperExtra(TPapersV2::ExtraAlbumInfo, paper.PaperName()));
        const auto image = p.LoadPaperExtra(TPapersV2::PaperImages, paper.PaperName());
        ASSERT_TRUE(image);
        const auto& faces = static_cast<TImagePaperInfo&>(*image);
        ASSERT_EQ(faces.FaceListCount(), paper.GetFaceCount());
        for (int f = 0; f < paper.GetFaceCount(); ++f) {
            ASSERT_EQ(faces.FaceObjects(f).size(), 1u);
            const auto* back = dynamic_cast<const TLOBackImage*>(faces.FaceObjects(f)[0].get());
            ASSERT_TRUE(back);
            const TRect b = paper.GetFaceBounds(f);
            EXPECT_EQ(back->LogBounds(), (TRect{0, 0, b.Width(), b.Height()}));
        }
    }
    EXPECT_GE(albums, 5);
    EXPECT_GE(discs, 4);
    QStringList sizes;
    EXPECT_TRUE(p.ReadGlobalText(TPapersV2::PhotoSizeInfo, sizes));
    EXPECT_TRUE(sizes.contains(QStringLiteral("L判")));
    EXPECT_TRUE(p.GroupList().contains(QStringLiteral("フォトアルバム用紙")));
}

TEST_F(Shipped, RoundTripsUnchanged) {
    const QString path = catalogue();
    const QByteArray original = [&] {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    ASSERT_FALSE(original.isEmpty());

    // Each paper, read and written again, gives its stored bytes.
    TPapers p;
    p.Open(path, true);
    for (int i = 0; i < p.Count(); ++i)
        EXPECT_EQ(written(*p.Papers(i)), p.PaperStream(i))
            << p.Papers(i)->PaperName().toStdString();

    // Opened for writing and closed, the file stays as it was.
    const QString copy = dir.file("copy.ppr");
    ASSERT_TRUE(QFile::copy(path, copy));
    TPapers w;
    w.Open(copy, false);
    w.Close();
    QFile c(copy);
    ASSERT_TRUE(c.open(QIODevice::ReadOnly));
    EXPECT_EQ(c.readAll(), original);
    c.close();

    // Storing every paper again into a new catalogue reproduces every stream.
    const QString again = dir.file("again.ppr");
    w.Open(again, false);
    w.SetPurposeList(p.PurposeList());
    for (int i = 0; i < p.Count(); ++i) w.StorePaper(*p.Papers(i));
    w.Close();
    w.Open(again, true);
    ASSERT_EQ(w.Count(), p.Count());
    for (int i = 0; i < p.Count(); ++i) {
        EXPECT_EQ(w.StreamName(i), p.StreamName(i));
        EXPECT_EQ(w.PaperStream(i), p.PaperStream(i));
    }
}

TEST_F(Shipped, OlefileReadsIt) {
    const char* python = "/usr/bin/python3";
    QProcess probe;
    probe.start(QString::fromLatin1(python),
                {QStringLiteral("-c"), QStringLiteral("import olefile")});
    if (!probe.waitForFinished(30000) || probe.exitCode() != 0)
        GTEST_SKIP() << "python3-olefile is not installed";

    const QString path = catalogue();
    QProcess py;
    py.start(QString::fromLatin1(python),
             {QStringLiteral("-c"),
              QStringLiteral(
                  "import hashlib, sys, olefile\n"
                  "o = olefile.OleFileIO(sys.argv[1], raise_defects=olefile.DEFECT_INCORRECT)\n"
                  "for e in o.listdir(streams=True, storages=False):\n"
                  "    print('/'.join(e), hashlib.sha256(o.openstream(e).read()).hexdigest())\n"),
              path});
    ASSERT_TRUE(py.waitForFinished(30000));
    ASSERT_EQ(py.exitCode(), 0) << py.readAllStandardError().toStdString();
    std::map<QString, QString> seen;
    for (const QString& line :
         QString::fromUtf8(py.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts)) {
        const QStringList parts = line.split(u' ');
        seen[parts.value(0)] = parts.value(1);
    }

    TPapers p;
    p.Open(path, true);
    const auto papers = std::count_if(seen.begin(), seen.end(), [](const auto& e) {
        return e.first.startsWith(QStringLiteral("Papers/"));
    });
    EXPECT_EQ(papers, p.Count());
    EXPECT_TRUE(seen.count(QStringLiteral("UpdateInfo/UpdateInfo")));
    EXPECT_TRUE(seen.count(QStringLiteral("GlobalInfo/PhotoSizeInfo")));
    EXPECT_TRUE(seen.count(QStringLiteral("PurposeList/PurposeList")));
    for (int i = 0; i < p.Count(); ++i) {
        const QString key = QStringLiteral("Papers/") + p.StreamName(i);
        EXPECT_EQ(
            seen[key],
            QString::fromLatin1(
                QCryptographicHash::hash(p.PaperStream(i), QCryptographicHash::Sha256).toHex()))
            << key.toStdString();
    }
}

}  // namespace
