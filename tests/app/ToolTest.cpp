// corvane-tool run as a separate process, as scripts and users run it.
#include "platform/InstanceLock.h"
#include "tests/support/TempDir.h"
#include "tests/support/ToolRunner.h"

#include <gtest/gtest.h>

namespace {

class Tool : public ToolFixture {};

TEST_F(Tool, MacroExpandsWithTheProgramTable) {
    ToolRun r = run({"macro", "$(AppName) - $(VerID)"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, "Vellumo - 1.0\n");

    r = run(
        {"macro", "--define", "AppName=Other", "--define", "X=\"q\"", "$(SysMsgAlreadyRun)$(X)"});
    EXPECT_EQ(r.out, "Otherは、すでに実行中ですq\n");
    r = run({"macro", "--no-quote-strip", "--define", "X=\"q\"", "$(X)"});
    EXPECT_EQ(r.out, "\"q\"\n");

    r = run({"macro", "$(Nope)"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "未定義のNopeマクロが使用されています\n");
    EXPECT_NE(run({"macro"}).code, 0);
}

TEST_F(Tool, SettingsRoundTrip) {
    EXPECT_EQ(run({"settings", "get", "CDPath"}).code, 1);
    EXPECT_EQ(run({"settings", "set", "CDPath", "/media/disc"}).code, 0);
    EXPECT_EQ(run({"settings", "set", "DefaultShowHint", "0"}).code, 0);
    ToolRun r = run({"settings", "get", "cdpath"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, "/media/disc\n");
    EXPECT_EQ(run({"settings", "list"}).out, "CDPath=/media/disc\nDefaultShowHint=0\n");
}

TEST_F(Tool, VersionAndDoctor) {
    ToolRun v = run({"--version"});
    EXPECT_EQ(v.code, 0);
    EXPECT_TRUE(v.out.startsWith("corvane-tool 1.0"));

    ToolRun d = run({"doctor"});
    EXPECT_EQ(d.code, 0) << d.out.toStdString() << d.err.toStdString();
    EXPECT_TRUE(d.out.contains("ecNeedPrinter: ok (PDFファイル)"));
    EXPECT_TRUE(d.out.contains("result: the program can start"));

    // With the program already running, the doctor reports that it could not start.
    ScopedEnv rt("XDG_RUNTIME_DIR", dir.path());
    auto lock = platform::InstanceLock::tryAcquire("Vellumo.1.0.Quilmont.Japan");
    ASSERT_TRUE(lock);
    d = run({"doctor"});
    EXPECT_EQ(d.code, 1);
    EXPECT_TRUE(d.out.contains("ecExclusive: FAILED"));
    EXPECT_TRUE(d.err.contains("Vellumoは、すでに実行中です"));
    EXPECT_NE(run({"no-such-command"}).code, 0);
}

TEST_F(Tool, HelpShowsTheUsageOfEveryCommandOrOfOne) {
    const ToolRun all = run({"help"});
    ASSERT_EQ(all.code, 0);
    // Without a command the same usage is an error.
    const ToolRun none = run({});
    EXPECT_EQ(none.code, 2);
    EXPECT_EQ(none.err, all.out);

    // Each command's line of the usage is what `help COMMAND` shows, and a command's usage
    // error shows the same.
    QStringList lines = all.out.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_GT(lines.size(), 10);
    EXPECT_EQ(lines.takeFirst(), QStringLiteral("使い方: corvane-tool <コマンド> [引数...]"));
    for (const QString& line : lines) {
        ASSERT_TRUE(line.startsWith("  ")) << line.toStdString();
        const QString synopsis = line.mid(2);
        const ToolRun one = run({"help", synopsis.section(u' ', 0, 0)});
        EXPECT_EQ(one.code, 0);
        EXPECT_TRUE(one.out.startsWith("使い方: corvane-tool " + synopsis + "\n"))
            << one.out.toStdString();
    }
    const QString papersUsage = QStringLiteral(
        "使い方: corvane-tool papers FILE [--extras] | export CATALOGUE OUT.ppb [NAME...] | "
        "import IN CATALOGUE | update CATALOGUE UPDATE.ppr | companies CATALOGUE | match "
        "CATALOGUE NAME [--group GROUP] [--user] | design CATALOGUE PAPER ALBUM.vld\n");
    EXPECT_EQ(run({"help", "papers"}).out, papersUsage);
    const ToolRun papers = run({"papers", "--all"});
    EXPECT_EQ(papers.code, 2);
    EXPECT_EQ(papers.err, papersUsage);
    EXPECT_EQ(
        run({"help", "stream"}).out,
        "使い方: corvane-tool stream dump FILE | build [--resource NAME | --list] TEXTFILE "
        "OUTFILE\n  FILE, TEXTFILE に - を指定すると標準入力、OUTFILE に - を指定すると標準出力\n");

    const ToolRun unknown = run({"help", "frobnicate"});
    EXPECT_EQ(unknown.code, 2);
    EXPECT_EQ(unknown.err, "不明なコマンドです: frobnicate\n" + all.out);
    EXPECT_EQ(run({"help", "macro", "settings"}).code, 2);
}

TEST_F(Tool, OptionsAreParsedAndWordsAfterAVerbKeptAsTheyAre) {
    // A value starting with "-" after the verb is a value, not an option.
    EXPECT_EQ(run({"settings", "set", "Offset", "-5"}).code, 0);
    EXPECT_EQ(run({"settings", "get", "Offset"}).out, "-5\n");
    // Options may come after the text; "--" ends the options.
    EXPECT_EQ(run({"macro", "$(X)", "--define", "X=1"}).out, "1\n");
    EXPECT_EQ(run({"macro", "--define=X=2", "--", "-$(X)"}).out, "-2\n");
    EXPECT_EQ(run({"macro", "--unknown", "x"}).code, 2);
    const ToolRun define = run({"macro", "x", "--define"});
    EXPECT_EQ(define.code, 2);
    EXPECT_EQ(define.err, "--define には NAME=VALUE を指定してください\n");
}

}  // namespace
