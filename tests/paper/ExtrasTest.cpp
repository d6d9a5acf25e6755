#include "document/Strings.h"
#include "document/storage/DocStream.h"
#include "document/storage/StorageMode.h"
#include "document/storage/TemporaryStorage.h"
#include "drawing/DOList.h"
#include "drawing/LORectBase.h"
#include "objects/ImageObjectClasses.h"
#include "paper/ExtraStores.h"
#include "paper/ImagePaperInfo.h"
#include "paper/MatrixPaperInfo.h"
#include "paper/PaperErrors.h"
#include "paper/PapersV2.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <QDir>

namespace {

std::unique_ptr<TDrawObject> image(int left) {
    std::unique_ptr<TDrawObject> o = NewImageObject(QStringLiteral("TLOImage"), nullptr);
    dynamic_cast<TLORectBase&>(*o).SetLogBounds({left, 10, left + 300, 210});
    return o;
}

TImagePaperInfo::ObjectList objects(std::initializer_list<int> lefts) {
    TImagePaperInfo::ObjectList list;
    for (int left : lefts) list.push_back(image(left));
    return list;
}

int leftOf(const TDrawObject& o) {
    return dynamic_cast<const TLORectBase&>(o).LogBounds().Left;
}

// An album extra as a store takes it.
struct album : TExAlbumInfo {
    album(const QString& paper, int margin) {
        SetPaperName(paper);
        SetLeftMargin(margin);
    }
};

QStringList streams(const TDocStorage& node) {
    TStringList names;
    node.ListStreams(names);
    QStringList out;
    for (int i = 0; i < names.Count(); ++i) out << names.Get(i);
    out.sort();
    return out;
}

std::unique_ptr<TMatrixPaperInfo> paper(const QString& name) {
    auto m = std::make_unique<TMatrixPaperInfo>();
    m->SetPaperName(name);
    m->SetPortraitSize(2100, 2970);
    m->FaceWidth = 500;
    m->FaceHeight = 300;
    return m;
}

}  // namespace

TEST(PaperExtras, StreamStoreNumbersAndDeletesEmptyExtras) {
    TTemporaryStorage root;
    auto node = std::make_unique<TDocStorage>(root, true, QStringLiteral("ExtraAlbumInfo"));
    const TDocStorage& view = *node;
    TExInfoBase store(QStringLiteral("ExtraAlbumInfo"));
    store.AttachStorage(std::move(node));
    store.StoreExtra(album("A", 10));
    store.StoreExtra(album("B", 20));
    store.StoreExtra(album("C", 30));
    store.DeleteExtra("B");
    store.StoreExtra(album("D", 40));
    EXPECT_EQ(streams(view), (QStringList{"$00000001", "$00000003", "$00000004"}));

    // Replacing takes a new number and the old stream goes.
    store.StoreExtra(album("A", 11));
    EXPECT_EQ(streams(view), (QStringList{"$00000003", "$00000004", "$00000005"}));
    auto a = store.LoadExtra("A");
    ASSERT_TRUE(a);
    EXPECT_EQ(static_cast<TExAlbumInfo&>(*a).LeftMargin(), 11);
    // A negative margin is ignored.
    static_cast<TExAlbumInfo&>(*a).SetLeftMargin(-5);
    EXPECT_EQ(static_cast<TExAlbumInfo&>(*a).LeftMargin(), 11);

    // An empty extra only deletes.
    store.StoreExtra(album("C", 0));
    EXPECT_EQ(streams(view), (QStringList{"$00000004", "$00000005"}));
    EXPECT_FALSE(store.LoadExtra("C"));
    EXPECT_EQ(store.ExtraCount(), 2);

    // A reattached store reads only as far as a search needs.
    TExInfoBase again(QStringLiteral("ExtraAlbumInfo"));
    again.AttachStorage(std::make_unique<TDocStorage>(root, false, "ExtraAlbumInfo"));
    const QString first = static_cast<TExtraPaperInfo&>(*again.LoadExtraAt(0)).PaperName();
    ASSERT_TRUE(again.LoadExtra(first));
    EXPECT_EQ(again.CachedCount(), 1);
    EXPECT_FALSE(again.LoadExtra("nothing"));
    EXPECT_EQ(again.CachedCount(), 2);
}

TEST(PaperExtras, DuplicateAndOverflowingStoresAreRefused) {
    TTemporaryStorage root;
    {
        TExInfoBase store(QStringLiteral("S"));
        store.AttachStorage(std::make_unique<TDocStorage>(root, true, "S"));
        store.StoreExtra(album("A", 1));
    }
    // A second stream for A, and a number that fills all eight digits.
    TDocStorage node(root, false, "S");
    node.MoveElement("$00000001", "$FFFFFFFF");
    {
        TExInfoBase store(QStringLiteral("S"));
        store.AttachStorage(std::make_unique<TDocStorage>(root, false, "S"));
        EXPECT_THROW(store.StoreExtra(album("A", 2)), EPaperError);
        EXPECT_EQ(static_cast<TExAlbumInfo&>(*store.LoadExtra("A")).LeftMargin(), 1);
        store.StoreExtra(album("A", 0));  // deleting needs no number
    }
    EXPECT_TRUE(streams(node).isEmpty());

    // Two streams of one paper: the second is refused when a search reaches it.
    {
        TExInfoBase store(QStringLiteral("S"));
        store.AttachStorage(std::make_unique<TDocStorage>(root, false, "S"));
        store.StoreExtra(album("A", 1));
    }
    QByteArray bytes = TDocStream(node, storagemode::Read, "$00000001").ReadToEnd();
    TDocStream(node, storagemode::Create, "$00000002").WriteBytes(bytes);
    TExInfoBase store(QStringLiteral("S"));
    store.AttachStorage(std::make_unique<TDocStorage>(root, false, "S"));
    EXPECT_TRUE(store.LoadExtra("A"));
    EXPECT_THROW(store.LoadExtra("Z"), EPaperError);
}

TEST(PaperExtras, ImageExtraFaceListsKeepTheirNumbers) {
    TTemporaryStorage root;
    TImagePaperInfo info;
    info.SetPaperName("P");
    EXPECT_TRUE(info.IsEmpty());
    info.SetFaceObjects(2, objects({300}));
    info.SetFaceObjects(0, objects({10, 20}));
    EXPECT_FALSE(info.IsEmpty());
    ASSERT_EQ(info.FaceListCount(), 3);

    TDocStorage sub(root, true, "X");
    info.SaveFaceLists(sub);
    EXPECT_EQ(streams(sub), (QStringList{"$00000001", "$00000002", "$00000003"}));

    TImagePaperInfo back;
    back.LoadFaceLists(sub);
    EXPECT_FALSE(back.SameAs(info));  // the names differ
    back.SetPaperName("P");
    EXPECT_TRUE(back.SameAs(info));
    // A lost first list leaves face 0 empty; the others stay where they were.
    sub.DeleteElement("$00000001");
    back.LoadFaceLists(sub);
    ASSERT_EQ(back.FaceListCount(), 3);
    EXPECT_TRUE(back.FaceObjects(0).empty());
    ASSERT_EQ(back.FaceObjects(2).size(), 1u);
    EXPECT_EQ(leftOf(*back.FaceObjects(2)[0]), 300);

    // Deep copies, and an empty list for a face without one.
    TDOList copy;
    info.CopyFaceObjects(0, copy);
    ASSERT_EQ(copy.Count(), 2);
    EXPECT_NE(copy[0], info.FaceObjects(0)[0].get());
    EXPECT_EQ(leftOf(*copy[1]), 20);
    info.CopyFaceObjects(7, copy);
    EXPECT_TRUE(copy.IsEmpty());

    sub.DeleteElement("$00000002");
    sub.MoveElement("$00000003", "junk");
    EXPECT_THROW(back.LoadFaceLists(sub), EPaperError);
}

class PapersV2Extras : public ::testing::Test {
protected:
    PapersV2Extras() : tmp_("TMPDIR", dir.file("tmp")) { QDir().mkpath(dir.file("tmp")); }
    QString file() const { return dir.file("papers.ppr"); }
    TempDir dir;

private:
    ScopedEnv tmp_;
};

TEST_F(PapersV2Extras, ExtrasLiveAndDieWithTheirPapers) {
    {
        TPapersV2 p;
        p.Open(file(), false);
        p.StorePaper(*paper("A"));
        p.StorePaper(*paper("B"));
        TExPaperInfo ex;
        ex.SetPaperName("A");
        ex.Company = QStringLiteral("会社");
        p.StorePaperExtra(TPapersV2::ExtraInfos, ex);
        TImagePaperInfo img;
        img.SetPaperName("A");
        img.SetFaceObjects(1, objects({5}));
        p.StorePaperExtra(TPapersV2::PaperImages, img);
        img.SetPaperName("B");
        p.StorePaperExtra(TPapersV2::PaperImages, img);
        p.StorePaperExtra(TPapersV2::ExtraAlbumInfo, album("B", 7));
        p.Close();
    }
    TPapersV2 p;
    p.Open(file(), false);
    auto img = p.LoadPaperExtra(TPapersV2::PaperImages, "A");
    ASSERT_TRUE(img);
    const auto& faces = static_cast<TImagePaperInfo&>(*img);
    ASSERT_EQ(faces.FaceListCount(), 2);
    EXPECT_EQ(leftOf(*faces.FaceObjects(1)[0]), 5);
    EXPECT_EQ(static_cast<TExPaperInfo&>(*p.LoadPaperExtra(TPapersV2::ExtraInfos, "A")).Company,
              QStringLiteral("会社"));
    EXPECT_FALSE(p.LoadPaperExtra(TPapersV2::ExtraInfos, ""));
    EXPECT_FALSE(p.LoadPaperExtra("Unknown", "A"));

    p.DeletePaper(p.IndexOfPaper("B"));
    EXPECT_FALSE(p.LoadPaperExtra(TPapersV2::PaperImages, "B"));
    EXPECT_FALSE(p.LoadPaperExtra(TPapersV2::ExtraAlbumInfo, "B"));
    EXPECT_EQ(p.ExtrasByName(TPapersV2::PaperImages)->ExtraCount(), 1);
    EXPECT_EQ(p.UpdateRecord().PPRNo, 0);
}
