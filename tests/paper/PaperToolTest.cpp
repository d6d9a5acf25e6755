// corvane-tool papers / paper on the shipped catalogue, run as scripts run it.
#include "document/stream/StreamText.h"
#include "document/stream/StreamTree.h"
#include "paper/Papers.h"
#include "tests/paper/PaperTestUtil.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/TempDir.h"
#include "tests/support/ToolRunner.h"

#include <gtest/gtest.h>
#include <QFile>

namespace {

class PaperTool : public ToolFixture {
protected:
    const QString catalogue = QStringLiteral(VELLUMO_BIN_DIR "/corvane.ppr");
};

TEST_F(PaperTool, ListsEveryPaper) {
    TPapers p;
    p.Open(catalogue, true);
    const ToolRun r = run({"papers", catalogue});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    const QStringList lines = r.out.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), p.Count());
    for (int i = 0; i < p.Count(); ++i) {
        const TPaperInfo& paper = *p.Papers(i);
        EXPECT_EQ(
            lines[i],
            QStringList(
                {p.StreamName(i), paper.ClassName(), paper.PaperName(), paper.GroupName(),
                 QStringLiteral("%1x%2").arg(paper.PortraitWidth()).arg(paper.PortraitHeight()),
                 QString::number(paper.GetFaceCount()), "True"})
                .join(u'\t'));
    }
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral(
        "$00000001\tTMatrixPaperInfo\t写真用紙 L判 フチなし\t写真用紙\t890x1270\t1\tTrue")));
}

TEST_F(PaperTool, ShowsOnePaperWithItsFaces) {
    TPapers p;
    p.Open(catalogue, true);
    const QString name = QStringLiteral("CD/DVDラベル 1面 ジャケット付");
    const int index = p.IndexOfPaper(name);
    ASSERT_GE(index, 0);
    const ToolRun r = run({"paper", catalogue, name});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    const QString text = streamtree::printDocument(streamtree::readDocument(p.PaperStream(index)));
    ASSERT_TRUE(r.out.startsWith(text));
    EXPECT_TRUE(text.startsWith(QStringLiteral("object TFreePaperInfo")) ||
                text.contains(QStringLiteral("TFreePaperInfo")));
    EXPECT_EQ(r.out.mid(text.size()),
              "0\t465,150,1635,1320\tfsDoughnut\tCD\n"
              "1\t445,1550,1655,2750\tfsRect\tCDCover\n");

    ToolRun bad = run({"paper", catalogue, "ない用紙"});
    EXPECT_EQ(bad.code, 1);
    EXPECT_EQ(bad.err, "用紙 ない用紙 が見つかりません\n");
    bad = run({"papers", dir.file("missing.ppr")});
    EXPECT_EQ(bad.code, 1);
    EXPECT_EQ(bad.err, QStringLiteral("ファイル %1 を開けません\n").arg(dir.file("missing.ppr")));
    EXPECT_EQ(run({"papers"}).code, 2);
    // Not a compound file: the engine's error, exit code 1.
    const QString junk = dir.write("junk.ppr", "not a catalogue");
    bad = run({"papers", junk});
    EXPECT_EQ(bad.code, 1);
    EXPECT_FALSE(bad.err.isEmpty());
}

TEST_F(PaperTool, ADamagedPaperIsReportedAndTheOthersListed) {
    const QString copy = dir.file("damaged.ppr");
    ASSERT_TRUE(QFile::copy(catalogue, copy));
    QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner);
    const qint64 at = DamagePaperStream(copy, QStringLiteral("$00000002"));
    TPapers p;
    p.Open(copy, true);
    ASSERT_EQ(p.DamagedPapers().size(), 1u);
    EXPECT_TRUE(p.DamagedPapers()[0].message.endsWith(QStringLiteral("(オフセット %1)").arg(at)));

    ToolRun r = run({"papers", copy});
    // The list is incomplete: the exit code says so, the error output says why.
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, p.DamageReport() + u'\n');
    const QStringList lines = r.out.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), p.Count());
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("$00000001\t")));
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("$00000003\t")));

    // A readable paper is still shown in full.
    r = run({"paper", copy, p.Papers(0)->PaperName()});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.err, p.DamageReport() + u'\n');
    EXPECT_TRUE(r.out.startsWith(QStringLiteral("object ")));
}

}  // namespace
