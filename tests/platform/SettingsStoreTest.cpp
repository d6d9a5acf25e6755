#include "platform/Exception.h"
#include "platform/SettingsStore.h"
#include "tests/support/TempDir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

using platform::SettingsStore;

TEST(SettingsStore, ValuesAndKeysIgnoreCaseAndKeepOrder) {
    TempDir dir;
    SettingsStore s(dir.file("cfg/settings.conf"));
    EXPECT_FALSE(s.keyExists("Software\\A"));
    EXPECT_FALSE(s.readString("Software\\A", "x").has_value());

    s.writeString("Software\\A\\Settings", "Zeta", "1");
    s.writeString("software\\a\\SETTINGS", "alpha", "2");
    s.writeString("Software\\A\\Settings", "ZETA", "3");  // replaces, keeps position and case
    EXPECT_EQ(s.valueNames("Software\\A\\Settings"), QStringList({"Zeta", "alpha"}));
    EXPECT_EQ(s.readString("SOFTWARE\\a\\settings", "zeta").value_or("<missing>"), "3");

    s.createKey("Software\\A\\Settings\\History");
    s.writeString("Software\\A\\Settings\\Colors", "c", "x");
    EXPECT_EQ(s.subKeys("Software\\A\\Settings"), QStringList({"History", "Colors"}));

    // A second store on the same file sees everything, including the empty key.
    SettingsStore other(s.filePath());
    EXPECT_TRUE(other.keyExists("software\\a\\settings\\history"));
    EXPECT_EQ(other.readString("Software\\A\\Settings", "alpha").value_or("<missing>"), "2");
}

TEST(SettingsStore, AwkwardTextSurvives) {
    TempDir dir;
    SettingsStore s(dir.file("settings.conf"));
    const QString value = QStringLiteral("line1\r\nline2 = %41 ; #x\n  日本語  ");
    const QString name = QStringLiteral("[we=ird]%name");
    s.writeString("K\\Sub]key", name, value);
    s.writeString("K\\Sub]key", "", "default value");
    SettingsStore again(s.filePath());
    EXPECT_EQ(again.readString("K\\Sub]key", name).value_or("<missing>"), value);
    EXPECT_EQ(again.readString("K\\Sub]key", "").value_or("<missing>"), "default value");
}

TEST(SettingsStore, DeleteValuesAndKeysRecursively) {
    TempDir dir;
    SettingsStore s(dir.file("settings.conf"));
    s.writeString("R\\A", "v", "1");
    s.writeString("R\\A\\B\\C", "w", "2");
    s.writeString("R\\D", "x", "3");
    s.deleteValue("R\\a", "V");
    EXPECT_FALSE(s.readString("R\\A", "v").has_value());
    s.deleteKey("r\\A");
    EXPECT_FALSE(s.keyExists("R\\A\\B\\C"));
    EXPECT_EQ(s.subKeys("R"), QStringList({"D"}));
    EXPECT_EQ(s.dump(), QStringList({"R\\D\\x=3"}));
}

TEST(SettingsStore, SeesChangesMadeByAnotherWriter) {
    TempDir dir;
    SettingsStore a(dir.file("settings.conf"));
    SettingsStore b(dir.file("settings.conf"));
    a.writeString("K", "n", "1");
    EXPECT_EQ(b.readString("K", "n").value_or("<missing>"), "1");
    b.writeString("K", "m", "2");
    a.writeString("K", "n", "3");  // must not lose b's value
    EXPECT_EQ(b.readString("K", "m").value_or("<missing>"), "2");
    EXPECT_EQ(b.readString("K", "n").value_or("<missing>"), "3");
}

TEST(SettingsStore, FailedWriteRaisesAndKeepsTheFile) {
    TempDir dir;
    // The settings "file" is a folder: nothing can be renamed over it.
    const QString path = dir.file("blocked");
    SettingsStore s(path);
    ASSERT_TRUE(QDir().mkpath(path + "/inside"));
    EXPECT_THROW(s.writeString("K", "n", "1"), Exception);
    EXPECT_TRUE(QFileInfo(path + "/inside").isDir());
}
