// Round trips through our own engine: what is written, flushed and closed reads back
// the same after reopening the file.
#include "platform/cfb/CompoundFile.h"
#include "tests/platform/cfb/CfbTestSupport.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <QFileInfo>

using namespace platform::cfb;
using cfbtest::pattern;

namespace {

QStringList names(const Storage& s) {
    QStringList out;
    for (const ElementInfo& e : s.children()) out << e.name;
    return out;
}

class CfbRoundTrip : public ::testing::Test {
protected:
    TempDir dir;
    QString path = dir.file(QStringLiteral("test.cfb"));

    std::unique_ptr<CompoundFile> reopen(Access access = Access::Read) {
        return CompoundFile::open(path, access);
    }
};

}  // namespace

TEST_F(CfbRoundTrip, StreamsBelowAndAboveTheCutoffReadBack) {
    const std::vector<qsizetype> sizes{0, 1, 63, 64, 65, 4095, 4096, 4097, 100000};
    {
        auto f = CompoundFile::create(path);
        Storage root = f->root();
        for (qsizetype n : sizes)
            root.createStream(QStringLiteral("s%1").arg(n)).write(0, pattern(n, uint32_t(n)));
    }
    auto f = reopen();
    EXPECT_FALSE(f->writable());
    EXPECT_EQ(f->version(), 3);
    for (qsizetype n : sizes) {
        Stream s = f->root().openStream(QStringLiteral("s%1").arg(n));
        EXPECT_EQ(s.size(), uint64_t(n));
        EXPECT_EQ(s.readAll(), pattern(n, uint32_t(n))) << n;
    }
}

TEST_F(CfbRoundTrip, ReadAndWriteAtOffsets) {
    auto f = CompoundFile::create(path);
    Stream s = f->root().createStream(QStringLiteral("data"));
    QByteArray expected = pattern(20000, 1);
    s.write(0, expected);
    // Overwrite a range crossing sector boundaries, and write past the end with a gap.
    const QByteArray patch = pattern(1500, 2);
    s.write(1000, patch);
    expected.replace(1000, patch.size(), patch);
    s.write(25000, QByteArrayLiteral("tail"));
    expected.append(QByteArray(5000, '\0')).append("tail");
    EXPECT_EQ(s.readAll(), expected);

    char buf[10];
    EXPECT_EQ(s.read(expected.size() - 4, buf, sizeof buf), 4u);
    EXPECT_EQ(QByteArray(buf, 4), QByteArray("tail"));
    EXPECT_EQ(s.read(expected.size(), buf, sizeof buf), 0u);
    EXPECT_EQ(s.read(uint64_t(1) << 40, buf, sizeof buf), 0u);
    f->close();
    EXPECT_EQ(reopen()->root().openStream(QStringLiteral("DATA")).readAll(), expected);
}

TEST_F(CfbRoundTrip, StreamsMoveAcrossTheCutoffBothWays) {
    const QByteArray big = pattern(10000, 3);
    {
        auto f = CompoundFile::create(path);
        Stream s = f->root().createStream(QStringLiteral("grow"));
        QByteArray built;
        // Grow in small pieces from the mini stream into regular sectors.
        for (int i = 0; i < 10; ++i) {
            s.write(uint64_t(built.size()), big.mid(i * 1000, 1000));
            built += big.mid(i * 1000, 1000);
            ASSERT_EQ(s.readAll(), built) << i;
        }
        Stream back = f->root().createStream(QStringLiteral("shrink"));
        back.write(0, big);
        back.setSize(3000);
        EXPECT_EQ(back.readAll(), big.left(3000));
        back.setSize(5000);  // grows again: the new part is zeros, not the old bytes
        EXPECT_EQ(back.readAll(), big.left(3000) + QByteArray(2000, '\0'));
        back.setSize(100);
    }
    auto f = reopen();
    EXPECT_EQ(f->root().openStream(QStringLiteral("grow")).readAll(), big);
    EXPECT_EQ(f->root().openStream(QStringLiteral("shrink")).readAll(), big.left(100));
}

TEST_F(CfbRoundTrip, NestedStoragesWithJapaneseNames) {
    {
        auto f = CompoundFile::create(path);
        Storage album = f->root().createStorage(QStringLiteral("アルバム"));
        Storage sheet = album.createStorage(QStringLiteral("シート1"));
        sheet.createStream(QStringLiteral("写真データ")).write(0, QByteArray("photo"));
        album.createStream(QStringLiteral("目次")).write(0, QByteArray("index"));
        Clsid id{};
        id[0] = 0x12;
        id[15] = 0x34;
        sheet.setClsid(id);
    }
    auto f = reopen();
    Storage album = f->root().openStorage(QStringLiteral("アルバム"));
    EXPECT_EQ(names(album), (QStringList{QStringLiteral("目次"), QStringLiteral("シート1")}));
    Storage sheet = album.openStorage(QStringLiteral("シート1"));
    EXPECT_EQ(sheet.stat().clsid[0], 0x12);
    EXPECT_EQ(sheet.stat().clsid[15], 0x34);
    EXPECT_NE(sheet.stat().createdTime, 0u);
    EXPECT_EQ(sheet.openStream(QStringLiteral("写真データ")).readAll(), QByteArray("photo"));
    EXPECT_THROW(album.openStream(QStringLiteral("シート1")), CfbNotFound);
    EXPECT_THROW(album.openStorage(QStringLiteral("目次")), CfbNotFound);
}

TEST_F(CfbRoundTrip, ChildrenComeInNameOrderAndLookupsIgnoreCase) {
    auto f = CompoundFile::create(path);
    Storage root = f->root();
    for (const char* n : {"bb", "A", "ccc", "Ab", "aa", "B"})
        root.createStream(QString::fromLatin1(n));
    // Shorter names first, then by upper-cased units.
    EXPECT_EQ(names(root), (QStringList{"A", "B", "aa", "Ab", "bb", "ccc"}));
    EXPECT_TRUE(root.containsStream(QStringLiteral("CCC")));
    EXPECT_TRUE(root.containsStream(QStringLiteral("aB")));
    EXPECT_THROW(root.createStorage(QStringLiteral("BB")), CfbExists);
    // Creating an existing stream in another case empties it and keeps its name.
    root.openStream(QStringLiteral("bb")).write(0, QByteArray("xyz"));
    Stream again = root.createStream(QStringLiteral("BB"));
    EXPECT_EQ(again.size(), 0u);
    EXPECT_EQ(again.name(), QStringLiteral("bb"));
}

TEST_F(CfbRoundTrip, BadNamesAreRefused) {
    auto f = CompoundFile::create(path);
    Storage root = f->root();
    const QString longest(31, u'x');
    EXPECT_NO_THROW(root.createStream(longest));
    for (const QString& bad :
         {QString(), QString(32, u'x'), QStringLiteral("a/b"), QStringLiteral("a\\b"),
          QStringLiteral("a:b"), QStringLiteral("a!b")}) {
        EXPECT_THROW(root.createStream(bad), CfbInvalidName) << bad.toStdString();
        EXPECT_THROW(root.createStorage(bad), CfbInvalidName) << bad.toStdString();
    }
    EXPECT_THROW(root.rename(longest, QStringLiteral("x!")), CfbInvalidName);
    try {
        root.createStream(QStringLiteral("a:b"));
        FAIL();
    } catch (const CfbInvalidName& e) {
        EXPECT_EQ(e.message(), QStringLiteral("名前「a:b」は使えません"));
    }
}

TEST_F(CfbRoundTrip, DeletedSectorsAreReused) {
    {
        auto f = CompoundFile::create(path);
        Storage root = f->root();
        Storage folder = root.createStorage(QStringLiteral("folder"));
        folder.createStream(QStringLiteral("one")).write(0, pattern(300000, 4));
        folder.createStorage(QStringLiteral("inner"))
            .createStream(QStringLiteral("small"))
            .write(0, pattern(100, 5));
        root.createStream(QStringLiteral("keep")).write(0, pattern(5000, 6));
    }
    const qint64 before = QFileInfo(path).size();
    {
        auto f = reopen(Access::ReadWrite);
        f->root().remove(QStringLiteral("FOLDER"));
        EXPECT_EQ(names(f->root()), QStringList{QStringLiteral("keep")});
        EXPECT_THROW(f->root().remove(QStringLiteral("folder")), CfbNotFound);
        f->root().createStream(QStringLiteral("two")).write(0, pattern(290000, 7));
    }
    // The new stream went into the freed sectors: the file did not grow.
    EXPECT_EQ(QFileInfo(path).size(), before);
    auto f = reopen();
    EXPECT_EQ(f->root().openStream(QStringLiteral("two")).readAll(), pattern(290000, 7));
    EXPECT_EQ(f->root().openStream(QStringLiteral("keep")).readAll(), pattern(5000, 6));
}

TEST_F(CfbRoundTrip, FreedMiniSectorsAreReused) {
    {
        auto f = CompoundFile::create(path);
        for (int i = 0; i < 40; ++i)
            f->root()
                .createStream(QStringLiteral("old%1").arg(i))
                .write(0, pattern(1000, uint32_t(i)));
    }
    const qint64 before = QFileInfo(path).size();
    {
        auto f = reopen(Access::ReadWrite);
        for (int i = 0; i < 40; ++i) f->root().remove(QStringLiteral("old%1").arg(i));
        for (int i = 0; i < 40; ++i)
            f->root()
                .createStream(QStringLiteral("new%1").arg(i))
                .write(0, pattern(1000, uint32_t(50 + i)));
    }
    EXPECT_EQ(QFileInfo(path).size(), before);
    auto f = reopen();
    EXPECT_EQ(f->root().children().size(), 40u);
    for (int i = 0; i < 40; ++i)
        EXPECT_EQ(f->root().openStream(QStringLiteral("new%1").arg(i)).readAll(),
                  pattern(1000, uint32_t(50 + i)));
}

TEST_F(CfbRoundTrip, RenameAndMoveKeepTheData) {
    {
        auto f = CompoundFile::create(path);
        Storage root = f->root();
        Storage a = root.createStorage(QStringLiteral("a"));
        Storage b = root.createStorage(QStringLiteral("b"));
        a.createStream(QStringLiteral("s")).write(0, pattern(7000, 8));
        a.createStorage(QStringLiteral("sub"))
            .createStream(QStringLiteral("t"))
            .write(0, QByteArray("t"));
        root.rename(QStringLiteral("a"), QStringLiteral("Alpha"));
        Storage alpha = root.openStorage(QStringLiteral("alpha"));
        alpha.moveTo(QStringLiteral("s"), b, QStringLiteral("moved"));
        alpha.moveTo(QStringLiteral("sub"), b);
        EXPECT_THROW(root.moveTo(QStringLiteral("b"), b.openStorage(QStringLiteral("sub"))),
                     CfbInvalidOperation);
        EXPECT_THROW(root.moveTo(QStringLiteral("b"), b), CfbInvalidOperation);
        EXPECT_THROW(b.rename(QStringLiteral("moved"), QStringLiteral("SUB")), CfbExists);
        b.rename(QStringLiteral("moved"), QStringLiteral("MOVED"));  // case only
        EXPECT_THROW(root.rename(QStringLiteral("nope"), QStringLiteral("x")), CfbNotFound);
    }
    auto f = reopen();
    EXPECT_EQ(names(f->root()), (QStringList{"b", "Alpha"}));
    EXPECT_TRUE(names(f->root().openStorage(QStringLiteral("Alpha"))).isEmpty());
    Storage b = f->root().openStorage(QStringLiteral("b"));
    EXPECT_EQ(names(b), (QStringList{"sub", "MOVED"}));
    EXPECT_EQ(b.openStream(QStringLiteral("moved")).readAll(), pattern(7000, 8));
    EXPECT_EQ(b.openStorage(QStringLiteral("sub")).openStream(QStringLiteral("t")).readAll(),
              QByteArray("t"));
}

TEST_F(CfbRoundTrip, HandlesOfRemovedElementsStopWorking) {
    auto f = CompoundFile::create(path);
    Storage folder = f->root().createStorage(QStringLiteral("f"));
    Stream s = folder.createStream(QStringLiteral("s"));
    f->root().remove(QStringLiteral("f"));
    // The freed slot is taken by a new element: the old handles must still notice.
    f->root().createStorage(QStringLiteral("g")).createStream(QStringLiteral("h"));
    EXPECT_THROW(s.size(), CfbInvalidOperation);
    EXPECT_THROW(folder.children(), CfbInvalidOperation);
    f->close();
    EXPECT_THROW(f->root(), CfbInvalidOperation);
}

TEST_F(CfbRoundTrip, ReadOnlyFilesRefuseChanges) {
    CompoundFile::create(path)->root().createStream(QStringLiteral("s")).write(0, QByteArray("x"));
    auto f = reopen();
    EXPECT_THROW(f->root().createStream(QStringLiteral("t")), CfbAccessDenied);
    EXPECT_THROW(f->root().openStream(QStringLiteral("s")).write(0, QByteArray("y")),
                 CfbAccessDenied);
    EXPECT_THROW(f->root().remove(QStringLiteral("s")), CfbAccessDenied);
    EXPECT_EQ(f->root().openStream(QStringLiteral("s")).readAll(), QByteArray("x"));
}

TEST_F(CfbRoundTrip, LargeFileNeedsDifatSectors) {
    // 12 MB of 512-byte sectors need more FAT sectors than the header's 109 slots.
    const qsizetype chunk = 1 << 20;
    {
        auto f = CompoundFile::create(path);
        Stream s = f->root().createStream(QStringLiteral("big"));
        for (int i = 0; i < 12; ++i)
            s.write(uint64_t(i) * chunk, pattern(chunk, uint32_t(100 + i)));
        f->root().createStream(QStringLiteral("small")).write(0, QByteArray("after"));
    }
    EXPECT_GT(QFileInfo(path).size(), 12 * chunk);
    auto f = reopen(Access::ReadWrite);
    Stream s = f->root().openStream(QStringLiteral("big"));
    ASSERT_EQ(s.size(), uint64_t(12 * chunk));
    QByteArray buf(chunk, Qt::Uninitialized);
    for (int i = 0; i < 12; ++i) {
        ASSERT_EQ(s.read(uint64_t(i) * chunk, buf.data(), size_t(chunk)), size_t(chunk));
        EXPECT_EQ(buf, pattern(chunk, uint32_t(100 + i))) << i;
    }
    EXPECT_EQ(f->root().openStream(QStringLiteral("small")).readAll(), QByteArray("after"));
    // Shrinking and reopening keeps the tables consistent.
    s.setSize(100);
    f->close();
    EXPECT_EQ(reopen()->root().openStream(QStringLiteral("big")).readAll(),
              pattern(chunk, 100).left(100));
}

TEST_F(CfbRoundTrip, VersionFourFilesRoundTrip) {
    {
        auto f = CompoundFile::create(path, 4);
        f->root().createStream(QStringLiteral("small")).write(0, pattern(1000, 9));
        f->root().createStream(QStringLiteral("large")).write(0, pattern(50000, 10));
    }
    EXPECT_EQ(QFileInfo(path).size() % 4096, 0);
    auto f = reopen();
    EXPECT_EQ(f->version(), 4);
    EXPECT_EQ(f->root().openStream(QStringLiteral("small")).readAll(), pattern(1000, 9));
    EXPECT_EQ(f->root().openStream(QStringLiteral("large")).readAll(), pattern(50000, 10));
}

TEST_F(CfbRoundTrip, ManyElementsInOneStorage) {
    {
        auto f = CompoundFile::create(path);
        Storage root = f->root();
        for (int i = 0; i < 2000; ++i)
            root.createStream(QStringLiteral("n%1").arg(i)).write(0, QByteArray::number(i));
    }
    auto f = reopen();
    const auto children = f->root().children();
    ASSERT_EQ(children.size(), 2000u);
    for (size_t i = 1; i < children.size(); ++i) {
        const QString& a = children[i - 1].name;
        const QString& b = children[i].name;
        EXPECT_TRUE(a.size() < b.size() || (a.size() == b.size() && a.toUpper() < b.toUpper()));
    }
    EXPECT_EQ(f->root().openStream(QStringLiteral("N1234")).readAll(), QByteArray("1234"));
}
