// corvane-tool run as a separate process, as scripts and users run it.
#include "platform/InstanceLock.h"
#include "tests/support/TempDir.h"
#include "tests/support/ToolRunner.h"

#include <gtest/gtest.h>

namespace {

class Tool : public ::testing::Test {
protected:
    ToolRun run(const QStringList& args) {
        return RunTool(QStringLiteral(VELLUMO_TOOL), args, dir);
    }
    TempDir dir;
};

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

}  // namespace
