#include "FrameFixture.h"

#include <QDir>

namespace {

class StartConditions : public FrameTest {
protected:
    // A frame whose probe reports a fixed machine and records the order of the checks.
    std::unique_ptr<TAppFrame> frameWith(int bpp, bool writable, QString printer) {
        auto f = makeFrame();
        TStartProbe& p = f->StartProbe();
        p.screenBitsPerPixel = [this, bpp] { calls << "color"; return bpp; };
        p.userFolderWritable = [this, writable](QString*) { calls << "rights"; return writable; };
        p.usablePrinter = [this, printer] { calls << "printer"; return printer; };
        auto realLock = p.acquireInstance;
        p.acquireInstance = [this, realLock](const QString& name) { calls << "lock"; return realLock(name); };
        return f;
    }
    QStringList calls;
};

TEST_F(StartConditions, AllPassInOrder) {
    auto f = frameWith(24, true, "Office");
    std::vector<TStartCheckResult> report;
    EXPECT_TRUE(f->CheckStartConditions(&report));
    EXPECT_EQ(calls, QStringList({"color", "rights", "printer", "lock"}));
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(f->StartPrinter(), "Office");
    ASSERT_EQ(report.size(), 4u);
    EXPECT_EQ(report[3].condition, ecExclusive);
}

TEST_F(StartConditions, FewColoursAskAndYesContinues) {
    auto f = frameWith(8, true, "Office");
    answers = {mbYes};
    EXPECT_TRUE(f->CheckStartConditions());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].text.startsWith("「Vellumo」は、32,000色以上の\r\n"));
    EXPECT_EQ(messages[0].buttons, (TMsgDlgButtons{mbYes, mbNo}));
    EXPECT_EQ(calls.size(), 4);
}

TEST_F(StartConditions, FewColoursAndNoEndsTheCheck) {
    auto f = frameWith(8, true, "Office");
    answers = {mbNo};
    EXPECT_FALSE(f->CheckStartConditions());
    EXPECT_EQ(calls, QStringList({"color"}));
    // Nine bits per pixel are enough.
    calls.clear();
    auto g = frameWith(9, true, "Office");
    EXPECT_TRUE(g->CheckStartConditions());
}

TEST_F(StartConditions, MissingRightsAndMissingPrinterFail) {
    auto f = frameWith(32, false, "Office");
    EXPECT_FALSE(f->CheckStartConditions());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "「Vellumo」の実行には\r\n標準ユーザー（PowerUsers）以上の権限が必要です");
    EXPECT_EQ(calls, QStringList({"color", "rights"}));

    messages.clear();
    auto g = frameWith(32, true, "");
    EXPECT_FALSE(g->CheckStartConditions());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].text.startsWith("通常使うプリンタがセットされていません"));
}

TEST_F(StartConditions, SecondInstanceIsRefused) {
    auto first = frameWith(32, true, "Office");
    ASSERT_TRUE(first->CheckStartConditions());
    auto second = frameWith(32, true, "Office");
    EXPECT_FALSE(second->CheckStartConditions());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "Vellumoは、すでに実行中です");
    // Once the first frame is gone, the lock is free again.
    first.reset();
    second.reset();
    messages.clear();
    auto third = frameWith(32, true, "Office");
    EXPECT_TRUE(third->CheckStartConditions());
}

TEST_F(StartConditions, OnlyTheRequestedConditionsAreChecked) {
    auto f = frameWith(8, false, "");
    f->ExecuteCondition = {ecExclusive};
    EXPECT_TRUE(f->CheckStartConditions());
    EXPECT_EQ(calls, QStringList({"lock"}));
}

TEST_F(StartConditions, RealProbeWithoutPrintServerUsesThePdfPrinter) {
    ScopedEnv noServer("CUPS_SERVER", dir.file("no-such-cupsd.sock"));
    auto f = makeFrame();
    std::vector<TStartCheckResult> report;
    EXPECT_TRUE(f->CheckStartConditions(&report));
    EXPECT_EQ(f->StartPrinter(), "PDFファイル");
    // The rights check made the per-user data folder.
    EXPECT_TRUE(QDir(dir.file("data/Vellumo/1.0")).exists());
}

}  // namespace
