#include "document/ProductDB.h"
#include "document/ProductInfo.h"
#include "document/Strings.h"
#include "document/storage/DocNameList.h"
#include "document/storage/StorageMode.h"
#include "document/storage/TemporaryStorage.h"
#include "document/stream/ComponentStream.h"
#include "document/stream/StreamErrors.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>

namespace {

class Products : public ::testing::Test {
protected:
    Products() : tmp_("TMPDIR", dir.file("tmp")) { QDir().mkpath(dir.file("tmp")); }
    TempDir dir;

private:
    ScopedEnv tmp_;
};

// A database file whose list holds `records`.
void writeDatabase(const QString& file, std::vector<TProductInfo*> records) {
    TTemporaryStorage storage;
    {
        TDocStreamList list(storage, QStringLiteral("Infos\\NameList"));
        for (TProductInfo* r : records) {
            const auto s = list.OpenElementStream(list.AddElement(), storagemode::Create);
            WriteComponentResource(*s, QStringLiteral("ProductInfo"), *r);
        }
    }
    storage.SaveTo(file);
}

}  // namespace

TEST_F(Products, WithoutAFileTheDefaultsLiveInMemoryOnly) {
    TProductDB db;
    db.OpenProductDB(dir.file("none.cdb"));
    EXPECT_EQ(db.EntryCount(), 5);
    EXPECT_EQ(db.ProductCount(), 0);
    EXPECT_FALSE(db.Changed());
    db.Close();
    EXPECT_FALSE(QFile::exists(dir.file("none.cdb")));

    db.OpenProductDB(dir.file("none.cdb"));
    TProductInfo product, ja, en;
    const QByteArray ownGuid = product.GUID();
    db.FillNewDocument(product, ja, en);
    EXPECT_EQ(product.GUID(), ownGuid);  // no products: the document keeps its record
    EXPECT_EQ(product.FieldNames(), TProductInfo::ProductFieldNames());
    EXPECT_EQ(ja.FieldNames().size(), 11);
    EXPECT_EQ(ja.FieldNames(), TProductInfo::CreatorFieldNames());
    EXPECT_NE(ja.GUID(), en.GUID());
    EXPECT_THROW(db.ReadProduct(0, product), EListError);
}

TEST_F(Products, RecordsMatchByGuidAndShortDatabasesFallBack) {
    TProductInfo a, b;
    a.Items().Items(0)->Info().Add(QStringLiteral("題"));
    b.Assign(a);
    EXPECT_TRUE(b.SameRecord(a));
    b.Items().Items(0)->SetFieldName("other");
    b.Items().Items(0)->Info().Clear();
    EXPECT_TRUE(b.SameRecord(a));  // labels and values do not count

    TProductDB db;
    db.OpenProductDB(dir.file("none.cdb"));
    db.StoreRecord(a);
    EXPECT_EQ(db.ProductCount(), 1);
    db.StoreRecord(b);  // the same record: written over
    EXPECT_EQ(db.ProductCount(), 1);
    TProductInfo read;
    db.ReadProduct(0, read);
    EXPECT_EQ(read.GUID(), a.GUID());
    EXPECT_EQ(read.Items().Items(0)->FieldName(), "other");

    // One entry only: the Japanese creator comes from it, the rest stays default.
    TProductInfo creator;
    creator.MakeCreatorDefaults();
    creator.Items().Items(0)->Info().Add(QStringLiteral("社"));
    writeDatabase(dir.file("short.cdb"), {&creator});
    db.OpenProductDB(dir.file("short.cdb"));
    TProductInfo product, ja, en;
    const QByteArray enGuid = en.GUID();
    db.FillNewDocument(product, ja, en);
    EXPECT_EQ(ja.GUID(), creator.GUID());
    EXPECT_EQ(ja.Items().Items(0)->Info().Get(0), QStringLiteral("社"));
    EXPECT_EQ(en.GUID(), enGuid);
}

TEST_F(Products, CompletingKeepsValuesAndOwnFreeLabels) {
    TProductInfo p;
    p.Items().Items(0)->SetFieldName("Title");
    p.Items().Items(0)->Info().Add("v");
    p.Items().Items(7)->SetFieldName("Mine");
    p.Items().Items(8)->SetFieldName("");
    p.Items().Delete(9);
    p.CompleteAsProduct();
    ASSERT_EQ(p.Items().Count(), 10);
    EXPECT_EQ(p.Items().Items(0)->FieldName(), TProductInfo::ProductFieldNames()[0]);
    EXPECT_EQ(p.Items().Items(0)->Info().Get(0), "v");
    EXPECT_EQ(p.Items().Items(7)->FieldName(), "Mine");
    EXPECT_EQ(p.Items().Items(8)->FieldName(), TProductInfo::ProductFieldNames()[8]);
    EXPECT_EQ(p.Items().Items(9)->FieldName(), TProductInfo::ProductFieldNames()[9]);
}

TEST_F(Products, TheGuidIsSixteenRawBytes) {
    TProductInfo p;
    p.SetGUID(QByteArray::fromHex("00112233445566778899aabbccddeeff"));
    TMemoryStream s;
    WriteComponentStream(s, p);
    EXPECT_TRUE(s.Data().contains(QByteArray::fromHex("00112233445566778899aabbccddeeff")));
    s.Seek(0, SeekOrigin::Begin);
    TProductInfo back;
    ReadComponentStream(s, &back);
    EXPECT_EQ(back.GUID(), p.GUID());

    // A GUID of another length does not read.
    QByteArray bytes = s.Data();
    const qsizetype at = bytes.indexOf(QByteArray::fromHex("00112233"));
    ASSERT_GT(at, 4);
    bytes[at - 4] = 15;  // the Binary length
    bytes.remove(at, 1);
    TMemoryStream bad(bytes);
    TProductInfo refused;
    EXPECT_THROW(ReadComponentStream(bad, &refused), Exception);
    EXPECT_THROW(p.SetGUID(QByteArray(17, 'x')), EReadError);
}
