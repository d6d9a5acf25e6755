// Name lists: numbering, the stored form, loading and repair.
#include "document/storage/DocNameList.h"
#include "document/storage/StorageMode.h"
#include "document/storage/TemporaryStorage.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

using namespace storagemode;

namespace {

QByteArray listBytes(const TDocStorage& node, const QString& path) {
    return TDocStream(node, Read, path).ReadToEnd();
}

QByteArray stored(int next, const QByteArray& text) {
    QByteArray b(4, '\0');
    for (int i = 0; i < 4; ++i) b[i] = char((uint32_t(next) >> (8 * i)) & 0xFF);
    return b + text;
}

}  // namespace

TEST(DocNameList, NumbersAreNeverReusedAndEveryChangeIsStored) {
    TTemporaryStorage root;
    const QString listPath = QStringLiteral("Sheets\\NameList");
    {
        TDocStorageList list(root, listPath);
        EXPECT_EQ(list.Count(), 0);
        EXPECT_EQ(list.NextNumber(), 0);
        for (int i = 0; i < 3; ++i) {
            const int at = list.AddElement();
            TDocStream(root, Create, list.ElementPath(at) + QStringLiteral("\\Face"));
        }
        EXPECT_EQ(list.ElementPath(1), "\\Sheets\\NameList1");
        EXPECT_TRUE(list.ElementExists(1));
        list.Remove(1);
        EXPECT_FALSE(root.StorageExists(QStringLiteral("Sheets\\NameList1")));
        list.AddElement();
        EXPECT_EQ(list.ToStringList(), (QStringList{"NameList0", "NameList2", "NameList3"}));
        EXPECT_FALSE(list.ElementExists(2));  // added, not created
        EXPECT_FALSE(list.ElementExists(7));
        list.Move(2, 0);
    }
    EXPECT_EQ(listBytes(root, listPath), stored(4, "NameList3\r\nNameList0\r\nNameList2\r\n"));

    TDocStorageList again(root, listPath);
    EXPECT_EQ(again.ToStringList(), (QStringList{"NameList3", "NameList0", "NameList2"}));
    EXPECT_EQ(again.NextNumber(), 4);
    again.DeleteElement(1);  // the element goes, the entry stays
    EXPECT_FALSE(root.StorageExists(QStringLiteral("Sheets\\NameList0")));
    EXPECT_EQ(again.Count(), 3);
    auto face = again.OpenElementStream(0, Create);  // under a storage entry's name
    EXPECT_TRUE(again.ElementExists(0));
}

TEST(DocNameList, LoadsEmptyShortAndInconsistentStreams) {
    TTemporaryStorage root;
    // An empty list stream is an empty list counting from 0.
    TDocStream(root, Create, QStringLiteral("Empty"));
    {
        TDocStreamList list(root, QStringLiteral("Empty"));
        EXPECT_EQ(list.Count(), 0);
        EXPECT_EQ(list.NextNumber(), 0);
    }
    // Entries split at CR LF, LF or CR.
    { TDocStream(root, Create, QStringLiteral("L")).WriteBytes(stored(9, "L1\nL5\rL7\r\n")); }
    {
        TDocStreamList list(root, QStringLiteral("L"));
        EXPECT_EQ(list.ToStringList(), (QStringList{"L1", "L5", "L7"}));
        EXPECT_EQ(list.NextNumber(), 9);
    }
    // A next number that would hand out a taken name counts on from the highest entry.
    { TDocStream(root, Create, QStringLiteral("Bad")).WriteBytes(stored(1, "Bad0\r\nBad6\r\n")); }
    {
        TDocStreamList list(root, QStringLiteral("Bad"));
        EXPECT_EQ(list.NextNumber(), 7);
        EXPECT_EQ(list.Get(list.AddElement()), "Bad7");
    }
    // Fewer than four bytes cannot hold the next number.
    { TDocStream(root, Create, QStringLiteral("Short")).WriteBytes("ab"); }
    EXPECT_THROW(TDocStreamList(root, QStringLiteral("Short")), Exception);
}

TEST(DocNameList, OnAReadOnlyRootAMissingListRaises) {
    TempDir dir;
    const QString path = dir.file(QStringLiteral("c.ppr"));
    {
        TFileStorage f(path, Create);
        TDocStreamList list(f, QStringLiteral("Papers"));
        list.AddElement();
    }
    TFileStorage f(path, Read);
    EXPECT_THROW(TDocStreamList(f, QStringLiteral("Missing")), platform::cfb::CfbNotFound);
    TDocStreamList list(f, QStringLiteral("Papers"));
    EXPECT_EQ(list.ToStringList(), QStringList{"Papers0"});
    EXPECT_THROW(list.AddElement(), Exception);  // cannot be stored
}
