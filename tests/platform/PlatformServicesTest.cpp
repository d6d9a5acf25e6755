// User folders, the instance lock, atomic writes, dynamic loading and message formatting.
#include "platform/AtomicFile.h"
#include "platform/DynamicLibrary.h"
#include "platform/Format.h"
#include "platform/InstanceLock.h"
#include "platform/UserFolders.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace platform;

TEST(UserFolders, FollowTheEnvironment) {
    TempDir dir;
    ScopedEnv home("HOME", dir.path());
    ScopedEnv cfg("XDG_CONFIG_HOME", dir.file("cfg/"));
    ScopedEnv relative("XDG_DATA_HOME", "not/absolute");  // ignored: not an absolute path
    ScopedEnv tmp("TMPDIR", dir.path());
    ScopedEnv docs("XDG_DOCUMENTS_DIR", "");
    ScopedEnv cache("XDG_CACHE_HOME", "");
    EXPECT_EQ(configHome(), dir.file("cfg"));
    EXPECT_EQ(dataHome(), dir.file(".local/share"));
    EXPECT_EQ(cacheHome(), dir.file(".cache"));
    EXPECT_EQ(tempFolder(), dir.path());
    EXPECT_EQ(documentsFolder(), dir.path());  // no Documents folder: the home folder
    dir.write("cfg/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"$HOME/書類\"\n");
    QDir().mkpath(dir.file("書類"));
    EXPECT_EQ(documentsFolder(), dir.file("書類"));
}

TEST(UserFolders, PrivateFoldersAreMode0700) {
    TempDir dir;
    const QString deep = dir.file("a/b/c");
    ASSERT_TRUE(makePrivateFolder(deep));
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(deep).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_TRUE(isFolderWritable(deep));
    EXPECT_FALSE(makePrivateFolder(dir.write("file", "x") + "/sub"));
}

TEST(InstanceLock, OnlyOneHolderAcrossProcesses) {
    TempDir dir;
    ScopedEnv rt("XDG_RUNTIME_DIR", dir.path());
    auto first = InstanceLock::tryAcquire("Vellumo.1.0/test");
    ASSERT_TRUE(first);
    EXPECT_TRUE(first->path().startsWith(dir.path()));
    EXPECT_FALSE(InstanceLock::tryAcquire("Vellumo.1.0/test"));
    EXPECT_TRUE(InstanceLock::tryAcquire("another name"));

    // A child process cannot take it either.
    const pid_t child = ::fork();
    if (child == 0) ::_exit(InstanceLock::tryAcquire("Vellumo.1.0/test") ? 1 : 0);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_EQ(WEXITSTATUS(status), 0);

    first.reset();
    EXPECT_TRUE(InstanceLock::tryAcquire("Vellumo.1.0/test"));
}

TEST(InstanceLock, SharedTemporaryFolderGetsTheUsersOwnLock) {
    TempDir dir;
    ScopedEnv rt("XDG_RUNTIME_DIR", "");
    ScopedEnv tmp("TMPDIR", dir.path());
    auto lock = InstanceLock::tryAcquire("Vellumo.1.0");
    ASSERT_TRUE(lock);
    EXPECT_EQ(lock->path(), dir.file(QStringLiteral("Vellumo.1.0.%1.lock").arg(::geteuid())));
    // A link planted in its place is not followed.
    lock.reset();
    QFile::remove(dir.file(QStringLiteral("Vellumo.1.0.%1.lock").arg(::geteuid())));
    ASSERT_TRUE(QFile::link(dir.file("target"),
                            dir.file(QStringLiteral("Vellumo.1.0.%1.lock").arg(::geteuid()))));
    EXPECT_FALSE(InstanceLock::tryAcquire("Vellumo.1.0"));
    EXPECT_FALSE(QFile::exists(dir.file("target")));
}

TEST(AtomicFile, ReplacesContentKeepsModeAndFailsSafely) {
    TempDir dir;
    const QString path = dir.write("f.txt", "old");
    ::chmod(QFile::encodeName(path).constData(), 0640);
    ASSERT_TRUE(writeFileAtomically(path, "new content"));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), "new content");
    struct stat st {};
    ::stat(QFile::encodeName(path).constData(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0640u);

    QString why;
    EXPECT_FALSE(writeFileAtomically(dir.file("missing/f.txt"), "x", &why));
    EXPECT_FALSE(why.isEmpty());
    // No temporary files are left behind.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList({"f.txt"}));
}

TEST(DynamicLibrary, LoadsLibrariesAndRejectsOtherFiles) {
    QString why;
    auto lib = DynamicLibrary::open("libz.so.1", &why);
    ASSERT_TRUE(lib) << why.toStdString();
    EXPECT_NE(lib->symbol("zlibVersion"), nullptr);
    EXPECT_EQ(lib->symbol("no_such_symbol_here"), nullptr);
    auto moved = std::move(*lib);
    EXPECT_NE(moved.symbol("zlibVersion"), nullptr);

    TempDir dir;
    EXPECT_FALSE(DynamicLibrary::open(dir.write("fake.so", "not a library"), &why));
    EXPECT_FALSE(why.isEmpty());
    EXPECT_FALSE(DynamicLibrary::open(dir.file("missing.so")));
}

TEST(Format, PlaceholdersTakeArgumentsInOrder) {
    EXPECT_EQ(format(QStringLiteral("%sの%d文字目"), QStringLiteral("$(A"), 2),
              QStringLiteral("$(Aの2文字目"));
    EXPECT_EQ(format(QStringLiteral("100%% %s %s"), QStringLiteral("a")),
              QStringLiteral("100% a %s"));
    EXPECT_EQ(format(QStringLiteral("%x%")), QStringLiteral("%x%"));
}
