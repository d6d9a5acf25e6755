// corvane-tool album on the shipped catalogue: a new album, objects put on a page, pages
// added up to the paper's limit, and the files read back by other compound file readers.
#include "tests/support/ToolRunner.h"

#include <QFile>
#include <QImage>
#include <QProcess>

namespace {

const QString kCatalogue = QStringLiteral(VELLUMO_BIN_DIR "/corvane.ppr");

const char* const kList = R"(list 2
object TLOWizardText
  Left = 300
  Top = 300
  Width = 1200
  Height = 300
  Text.Strings = ('Album 2026')
  Font.Name = 'IPAPGothic'
  Font.Size = 45
end
object TLOCircle
  Left = 5
  Brush.Color = clRed
end
)";

QString runExternal(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

}  // namespace

TEST_F(ToolFixture, AlbumCommands) {
    const QString album = dir.file("a.vld");
    ToolRun r = run({"album", "new", kCatalogue, "フォトアルバム用紙 A3 見開 写真4枚", album,
                     "--cover", "フォトアルバム用紙 A4 表紙"});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    const QString text = dir.write("l.txt", kList);
    const QString list = dir.file("l.lst");
    ASSERT_EQ(run({"stream", "build", "--list", text, list}).code, 0);
    r = run({"album", "put", album, "--sheet", "2", "--face", "0", list});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    r = run({"album", "add", album, "--sheet", "2", list});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    r = run({"album", "info", album});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(
        r.out.contains(QStringLiteral("2\t新規シート%d\tフォトアルバム用紙 A3 見開 写真4枚\tfaces "
                                      "4\tobjects 4\tTLOWizardText TLOCircle")))
        << r.out.toStdString();

    // Pages up to the paper's six; the seventh is refused and the file keeps six.
    for (int i = 0; i < 5; ++i)
        ASSERT_EQ(run({"album", "add-page", album, "--after", "2"}).code, 0);
    r = run({"album", "add-page", album});
    EXPECT_NE(r.code, 0);
    EXPECT_TRUE(r.err.contains(QStringLiteral("この用紙の制限ページ数（6ページ）を超えました")));
    r = run({"album", "info", album});
    EXPECT_TRUE(r.out.contains(QStringLiteral("sheets: 8"))) << r.out.toStdString();

    const QString preview = dir.file("p.png");
    ASSERT_EQ(run({"album", "preview", album, "--sheet", "2", preview}).code, 0);
    const QImage small(preview);
    EXPECT_EQ(std::max(small.width(), small.height()), 360);
    const QString rendered = dir.file("r.png");
    ASSERT_EQ(run({"album", "render", album, "--sheet", "2", "--dpi", "50", rendered}).code, 0);
    const QImage big(rendered);
    EXPECT_NEAR(double(big.width()) / big.height(), double(small.width()) / small.height(), 0.01);
    // The cover has no objects of its own, but its paper's background image shows.
    EXPECT_EQ(run({"album", "preview", album, "--sheet", "0", preview}).code, 0);

    // Other readers find the tree.
    const QString ole =
        runExternal("/usr/bin/python3", {"-c",
                                         "import olefile,sys; o=olefile.OleFileIO(sys.argv[1]); "
                                         "print('\\n'.join('/'.join(e) for e in o.listdir()))",
                                         album});
    for (const char* path :
         {"DataInfo", "Sheets/NameList", "Sheets/NameList2/Info", "Sheets/NameList2/PaperInfo",
          "Sheets/NameList2/NameList0", "Sheets/NameList2/Preview0"})
        EXPECT_TRUE(ole.split('\n').contains(QString::fromLatin1(path))) << path;
    QProcess cat;
    cat.start("gsf", {"cat", album, "Sheets/NameList2/Info"});
    cat.waitForFinished(30000);
    const QByteArray info = cat.readAllStandardOutput();
    EXPECT_TRUE(info.startsWith(QByteArray("\xFF\x0A\x00INFO\x00\x30\x10", 10)))
        << info.left(16).toHex().toStdString() << cat.readAllStandardError().toStdString();
}

TEST_F(ToolFixture, AlbumFillPlacesPhotosUpToThePageLimit) {
    const QString album = dir.file("f.vld");
    ASSERT_EQ(run({"album", "new", kCatalogue, "フォトアルバム用紙 A3 見開 写真4枚", album}).code,
              0);
    QStringList args{"album", "fill", album};
    for (int i = 0; i < 26; ++i) {
        QImage photo(i % 2 ? 60 : 40, i % 2 ? 40 : 60, QImage::Format_RGB32);
        photo.fill(qRgb(i * 9, 100, 200));
        const QString file = dir.file(QStringLiteral("p%1.bmp").arg(i, 2, 10, QLatin1Char('0')));
        ASSERT_TRUE(photo.save(file, "BMP"));
        args << file;
    }
    // Six pages of four frames take 24 photos; the limit message ends the fill.
    ToolRun r = run(args);
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("この用紙の制限ページ数（6ページ）を超えました")))
        << r.err.toStdString();
    EXPECT_TRUE(r.out.startsWith(QStringLiteral("1/26\n2/26\n")));
    r = run({"album", "info", album});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("sheets: 8")));
    EXPECT_TRUE(r.out.contains(QStringLiteral("\tframe 3\t")));
    EXPECT_TRUE(r.out.contains(QStringLiteral("p23.bmp 60x40")));
    EXPECT_FALSE(r.out.contains(QStringLiteral("p24.bmp")));

    // Deleting the first photo moves every later one back; the last frame empties.
    ASSERT_EQ(run({"album", "delete-photo", album, "--sheet", "2", "--frame", "0"}).code, 0);
    r = run({"album", "info", album});
    EXPECT_TRUE(r.out.contains(QStringLiteral("\tframe 0\t180,180 1290x1740\tp01.bmp")))
        << r.out.toStdString();
    EXPECT_TRUE(r.out.endsWith(QStringLiteral("(empty)\tcorrection 0\n"))) << r.out.toStdString();
}

TEST_F(ToolFixture, PapersTakeTheirDesignFromAnAlbum) {
    const QString catalogue = dir.file("c.ppr");
    ASSERT_TRUE(QFile::copy(kCatalogue, catalogue));
    const QString paper = QStringLiteral("CD/DVDラベル 2面 内径41mm");
    const QString album = dir.file("d.vld");
    ASSERT_EQ(run({"album", "new", kCatalogue, paper, album}).code, 0);
    const QString list = dir.file("l.lst");
    ASSERT_EQ(run({"stream", "build", "--list", dir.write("l.txt", kList), list}).code, 0);
    ASSERT_EQ(run({"album", "put", album, "--sheet", "2", "--face", "1", list}).code, 0);
    ToolRun r = run({"papers", "design", catalogue, paper, album});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.out.trimmed(), QStringLiteral("SeparatelyDesign=True\tLabelCount=2\tFaces=0,2"));
    r = run({"papers", catalogue, "--extras"});
    EXPECT_TRUE(r.out.contains(
        QStringLiteral("PaperImages\tSeparatelyDesign=True\tLabelCount=2\tFaces=0,2")))
        << r.out.toStdString();
    EXPECT_NE(run({"papers", "design", catalogue, QStringLiteral("無い用紙"), album}).code, 0);
}
