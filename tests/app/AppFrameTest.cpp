#include "FrameFixture.h"
#include "platform/Exception.h"
#include "platform/SettingsStore.h"

#include <QDir>
#include <QFile>

namespace {

VELLUMO_DECLARE_EXCEPTION(ETwain, Exception);

using AppFrame = FrameTest;

TEST_F(AppFrame, BuiltinAndProgramMacros) {
    QDir().mkpath(dir.file("prog"));
    auto f = makeFrame();
    TMacroString& m = f->Macro();
    EXPECT_EQ(m.Expand("$(AppName)"), "Vellumo");
    EXPECT_EQ(m.Expand("$(ExeDir)"), dir.file("prog/"));
    EXPECT_EQ(m.Expand("$(ExeNameNoExt)"), dir.file("prog/corvane"));
    EXPECT_EQ(m.Expand("$(SysHelpFile:inessential)"), dir.file("prog/corvane.chm"));
    EXPECT_EQ(m.Expand("$(SysKeyFile)"), "corvane");
    EXPECT_EQ(m.Expand("$(CRLF)"), "\r\n");
    EXPECT_EQ(m.Expand("$(Quote)"), "\"");
    EXPECT_EQ(m.Expand("$(ShortVer)"), "1.0");
    EXPECT_EQ(m.Expand("$(LongVer)"), "1.0.0.0");
    EXPECT_EQ(m.Expand("$(ExeDir:Drive)"), "/");
    EXPECT_EQ(m.Expand("$(SysRegistryKey)"), "Software\\Tolvarin\\Corvane\\1.0\\Settings");
    EXPECT_EQ(m.Expand("$(OpenFileHistory)"), "Software\\Tolvarin\\Corvane\\1.0\\Settings\\OpenFileHistory");
    EXPECT_EQ(m.Expand("$(UserPreferenceFolder)"), dir.file("data/Vellumo/1.0/"));
    EXPECT_EQ(m.Expand("$(SysMsgAlreadyRun)"), "Vellumoは、すでに実行中です");
    EXPECT_EQ(m.Expand("$(SysMutexID)"), "Vellumo.1.0.Quilmont.Japan");
    // The program folder is writable here, so the writable files stay beside the program.
    EXPECT_EQ(m.Expand("$(SystemPaperInfo)"), dir.file("prog/corvane.ppr"));
    EXPECT_EQ(m.Expand("$(ImageCacheFile)"), dir.file("prog/ImageCache.ic"));
}

TEST_F(AppFrame, WritableFilesMoveToTheUserFolderWhenTheProgramFolderIsReadOnly) {
    // A program folder that does not exist cannot be written either.
    auto f = makeFrame();
    EXPECT_EQ(f->Macro().Expand("$(SystemPaperInfo)"), dir.file("data/Vellumo/1.0/corvane.ppr"));
    EXPECT_EQ(f->Macro().Expand("$(ProductDB)"), dir.file("prog/corvane.cdb"));
}

TEST_F(AppFrame, NewFrameIsCurrentAndNamedProject) {
    EXPECT_EQ(TAppFrame::Current(), nullptr);
    EXPECT_EQ(ExpandText("$(AppName)"), "$(AppName)");  // no frame: unexpanded
    EXPECT_TRUE(ReadBoolSetting("DefaultShowHint", true));
    {
        TAppFrame f;
        EXPECT_EQ(TAppFrame::Current(), &f);
        EXPECT_EQ(ExpandText("$(AppName)"), "Project");
    }
    EXPECT_EQ(TAppFrame::Current(), nullptr);
}

TEST_F(AppFrame, SettingsEncodings) {
    auto f = makeFrame();
    EXPECT_TRUE(ReadBoolSetting("DefaultShowHint", true));
    WriteBoolSetting("DefaultShowHint", false);
    EXPECT_EQ(*f->Settings().readString("Software\\Tolvarin\\Corvane\\1.0\\Settings", "DefaultShowHint"), "0");
    EXPECT_FALSE(ReadBoolSetting("defaultshowhint", true));

    WriteStringSetting("CacheLimit", "abc");
    EXPECT_EQ(ReadIntegerSetting("CacheLimit", 0), 0);
    EXPECT_EQ(ReadBoolSetting("CacheLimit", true), true);
    WriteIntegerSetting("CacheLimit", -42);
    EXPECT_EQ(ReadIntegerSetting("CacheLimit", 0), -42);
    EXPECT_EQ(ReadStringSetting("CDPath", "none"), "none");
    // The file lives in the per-user configuration folder, named after AppID and VerID.
    EXPECT_EQ(f->Settings().filePath(), dir.file("config/Tolvarin/Corvane/1.0/settings.conf"));
    EXPECT_TRUE(QFile::exists(f->Settings().filePath()));
}

TEST_F(AppFrame, MessagesAreExpandedAndRouted) {
    auto f = makeFrame();
    answers = {mbNo};
    EXPECT_EQ(AskYesNoCancel("$(AppName)を保存しますか？"), mbNo);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "Vellumoを保存しますか？");
    EXPECT_EQ(messages[0].buttons, (TMsgDlgButtons{mbYes, mbNo, mbCancel}));
    EXPECT_EQ(messages[0].defaultIndex, 0);
    EXPECT_EQ(messages[0].escapeIndex, 2);
    answers = {mbCancel};
    EXPECT_FALSE(Confirm("x"));
    // A text that does not expand is shown as it stands rather than lost.
    Inform("broken $(macro");
    EXPECT_EQ(messages.back().text, "broken $(macro");
}

TEST_F(AppFrame, UncaughtErrorsAreReported) {
    auto f = makeFrame();
    f->HandleException(Exception("ディスクがいっぱいです"));
    f->HandleException(ETwain("スキャナが応答しません"));
    f->HandleException(std::runtime_error("plain"));
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(messages[0].text, "予期しないエラーが発生しました\r\nディスクがいっぱいです");
    EXPECT_TRUE(messages[1].text.startsWith("TWAINでエラーが発生しました。\r\n"));
    EXPECT_TRUE(messages[1].text.endsWith("「スキャナが応答しません」"));
    EXPECT_EQ(messages[2].text, "予期しないエラーが発生しました\r\nplain");
    EXPECT_EQ(messages[0].buttons, TMsgDlgButtons{mbOK});

    QString seen;
    f->OnException = [&](const std::exception& e) { seen = QString::fromUtf8(e.what()); };
    f->HandleException(Exception("own handler"));
    EXPECT_EQ(seen, "own handler");
    EXPECT_EQ(messages.size(), 3u);
}

TEST_F(AppFrame, RestoredPlacementClampsAndCentres) {
    // Screen smaller than the default: the screen's size, centred (at the origin).
    EXPECT_EQ(RestoredPlacement({800, 600}, 1024, 768, {}, {}, {}, {}), QRect(0, 0, 800, 600));
    EXPECT_EQ(RestoredPlacement({1920, 1080}, 1024, 768, {}, {}, {}, {}), QRect(448, 156, 1024, 768));
    EXPECT_EQ(RestoredPlacement({1920, 1080}, 1024, 768, 10, {}, 500, {}), QRect(10, 156, 500, 768));
}

}  // namespace
