#include "FrameFixture.h"
#include "app/frame/AppFrameClient.h"
#include "app/frame/PluginList.h"

#include <QDir>
#include <QFile>

namespace {

using PluginLists = FrameTest;

TEST_F(PluginLists, LoadsServersOfTheirCategoryAndSkipsOtherFiles) {
    auto frame = makeFrame();
    const QString folder = dir.file("Plugins");
    QDir().mkpath(folder + "/sub");
    ASSERT_TRUE(QFile::copy(QStringLiteral(VELLUMO_TEST_PLUGIN), folder + "/scanner.so"));
    dir.write("Plugins/readme.txt", "not a library");
    dir.write("Plugins/broken.so", "\x7f" "ELF broken");
    ASSERT_TRUE(QFile::copy(QStringLiteral(VELLUMO_TEST_PLUGIN), folder + "/sub/ignored.so"));

    TQCAppFrameClient client;
    TPluginList images(plugin::kImageServerCategory);
    TPluginList others(plugin::kSecondServerCategory);
    images.Load(folder, &client);
    others.Load(folder, &client);
    ASSERT_EQ(images.Servers().size(), 1u);
    EXPECT_EQ(images.Servers()[0].DisplayName, "Vellumo スキャナ");
    EXPECT_EQ(images.Servers()[0].ClassID, "{11111111-0000-0000-0000-000000000001}");
    EXPECT_EQ(images.Servers()[0].FileName, folder + "/scanner.so");
    ASSERT_EQ(others.Servers().size(), 1u);
    EXPECT_EQ(others.Servers()[0].DisplayName, "other");

    EXPECT_EQ(images.RunImageServer(images.Servers()[0], &client), QByteArray("BM-test-image"));
    EXPECT_THROW(others.RunImageServer(others.Servers()[0], &client), Exception);
}

TEST_F(PluginLists, ClientReportsThroughTheFrame) {
    auto frame = makeFrame();
    TQCAppFrameClient client;
    char small[4];
    int needed = 0;
    EXPECT_EQ(client.GetAppName(small, sizeof small, &needed), plugin::kBufferTooSmall);
    EXPECT_EQ(needed, 8);
    char buf[128];
    EXPECT_EQ(client.GetRegistryKey(buf, sizeof buf, &needed), plugin::kOk);
    EXPECT_STREQ(buf, "Software\\Tolvarin\\Corvane\\1.0\\Settings");
    EXPECT_EQ(client.ExpandText("$(AppName)!", buf, sizeof buf, &needed), plugin::kOk);
    EXPECT_STREQ(buf, "Vellumo!");
    // A failing expansion is a result code, never an exception.
    EXPECT_EQ(client.ExpandText("$(Undefined)", buf, sizeof buf, &needed), plugin::kFail);
    std::uintptr_t handle = 1;
    EXPECT_EQ(client.GetActiveWindow(&handle), plugin::kOk);
    EXPECT_EQ(handle, 0u);
}

}  // namespace
