#include "FrameFixture.h"
#include "platform/SettingsStore.h"

#include <QDir>

namespace {

class AppFileSearch : public FrameTest {
protected:
    AppFileSearch() {
        QDir().mkpath(dir.file("prog"));
        frame = makeFrame();
        frame->SetMediaRoots({});
    }
    // A folder that is the installation disc: it holds the key file "corvane".
    QString disc(const QString& name) { return QFileInfo(dir.write(name + "/corvane", "key")).path(); }

    std::unique_ptr<TAppFrame> frame;
};

TEST_F(AppFileSearch, ProgramFolderFirstWithWildcards) {
    dir.write("prog/Data/Font/a01.bmp", "x");
    dir.write("prog/Data/Font/a00.bmp", "x");
    EXPECT_EQ(FindApplicationFile("飾り文字データ", "Data\\Font\\a01.bmp"), dir.file("prog/Data/Font/a01.bmp"));
    EXPECT_EQ(FindApplicationFile("", "Data\\Font\\*.bmp"), dir.file("prog/Data/Font/a00.bmp"));
    EXPECT_TRUE(messages.empty());
}

TEST_F(AppFileSearch, ChosenDiscAndItsSiblingDisks) {
    const QString d1 = disc("cd/disk1");
    const QString d2 = disc("cd/disk2");
    dir.write("cd/disk2/Sample/album.vld", "x");
    WriteStringSetting("CDPath", d1);
    EXPECT_EQ(FindApplicationFile("@", "Sample/album.vld"), d2 + "/Sample/album.vld");
    // A folder without the key file is not the disc, even when it holds the file.
    dir.write("other/Sample/x.vld", "x");
    WriteStringSetting("CDPath", dir.file("other"));
    answers = {mbCancel};
    EXPECT_EQ(FindApplicationFile("@", "Sample/x.vld"), "");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "必要なファイルが見つかりません\r\nVellumoをインストールしなおしてください。");
    EXPECT_EQ(messages[0].buttons, (TMsgDlgButtons{mbYes, mbCancel}));
}

TEST_F(AppFileSearch, InstallSourceAndMountedMediaAreRemembered) {
    const QString src = disc("install/source");
    dir.write("install/source/Frames/f.cbm", "x");
    frame->Settings().writeString("Software\\Classes\\Tolvarin.Corvane.Application\\srcDir", "srcDir0", src);
    EXPECT_EQ(FindApplicationFile("フレーム", "Frames/f.cbm"), src + "/Frames/f.cbm");
    EXPECT_EQ(frame->MediaFolder(), src);

    // Mounted media: the application folder on a mount point.
    auto g = makeFrame();
    const QString mounted = disc("media/VELLUMO/corvane");
    dir.write("media/VELLUMO/corvane/Illust/i.cbm", "x");
    g->SetMediaRoots({dir.file("media/VELLUMO")});
    EXPECT_EQ(g->FindApplicationFile("イラスト", "Illust/i.cbm"), mounted + "/Illust/i.cbm");
    EXPECT_EQ(g->MediaFolder(), mounted);
}

TEST_F(AppFileSearch, RetryFindsAFileThatAppearedMeanwhile) {
    int asked = 0;
    frame->OnCDNotFound = [&](const QString& shown) {
        EXPECT_EQ(shown, "Late.dat");
        if (++asked == 2) dir.write("prog/Late.dat", "x");
        return true;
    };
    EXPECT_EQ(FindApplicationFile("", "Late.dat"), dir.file("prog/Late.dat"));
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(FindApplicationFile("x", ""), "");  // nothing to look for: no question
    EXPECT_EQ(asked, 2);
}

}  // namespace
