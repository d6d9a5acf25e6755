// corvane-tool kvr with and without the libraries beside it.
#include "tests/colormatch/KvrPhotos.h"
#include "tests/support/ToolRunner.h"

#include <QFile>
#include <QImage>

namespace {

class KvrToolTest : public ToolFixture {};

TEST_F(KvrToolTest, InspectCorrectAndConvert) {
    const QString adobe =
        dir.write(QStringLiteral("adobe.jpg"), MakeJpeg(TestPixels(), AdobeRgbProfile()));
    ToolRun r = run({QStringLiteral("kvr"), QStringLiteral("inspect"), adobe});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(u"profile: Test Adobe RGB (1998)"));
    EXPECT_TRUE(r.out.contains(u"exif-print: no"));
    EXPECT_TRUE(r.out.contains(u"modes: 100 300"));

    const QString png = dir.file(QStringLiteral("out.png"));
    r = run(
        {QStringLiteral("kvr"), QStringLiteral("correct"), adobe, png, QStringLiteral("--print")});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(QImage(png).size(), QSize(64, 48));

    const QString bmp = dir.file(QStringLiteral("prt.bmp"));
    r = run({QStringLiteral("kvr"), QStringLiteral("prt"), png, bmp, QStringLiteral("--format"),
             QStringLiteral("4")});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(QFile::exists(bmp));

    r = run({QStringLiteral("kvr"), QStringLiteral("correct"), png, png});
    EXPECT_EQ(r.code, 1);  // a PNG cannot be decoded as a photo: the library's answer
    EXPECT_TRUE(r.err.contains(u"-1000"));
    r = run({QStringLiteral("kvr"), QStringLiteral("correct"), adobe, png, QStringLiteral("--mode"),
             QStringLiteral("auto")});
    EXPECT_EQ(r.code, 2);
}

TEST_F(KvrToolTest, MissingLibrariesAreOneLineAndExitOne) {
    // A copy of the tool in a folder without the libraries beside it.
    const QString tool = dir.file(QStringLiteral("corvane-tool"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(VELLUMO_TOOL), tool));
    const QString photo = dir.write(QStringLiteral("a.jpg"), MakeJpeg(TestPixels()));
    const QList<QStringList> commands = {
        {QStringLiteral("kvr"), QStringLiteral("inspect"), photo},
        {QStringLiteral("kvr"), QStringLiteral("correct"), photo,
         dir.file(QStringLiteral("o.png"))},
        {QStringLiteral("kvr"), QStringLiteral("prt"), photo, dir.file(QStringLiteral("o.bmp"))}};
    for (const QStringList& args : commands) {
        const ToolRun r = RunTool(tool, args, dir);
        EXPECT_EQ(r.code, 1) << args.join(u' ').toStdString();
        EXPECT_EQ(r.err.trimmed().count(u'\n'), 0);
        EXPECT_TRUE(r.err.contains(u".so")) << r.err.toStdString();
    }
}

}  // namespace
