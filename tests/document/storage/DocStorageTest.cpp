// The storage layer over real compound files: paths, nodes, streams, element
// operations, the working copy and the change snapshot.
#include "document/Strings.h"
#include "document/storage/DocStream.h"
#include "document/storage/StorageErrors.h"
#include "document/storage/StorageMode.h"
#include "document/storage/StoragePath.h"
#include "document/storage/TemporaryStorage.h"
#include "platform/cfb/CompoundFile.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace storagemode;

namespace {

QByteArray readStream(const TDocStorage& node, const QString& path) {
    return TDocStream(node, Read, path).ReadToEnd();
}

void writeStream(const TDocStorage& node, const QString& path, const QByteArray& bytes) {
    TDocStream s(node, Create, path);
    s.WriteBytes(bytes);
}

QStringList listOf(const TDocStorage& node, bool storages) {
    TStringList l;
    storages ? node.ListStorages(l) : node.ListStreams(l);
    return l.ToStringList();
}

}  // namespace

TEST(StoragePath, ResolvesDotsRootAndEmptySegments) {
    using storagepath::Resolve;
    const QStringList base{QStringLiteral("Sheets"), QStringLiteral("NameList0")};
    EXPECT_EQ(Resolve(base, QStringLiteral("Preview")).join(u'/'), "Sheets/NameList0/Preview");
    EXPECT_EQ(Resolve(base, QStringLiteral("..\\NameList1\\.\\\\Face")).join(u'/'),
              "Sheets/NameList1/Face");
    EXPECT_EQ(Resolve(base, QStringLiteral("\\Info")).join(u'/'), "Info");
    EXPECT_TRUE(Resolve(base, QStringLiteral("..\\..")).isEmpty());
    try {
        Resolve(base, QStringLiteral("..\\..\\.."));
        FAIL() << "three levels up from two";
    } catch (const EDocStorage& e) {
        EXPECT_EQ(e.message(), QStringLiteral("too many \"..\""));
    }
    EXPECT_EQ(storagepath::JoinName(QString(), QStringLiteral("a")), "a");
    EXPECT_EQ(storagepath::JoinName(QStringLiteral("x\\"), QStringLiteral("a")), "x\\a");
    EXPECT_EQ(storagepath::JoinName(QStringLiteral("x"), QStringLiteral("a")), "x\\a");
}

TEST(StorageMode, TranslatesModeNumbers) {
    EXPECT_TRUE(IsCreate(-1));
    EXPECT_TRUE(IsCreate(0xFFFF));
    EXPECT_FALSE(IsCreate(2));
    EXPECT_TRUE(IsReadOnly(0));
    EXPECT_TRUE(IsReadOnly(0x20));
    EXPECT_FALSE(IsReadOnly(1));
    EXPECT_EQ(ShareOf(0x20), platform::cfb::Share::DenyWrite);
    EXPECT_EQ(ShareOf(0x10), platform::cfb::Share::Exclusive);
    EXPECT_EQ(ShareOf(0), platform::cfb::Share::Exclusive);
}

class DocStorageTest : public ::testing::Test {
protected:
    TempDir dir;
    QString path = dir.file(QStringLiteral("album.vld"));
};

TEST_F(DocStorageTest, CreatingAStreamCreatesTheMissingStorages) {
    TFileStorage root(path, Create);
    writeStream(root, QStringLiteral("Sheets\\NameList0\\Face"), "abc");
    EXPECT_TRUE(root.StorageExists(QStringLiteral("Sheets")));
    EXPECT_TRUE(root.StorageExists(QStringLiteral("sheets\\namelist0")));  // any case
    EXPECT_TRUE(root.StreamExists(QStringLiteral("Sheets\\NameList0\\Face")));
    EXPECT_FALSE(root.StreamExists(QStringLiteral("Sheets\\NameList0")));
    EXPECT_EQ(readStream(root, QStringLiteral("SHEETS\\namelist0\\face")), "abc");

    // Mode -1 on an existing stream empties it.
    {
        TDocStream s(root, Create, QStringLiteral("Sheets\\NameList0\\Face"));
        EXPECT_EQ(s.Size(), 0);
    }
    // Opening a missing stream or storage raises; the exists tests never do.
    EXPECT_THROW(TDocStream(root, ReadWrite, QStringLiteral("Sheets\\Missing")),
                 platform::cfb::CfbNotFound);
    EXPECT_THROW(TDocStorage(root, false, QStringLiteral("Nowhere")), platform::cfb::CfbNotFound);
    EXPECT_FALSE(root.StreamExists(QStringLiteral("..\\..\\x")));
    EXPECT_FALSE(root.StorageExists(QStringLiteral("Nowhere\\Deeper")));
}

TEST_F(DocStorageTest, NodesOnNestedPathsAreOpenAtTheSameTime) {
    TFileStorage root(path, Create);
    TDocStorage page(root, true, QStringLiteral("Sheets\\NameList0"));
    TDocStorage preview(root, true, QStringLiteral("Sheets\\NameList0\\Preview"));
    TDocStorage again(page, false, QStringLiteral("Preview"));
    EXPECT_EQ(preview.Path(), "Sheets\\NameList0\\Preview");
    EXPECT_EQ(again.Path(), "Sheets\\NameList0\\Preview");
    writeStream(preview, QStringLiteral("Image"), "png");
    EXPECT_EQ(readStream(again, QStringLiteral("Image")), "png");
    EXPECT_EQ(readStream(page, QStringLiteral("Preview\\Image")), "png");
    EXPECT_EQ(readStream(preview, QStringLiteral("\\Sheets\\NameList0\\Preview\\Image")), "png");
    EXPECT_EQ(listOf(page, true), QStringList{"Preview"});
}

TEST_F(DocStorageTest, DeleteMoveAndListElements) {
    TFileStorage root(path, Create);
    writeStream(root, QStringLiteral("Info"), "i");
    writeStream(root, QStringLiteral("Sheets\\A"), "a");
    writeStream(root, QStringLiteral("Sheets\\B"), "b");
    EXPECT_EQ(listOf(root, false), QStringList{"Info"});
    EXPECT_EQ(listOf(root, true), QStringList{"Sheets"});

    EXPECT_TRUE(root.DeleteElement(QStringLiteral("Sheets\\A")));
    EXPECT_FALSE(root.DeleteElement(QStringLiteral("Sheets\\A")));
    EXPECT_FALSE(root.DeleteElement(QStringLiteral("Missing\\A")));

    root.MoveElement(QStringLiteral("Sheets\\B"), QStringLiteral("Moved"));
    EXPECT_EQ(readStream(root, QStringLiteral("Moved")), "b");
    EXPECT_FALSE(root.StreamExists(QStringLiteral("Sheets\\B")));
    EXPECT_TRUE(root.DeleteElement(QStringLiteral("Sheets")));
    EXPECT_EQ(listOf(root, true), QStringList{});
}

TEST_F(DocStorageTest, StreamReadsWritesSeeksAndRespectsItsMode) {
    TFileStorage root(path, Create);
    {
        TDocStream s(root, Create, QStringLiteral("Data"));
        const QByteArray big(10000, 'x');  // crosses the small-stream cutoff
        s.WriteBytes(big);
        EXPECT_EQ(s.Write("", 0), 0);
        EXPECT_EQ(s.Seek(-10, SeekOrigin::End), 9990);
        s.WriteBytes("0123456789");
        s.SetSize(100);
        EXPECT_EQ(s.Size(), 100);
    }
    TDocStream r(root, Read, QStringLiteral("Data"));
    char buf[200];
    EXPECT_EQ(r.Read(buf, 200), 100);
    EXPECT_EQ(r.Read(buf, 10), 0);
    EXPECT_THROW(r.WriteBytes("no"), EDocStorage);
    EXPECT_THROW(r.SetSize(0), EDocStorage);
}

TEST_F(DocStorageTest, ReadOnlyRootRefusesChanges) {
    {
        TFileStorage root(path, Create);
        writeStream(root, QStringLiteral("S"), "s");
    }
    TFileStorage root(path, Read);
    EXPECT_FALSE(root.Writable());
    EXPECT_EQ(readStream(root, QStringLiteral("S")), "s");
    EXPECT_THROW(writeStream(root, QStringLiteral("T"), "t"), platform::cfb::CfbError);
    // A second exclusive opener is turned away while the first holds the file.
    EXPECT_THROW(TFileStorage(path, Read), platform::cfb::CfbLocked);
}

TEST_F(DocStorageTest, WorkingCopyLoadsSavesAndReplacesTheWholeFile) {
    {
        TFileStorage f(path, Create);
        writeStream(f, QStringLiteral("Old"), "old");
        writeStream(f, QStringLiteral("Sheets\\Kept"), "k");
    }
    ::chmod(QFile::encodeName(path).constData(), 0640);

    TTemporaryStorage work;
    const QString tempName = work.FileName();
    EXPECT_TRUE(QFileInfo(tempName).fileName().startsWith(QStringLiteral("mtf")));
    EXPECT_TRUE(QFile::exists(tempName));
    work.LoadFrom(path);
    EXPECT_FALSE(QFile::exists(tempName));  // the previous working copy is released
    EXPECT_EQ(readStream(work, QStringLiteral("Sheets\\Kept")), "k");
    // The file is not held open: it can be opened exclusively while the copy lives.
    { TFileStorage probe(path, ReadWrite); }

    EXPECT_TRUE(work.DeleteElement(QStringLiteral("Old")));
    writeStream(work, QStringLiteral("New"), QByteArray(5000, 'n'));
    work.SaveTo(path);
    {
        TFileStorage f(path, Read);
        EXPECT_FALSE(f.StreamExists(QStringLiteral("Old")));
        EXPECT_EQ(readStream(f, QStringLiteral("New")), QByteArray(5000, 'n'));
        EXPECT_EQ(readStream(f, QStringLiteral("Sheets\\Kept")), "k");
    }
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);

    // Loading a file that cannot be opened leaves the working copy as it was.
    EXPECT_THROW(work.LoadFrom(dir.file(QStringLiteral("missing.vld"))), platform::cfb::CfbError);
    dir.write(QStringLiteral("not-cfb.vld"), "plain text, not a compound file");
    EXPECT_THROW(work.LoadFrom(dir.file(QStringLiteral("not-cfb.vld"))), platform::cfb::CfbError);
    EXPECT_EQ(readStream(work, QStringLiteral("Sheets\\Kept")), "k");

    const QString live = work.FileName();
    { TTemporaryStorage gone; }
    EXPECT_TRUE(QFile::exists(live));
}

TEST_F(DocStorageTest, FailedSaveLeavesNoTraceAndTheTargetIntact) {
    TTemporaryStorage work;
    writeStream(work, QStringLiteral("S"), "s");
    // A folder where the file should go: the rename fails after the copy was written.
    const QString blocked = dir.file(QStringLiteral("blocked.vld"));
    QDir().mkpath(blocked + QStringLiteral("/inside"));
    EXPECT_THROW(work.SaveTo(blocked), platform::cfb::CfbError);
    EXPECT_TRUE(QFileInfo(blocked).isDir());
    EXPECT_TRUE(QFileInfo::exists(blocked + QStringLiteral("/inside")));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 0);
    EXPECT_THROW(work.SaveTo(dir.file(QStringLiteral("no/such/folder.vld"))),
                 platform::cfb::CfbError);
}

TEST_F(DocStorageTest, SnapshotSeesOwnChangesAndReplacedFiles) {
    TTemporaryStorage work;
    EXPECT_FALSE(work.ChangedSinceSnapshot());
    writeStream(work, QStringLiteral("S"), "s");
    EXPECT_TRUE(work.ChangedSinceSnapshot());
    work.TakeSnapshot();
    EXPECT_FALSE(work.ChangedSinceSnapshot());
    {
        TDocStream s(work, ReadWrite, QStringLiteral("S"));
        s.WriteBytes("t");
    }  // same size
    EXPECT_TRUE(work.ChangedSinceSnapshot());
    work.TakeSnapshot();
    work.ClearSnapshot();
    EXPECT_TRUE(work.ChangedSinceSnapshot());

    // A catalogue file replaced by another program while we hold it open.
    {
        TFileStorage f(path, Create);
        writeStream(f, QStringLiteral("S"), "s");
    }
    TFileStorage f(path, Read);
    EXPECT_FALSE(f.ChangedSinceSnapshot());
    const QString other = dir.file(QStringLiteral("other.vld"));
    {
        TFileStorage o(other, Create);
        writeStream(o, QStringLiteral("S"), "s");
    }
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(QFile::rename(other, path));
    EXPECT_TRUE(f.ChangedSinceSnapshot());
}
