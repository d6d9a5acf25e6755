// corvane-tool papers export / import / update / companies / match / --extras and
// products, on copies of the shipped catalogue.
#include "paper/MatrixPaperInfo.h"
#include "paper/PapersV2.h"
#include "tests/support/ToolRunner.h"

#include <gtest/gtest.h>
#include <QDate>
#include <QFile>
#include <QProcess>

namespace {

class PaperMergeTool : public ToolFixture {
protected:
    const QString shipped = QStringLiteral(VELLUMO_BIN_DIR "/corvane.ppr");

    QString copyOfShipped(const QString& name) {
        const QString path = dir.file(name);
        QFile::copy(shipped, path);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        return path;
    }

    // The streams olefile lists in `file`, or a note that it is not installed.
    static QStringList olefileStreams(const QString& file) {
        QProcess py;
        py.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral("-c"),
                  QStringLiteral("import sys, olefile\n"
                                 "o = olefile.OleFileIO(sys.argv[1], "
                                 "raise_defects=olefile.DEFECT_INCORRECT)\n"
                                 "for e in o.listdir():\n"
                                 "    o.openstream(e).read(); print('/'.join(e))\n"),
                  file});
        if (!py.waitForFinished(30000) || py.exitCode() != 0)
            return {QStringLiteral("error: ") + QString::fromUtf8(py.readAllStandardError())};
        return QString::fromUtf8(py.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    }
    static bool haveOlefile() {
        QProcess probe;
        probe.start(QStringLiteral("/usr/bin/python3"), {"-c", "import olefile"});
        return probe.waitForFinished(30000) && probe.exitCode() == 0;
    }
};

TEST_F(PaperMergeTool, UserPapersTravelWithTheirExtrasAndUpdatesAreNumbered) {
    const QString system = copyOfShipped("system.ppr");
    {
        TPapersV2 p;
        p.Open(system, false);
        TMatrixPaperInfo mine;
        mine.SetPaperName(QStringLiteral("自作"));
        mine.SetPortraitSize(1000, 1000);
        mine.FaceWidth = mine.FaceHeight = 500;
        mine.FaceCountX = mine.FaceCountY = 1;
        p.StorePaper(mine);
        TExAlbumInfo album;
        album.SetPaperName(QStringLiteral("自作"));
        album.PhotoSize = QStringLiteral("L判");
        p.StorePaperExtra(TPapersV2::ExtraAlbumInfo, album);
        p.Close();
    }
    ToolRun r = run({"papers", "export", system, dir.file("mine.ppb")});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, "1\n");
    EXPECT_EQ(run({"papers", "export", system, dir.file("x.ppb"), "写真用紙 L判 フチなし"}).code,
              1);

    const QString other = copyOfShipped("other.ppr");
    r = run({"papers", "import", dir.file("mine.ppb"), other});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, "1\n");
    r = run({"papers", other, "--extras"});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral(
        "\t自作\t\t1000x1000\t1\tFalse\n\tExtraAlbumInfo\tLeftMargin=0\tCanReverse=False\t"
        "LabelFixed=False\tPhotoSize=L判\tFullPaint=False\n")))
        << r.out.toStdString();
    // The shipped album pages carry their extras.
    EXPECT_TRUE(
        r.out.contains(QStringLiteral("\tPaperImages\tSeparatelyDesign=True\tLabelCount=2"
                                      "\tFaces=1,1\n")));
    EXPECT_TRUE(r.out.contains(QStringLiteral("\tExtraInfos\tCompany=Tolvarin\tPurpose=CD/DVD")));

    // An update: its number and the time it was applied.
    {
        TPapersV2 u;
        u.Open(dir.file("update.ppr"), false);
        TPaperUpdate record;
        record.PPRNo = 7;
        u.SetUpdateRecord(record);
        u.SetCompanyList({QStringLiteral("新社")});
        u.Close();
    }
    r = run({"papers", "update", system, dir.file("update.ppr")});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.startsWith(QStringLiteral("0007\t") +
                                 QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"))))
        << r.out.toStdString();
    r = run({"papers", "companies", system});
    EXPECT_TRUE(r.out.startsWith(QStringLiteral("company\t新社\n"))) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("company\tTolvarin\n")));
    EXPECT_TRUE(r.out.contains(QStringLiteral("purpose\tアルバム\n")));

    r = run({"papers", "match", shipped, "旧型 名刺 A4 10面"});
    EXPECT_EQ(r.out, QStringLiteral("名刺 A4 10面\t名刺\tcatalogue\n"));
    r = run({"papers", "match", shipped, "旧型 名刺", "--user", "--group", "G"});
    EXPECT_EQ(r.out, QStringLiteral("旧型 名刺\tG\tdocument\n"));

    if (!haveOlefile()) GTEST_SKIP() << "python3-olefile is not installed";
    for (const QString& file : {system, other, dir.file("mine.ppb")}) {
        const QStringList streams = olefileStreams(file);
        EXPECT_TRUE(streams.contains("UpdateInfo/UpdateInfo")) << streams.join(' ').toStdString();
        EXPECT_TRUE(streams.contains("ExtraAlbumInfo/$00000001") ||
                    streams.filter("ExtraAlbumInfo/").size() > 0);
    }
}

TEST_F(PaperMergeTool, ProductsListsTheShippedDatabase) {
    ToolRun r = run({"products"});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    const QStringList lines = r.out.split(u'\n');
    EXPECT_EQ(lines.value(0), "products\t1");
    EXPECT_TRUE(lines.value(1).startsWith("0\tcreator-ja\t"));
    EXPECT_EQ(lines.value(1).section(u'\t', 2).size(), 32);  // 16 bytes
    EXPECT_TRUE(r.out.contains(QStringLiteral("\tメインタイトル\tアルバム\n")));
    r = run({"products", dir.file("none.cdb")});
    EXPECT_EQ(r.code, 1);
}

}  // namespace
