// Sharing: the locks an open takes keep other opens out, in this process and in
// others.
#include "platform/cfb/CompoundFile.h"
#include "tests/platform/cfb/CfbTestSupport.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <QFile>
#include <QStandardPaths>

using namespace platform::cfb;
using cfbtest::runProcess;

namespace {

class CfbLock : public ::testing::Test {
protected:
    void SetUp() override {
        auto f = CompoundFile::create(path);
        f->root().createStream(QStringLiteral("s")).write(0, QByteArray("content"));
    }
    // Whether another process can take the lock now (util-linux flock(1)).
    int otherProcessLock(bool shared) {
        const QString tool = QStandardPaths::findExecutable(QStringLiteral("flock"));
        if (tool.isEmpty()) return -2;
        return runProcess(tool, {shared ? QStringLiteral("-sn") : QStringLiteral("-n"), path,
                                 QStringLiteral("true")})
            .code;
    }
    TempDir dir;
    QString path = dir.file(QStringLiteral("locked.cfb"));
};

}  // namespace

TEST_F(CfbLock, SecondExclusiveOpenFails) {
    auto first = CompoundFile::open(path, Access::ReadWrite);
    try {
        CompoundFile::open(path, Access::ReadWrite);
        FAIL() << "second exclusive open succeeded";
    } catch (const CfbLocked& e) {
        EXPECT_EQ(e.message(), QStringLiteral("複合ファイル「%1」は他で使用中です").arg(path));
    }
    EXPECT_THROW(CompoundFile::open(path, Access::Read, Share::DenyWrite), CfbLocked);
    EXPECT_THROW(CompoundFile::open(path, Access::Read, Share::Exclusive), CfbLocked);
    // Creating over a held file fails and leaves it alone.
    EXPECT_THROW(CompoundFile::create(path), CfbLocked);
    EXPECT_EQ(first->root().openStream(QStringLiteral("s")).readAll(), QByteArray("content"));
    first.reset();
    EXPECT_NO_THROW(CompoundFile::open(path, Access::ReadWrite));
}

TEST_F(CfbLock, ReadersThatDenyWritingShare) {
    auto a = CompoundFile::open(path, Access::Read, Share::DenyWrite);
    auto b = CompoundFile::open(path, Access::Read, Share::DenyWrite);
    EXPECT_EQ(b->root().openStream(QStringLiteral("s")).readAll(), QByteArray("content"));
    EXPECT_THROW(CompoundFile::open(path, Access::ReadWrite), CfbLocked);
    EXPECT_THROW(CompoundFile::open(path, Access::Read, Share::Exclusive), CfbLocked);
    a.reset();
    EXPECT_THROW(CompoundFile::open(path, Access::ReadWrite), CfbLocked);
    b.reset();
    EXPECT_NO_THROW(CompoundFile::open(path, Access::ReadWrite));
}

TEST_F(CfbLock, LocksAreSeenByOtherProcesses) {
    if (otherProcessLock(true) == -2) GTEST_SKIP() << "flock(1) is not installed";
    {
        auto reader = CompoundFile::open(path, Access::Read, Share::DenyWrite);
        EXPECT_EQ(otherProcessLock(true), 0);
        EXPECT_NE(otherProcessLock(false), 0);
    }
    {
        auto writer = CompoundFile::open(path, Access::ReadWrite);
        EXPECT_NE(otherProcessLock(true), 0);
    }
    EXPECT_EQ(otherProcessLock(false), 0);
}
