// corvane-tool cfb, run as a separate program on real files.
#include "platform/cfb/CompoundFile.h"
#include "tests/platform/cfb/CfbTestSupport.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

using namespace platform::cfb;
using cfbtest::pattern;
using cfbtest::ProcessResult;
using cfbtest::runProcess;

namespace {

ProcessResult tool(const QStringList& args) {
    return runProcess(QStringLiteral(VELLUMO_CORVANE_TOOL),
                      QStringList{QStringLiteral("cfb")} + args);
}

class CfbTool : public ::testing::Test {
protected:
    TempDir dir;
    QString file = dir.file(QStringLiteral("album.cfb"));
};

}  // namespace

TEST_F(CfbTool, PutListCatRoundTrip) {
    const QByteArray big = pattern(10000, 1);
    const QString bigSrc = dir.write(QStringLiteral("big.bin"), big);
    const QString smallSrc = dir.write(QStringLiteral("small.bin"), QByteArray("hello"));
    // The file and the storages on the way are created.
    ASSERT_EQ(
        tool({QStringLiteral("put"), file, QStringLiteral("写真\\Sheets\\data"), bigSrc}).code, 0);
    ASSERT_EQ(tool({QStringLiteral("put"), file, QStringLiteral("a"), smallSrc}).code, 0);
    ASSERT_EQ(tool({QStringLiteral("mkdir"), file, QStringLiteral("写真\\empty")}).code, 0);

    const ProcessResult ls = tool({QStringLiteral("ls"), file});
    ASSERT_EQ(ls.code, 0) << ls.err.toStdString();
    EXPECT_EQ(QString::fromUtf8(ls.out), QStringLiteral("S a 5\n"
                                                        "D 写真\n"
                                                        "D 写真\\empty\n"
                                                        "D 写真\\Sheets\n"
                                                        "S 写真\\Sheets\\data 10000\n"));
    EXPECT_EQ(tool({QStringLiteral("cat"), file, QStringLiteral("写真\\SHEETS\\data")}).out, big);

    // Replacing a stream, and the file read back by the engine itself.
    ASSERT_EQ(
        tool({QStringLiteral("put"), file, QStringLiteral("写真\\Sheets\\data"), smallSrc}).code,
        0);
    auto f = CompoundFile::open(file, Access::Read);
    EXPECT_EQ(f->root()
                  .openStorage(QStringLiteral("写真"))
                  .openStorage(QStringLiteral("Sheets"))
                  .openStream(QStringLiteral("data"))
                  .readAll(),
              QByteArray("hello"));
}

TEST_F(CfbTool, MoveAndRemove) {
    const QString src = dir.write(QStringLiteral("x.bin"), QByteArray("x"));
    ASSERT_EQ(tool({QStringLiteral("put"), file, QStringLiteral("one\\x"), src}).code, 0);
    ASSERT_EQ(tool({QStringLiteral("mkdir"), file, QStringLiteral("two")}).code, 0);
    ASSERT_EQ(
        tool({QStringLiteral("mv"), file, QStringLiteral("one\\x"), QStringLiteral("two")}).code,
        0);
    ASSERT_EQ(
        tool({QStringLiteral("mv"), file, QStringLiteral("two\\x"), QStringLiteral("two\\y")}).code,
        0);
    ASSERT_EQ(tool({QStringLiteral("rm"), file, QStringLiteral("one")}).code, 0);
    EXPECT_EQ(QString::fromUtf8(tool({QStringLiteral("ls"), file}).out),
              QStringLiteral("D two\nS two\\y 1\n"));
}

TEST_F(CfbTool, ErrorsPrintTheMessageAndExitOne) {
    const ProcessResult missing = tool({QStringLiteral("cat"), file, QStringLiteral("x")});
    EXPECT_EQ(missing.code, 1);
    EXPECT_TRUE(QString::fromUtf8(missing.err).contains(QStringLiteral("読み書きできません")));

    const QString src = dir.write(QStringLiteral("x.bin"), QByteArray("x"));
    ASSERT_EQ(tool({QStringLiteral("put"), file, QStringLiteral("s"), src}).code, 0);
    const ProcessResult notFound = tool({QStringLiteral("cat"), file, QStringLiteral("nope")});
    EXPECT_EQ(notFound.code, 1);
    EXPECT_EQ(QString::fromUtf8(notFound.err),
              QStringLiteral("ストリーム「nope」が見つかりません\n"));

    const ProcessResult badName = tool({QStringLiteral("put"), file, QStringLiteral("a:b"), src});
    EXPECT_EQ(badName.code, 1);
    EXPECT_EQ(QString::fromUtf8(badName.err), QStringLiteral("名前「a:b」は使えません\n"));

    // A file this process holds exclusively cannot be listed by the tool.
    {
        auto held = CompoundFile::open(file, Access::ReadWrite);
        const ProcessResult locked = tool({QStringLiteral("ls"), file});
        EXPECT_EQ(locked.code, 1);
        EXPECT_TRUE(QString::fromUtf8(locked.err).contains(QStringLiteral("は他で使用中です")));
    }
    const QString junk = dir.write(QStringLiteral("junk.cfb"), QByteArray(600, 'j'));
    const ProcessResult corrupt = tool({QStringLiteral("ls"), junk});
    EXPECT_EQ(corrupt.code, 1);
    EXPECT_TRUE(
        QString::fromUtf8(corrupt.err).startsWith(QStringLiteral("複合ファイルが壊れています: ")));
    EXPECT_EQ(tool({QStringLiteral("frobnicate"), file}).code, 2);
}
