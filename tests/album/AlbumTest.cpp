// The album document on real working storages and files: sheets, faces, previews, saving
// and opening, and the damaged records a file may bring.
#include "album/ImportFromAlbum.h"
#include "album/KeptData.h"
#include "album/LabelData.h"
#include "album/PageLimits.h"
#include "album/PreviewReader.h"
#include "document/ProductInfo.h"
#include "document/storage/DocStream.h"
#include "document/storage/StorageMode.h"
#include "document/storage/TemporaryStorage.h"
#include "document/stream/ComponentStream.h"
#include "document/stream/Stream.h"
#include "document/stream/StreamText.h"
#include "drawing/DOList.h"
#include "imaging/codecs/Container.h"
#include "imaging/picture/Graphic.h"
#include "imaging/picture/SafetyBitmap.h"
#include "imaging/picture/StreamBytes.h"
#include "objects/AlbumPhoto.h"
#include "objects/BackImage.h"
#include "objects/LODate.h"
#include "objects/LOWizardText.h"
#include "paper/ExtraPaperInfo.h"
#include "paper/ImagePaperInfo.h"
#include "paper/MatrixPaperInfo.h"
#include "platform/Exception.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <sys/file.h>
#include <QFile>

namespace {

// A paper of `faces` by 1 faces, 1000 by 1480 units.
std::unique_ptr<TMatrixPaperInfo> paper(int faces, const QString& name = QStringLiteral("test"),
                                        const QString& group = QString()) {
    auto p = std::make_unique<TMatrixPaperInfo>();
    p->SetPortraitSize(1000, 1480);
    p->SetPaperName(name);
    p->SetGroupName(group);
    p->FaceWidth = 1000 / faces;
    p->FaceHeight = 1480;
    p->FaceCountX = faces;
    p->FaceCountY = 1;
    return p;
}

TLOWizardText* addText(TDOList& list, const QString& text, TRect bounds) {
    auto o = std::make_unique<TLOWizardText>();
    o->Text()->SetText(text);
    o->SetLogBounds(bounds);
    TLOWizardText* raw = o.get();
    list.AddOwned(std::move(o));
    return raw;
}

QStringList texts(const TDOList& list) {
    QStringList out;
    for (TDrawObject* o : list)
        if (auto* t = dynamic_cast<TLOText*>(o)) out << t->Text()->Text().trimmed();
    return out;
}

QByteArray faceStream(TLabelData& d, int sheet, int face) {
    TDocStream s(d.Storage(), storagemode::Read,
                 d.SheetPath(sheet) + QStringLiteral("\\NameList%1").arg(face));
    return picturebytes::ReadRest(s);
}

}  // namespace

TEST(AlbumDocument, NewDocumentAndSelectingSheets) {
    TLabelData d;
    EXPECT_EQ(d.SheetCount(), 3);
    EXPECT_EQ(d.CurrentSheet(), 0);
    EXPECT_TRUE(d.SeparatelyDesign);
    EXPECT_FALSE(d.Modified());
    d.SetSheetName(QStringLiteral("front"));
    d.SetModified(false);
    d.SelectSheet(2);
    d.SelectSheet(2);
    d.SelectSheet(0);
    EXPECT_FALSE(d.Modified());
    EXPECT_EQ(d.SheetName(), QStringLiteral("front"));
    EXPECT_THROW(d.SelectSheet(3), Exception);
}

TEST(AlbumDocument, FacesKeepPaintingOrderAndDropBlankBackgrounds) {
    TLabelData d;
    d.SelectSheet(2);
    d.SetSheetPaper(*paper(1));
    TDOList list;  // front-most first
    for (const char* t : {"A", "B", "C"})
        addText(list, QString::fromLatin1(t), {100, 100, 500, 300});
    d.SaveFaceObjects(0, list);
    list.FreeAll();
    d.LoadFaceObjects(0, list);
    EXPECT_EQ(texts(list), (QStringList{"C", "B", "A"}));
    list.FreeAll();

    auto blank = std::make_unique<TLOBackImage>();
    blank->FillColor()->SetKind(cskSolid);
    blank->FillColor()->SetColor(clWhite);
    list.AddOwned(std::move(blank));
    d.SaveFaceObjects(0, list);
    list.FreeAll();
    EXPECT_TRUE(faceStream(d, 2, 0).isEmpty());
    EXPECT_FALSE(d.HasFaceObjects(0));
    d.LoadFaceObjects(0, list);
    EXPECT_TRUE(list.IsEmpty());
}

TEST(AlbumDocument, PhotoCorrectionsDecideColourMatchingAndPreviewsHideEmptyFrames) {
    TLabelData d;
    d.SelectSheet(2);
    d.SetSheetPaper(*paper(1));
    TDOList list;
    auto owned = std::make_unique<TLOAlbumPhoto>();
    TLOAlbumPhoto* photo = owned.get();
    photo->SetLogBounds({100, 100, 900, 900});
    list.AddOwned(std::move(owned));
    photo->NormalizeFilter()->SetFilterNo(3);
    d.SaveFaceObjects(0, list);  // an empty frame that would be colour matched
    EXPECT_TRUE(d.HasKVR);
    // The preview shows the page as it prints: no grey placeholder where the frame is.
    auto preview = d.GetPreview(0);
    ASSERT_TRUE(preview);
    QImage image = preview->ToImage();
    const QPoint centre(image.width() * 500 / 1000, image.height() * 500 / 1480);
    EXPECT_EQ(image.pixel(centre) & 0xFFFFFF, 0xFFFFFFu);

    QImage red(40, 40, QImage::Format_RGB32);
    red.fill(Qt::red);
    TPictureEx picture;
    picture.SetGraphic(std::make_unique<TSafetyBitmap>(red));
    photo->PhotoImageObj()->SetPicture(&picture);
    photo->NormalizeFilter()->SetFilterNo(1);
    d.SaveFaceObjects(0, list);
    EXPECT_FALSE(d.HasKVR);
    addText(list, QStringLiteral("見出し"), {100, 700, 900, 1000});  // over the photo
    d.SaveFaceObjects(0, list);
    image = d.GetPreview(0)->ToImage();
    EXPECT_GT(qRed(image.pixel(centre)), 200);
    EXPECT_LT(qGreen(image.pixel(centre)), 60);
    // Saving renders the preview from copies of the objects; reading the stream back gives
    // the same picture.
    d.ClearPreview(0);
    EXPECT_EQ(d.GetPreview(0)->ToImage(), image);
    // A paper without height gets no preview instead of a division by zero.
    auto flat = paper(1);
    flat->SetPortraitSize(1000, 0);
    flat->FaceHeight = 0;
    d.SetSheetPaper(*flat);
    d.SaveFaceObjects(0, list);
    EXPECT_FALSE(d.GetPreview(0));
    list.FreeAll();
}

TEST(AlbumDocument, SavingWaitsForNoWriterAndKeepsTheTarget) {
    TempDir dir;
    const QString file = dir.file("album.vld");
    TLabelData d;
    d.SaveToFile(file);
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray before = f.readAll();
    // Another program writing the file holds an exclusive lock on it.
    ASSERT_EQ(::flock(f.handle(), LOCK_EX | LOCK_NB), 0);
    d.DataName = QStringLiteral("changed");
    EXPECT_THROW(d.SaveToFile(file), Exception);
    ::flock(f.handle(), LOCK_UN);
    f.seek(0);
    EXPECT_EQ(f.readAll(), before);
    d.SaveToFile(file);
    TLabelData back;
    back.LoadFromFile(file);
    EXPECT_EQ(back.DataName, QStringLiteral("changed"));
}

TEST(AlbumDocument, SharedDesignUsesFaceZeroAndFaceIndicesAreBounded) {
    TLabelData d;
    d.SelectSheet(2);
    d.SetSheetPaper(*paper(4));
    d.SeparatelyDesign = false;
    TDOList list;
    addText(list, QStringLiteral("shared"), {10, 100, 200, 300});
    d.SaveFaceObjects(3, list);
    list.FreeAll();
    EXPECT_EQ(d.FaceStreamCount(), 1);
    d.LoadFaceObjects(2, list);
    EXPECT_EQ(texts(list), QStringList{"shared"});
    list.FreeAll();
    EXPECT_THROW(d.LoadFaceObjects(4, list), Exception);

    // A paper with fewer faces destroys the face streams it drops.
    d.SeparatelyDesign = true;
    addText(list, QStringLiteral("third"), {10, 100, 200, 300});
    d.SaveFaceObjects(2, list);
    list.FreeAll();
    d.SetSheetPaper(*paper(1));
    EXPECT_EQ(d.FaceStreamCount(), 1);
    EXPECT_FALSE(d.Storage().StreamExists(d.SheetPath(2) + QStringLiteral("\\NameList2")));
}

TEST(AlbumDocument, LoadingRefreshesDatesAndPullsObjectsInside) {
    TLabelData d;
    d.SelectSheet(2);
    d.SetSheetPaper(*paper(1));
    d.LastSave = 40000.25;
    TDOList list;
    auto saved = std::make_unique<TLODate>();
    saved->SetUpdateFlag(dufSave);
    saved->SetLogBounds({400, 600, 600, 700});
    auto fixed = std::make_unique<TLODate>();
    fixed->SetDate(30000);
    fixed->SetLogBounds({400, 600, 600, 700});
    list.AddOwned(std::move(saved));
    list.AddOwned(std::move(fixed));
    addText(list, QStringLiteral("edge"), {-95, 600, 105, 700});  // centre 5 right of the edge
    d.SaveFaceObjects(0, list);
    list.FreeAll();
    d.LoadFaceObjects(0, list);
    ASSERT_EQ(list.Count(), 3);
    EXPECT_EQ(dynamic_cast<TLOText*>(list[0])->GetBounds().Left, -90);
    EXPECT_EQ(dynamic_cast<TLODate*>(list[1])->Date(), 30000);
    EXPECT_EQ(dynamic_cast<TLODate*>(list[1])->GetBounds(), TRect(400, 600, 600, 700));
    EXPECT_EQ(dynamic_cast<TLODate*>(list[2])->Date(), 40000.25);
    list.FreeAll();
}

TEST(AlbumDocument, DeletingSheets) {
    TLabelData d;
    d.AddSheet(QStringLiteral("p2"));  // sheet 3, current
    d.SelectSheet(2);
    d.SetSheetName(QStringLiteral("page one"));  // only in memory yet
    d.DeleteSheet(3);
    EXPECT_EQ(d.CurrentSheet(), 2);
    EXPECT_EQ(d.SheetName(), QStringLiteral("page one"));
    d.DeleteSheet(0);  // the sheet before: the current one moves down with its records
    EXPECT_EQ(d.CurrentSheet(), 1);
    EXPECT_EQ(d.SheetName(), QStringLiteral("page one"));
    d.SelectSheet(0);
    d.SelectSheet(1);
    EXPECT_EQ(d.SheetName(), QStringLiteral("page one"));
    d.DeleteSheet(1);  // the last while current: the new last one
    EXPECT_EQ(d.CurrentSheet(), 0);
    EXPECT_EQ(d.SheetCount(), 1);
}

TEST(AlbumDocument, PageLimitOfSpreadPapers) {
    TLabelData d;
    d.SelectSheet(2);
    d.SetSheetPaper(
        *paper(1, QStringLiteral("A3 見開 写真4枚"), QStringLiteral("フォトアルバム用紙")));
    for (int i = 0; i < 5; ++i) AddPage(d);
    EXPECT_EQ(d.SheetCount(), 8);
    try {
        AddPage(d);
        FAIL() << "a seventh page was added";
    } catch (const Exception& e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("6ページ"))) << e.message().toStdString();
    }
    EXPECT_EQ(d.SheetCount(), 8);
    EXPECT_EQ(PageLimit(*paper(1, QStringLiteral("A4 表紙"), QStringLiteral("フォトアルバム用紙"))),
              1);
    EXPECT_EQ(PageLimit(*paper(1)), 0);
}

TEST(AlbumDocument, SaveAndOpen) {
    TempDir dir;
    const QString file = dir.file("album.vld");
    const QByteArray kept = streamtree::writeDocument(streamtree::parseDocument(QStringLiteral(
        "list 1\nobject TLORect\n  Left = 50\n  Pen.Color = clRed\n  Items = <\n    item\n"
        "      A = 1\n    end>\n  Data = {0102}\nend\n")));
    {
        TLabelData d;
        d.DataName = QStringLiteral("旅行");
        d.FaceSides = fsBoth;
        auto& creator = dynamic_cast<TProductInfo&>(d.CreatorInfoJ());
        ASSERT_GT(creator.Items().Count(), 0);
        creator.Items().Items(0)->Info().Assign(QStringList{QStringLiteral("山田")});
        d.SelectSheet(2);
        d.SetSheetPaper(*paper(2));
        TDOList list;
        TMemoryStream in(kept);
        list.LoadFromStream(in);
        addText(list, QStringLiteral("title"), {100, 100, 400, 300});
        d.SaveFaceObjects(1, list);
        list.FreeAll();
        EXPECT_FALSE(codecs::HasContainerSignature(faceStream(d, 2, 1)));
        // A second page: faces are compressed in batches and each goes back to its sheet.
        d.AddSheet();
        d.SelectSheet(3);
        addText(list, QStringLiteral("second page"), {100, 100, 400, 300});
        d.SaveFaceObjects(0, list);
        list.FreeAll();
        const QByteArray pages[2] = {faceStream(d, 2, 1), faceStream(d, 3, 0)};
        ASSERT_NE(pages[0], pages[1]);
        d.SelectSheet(2);
        d.SaveToFile(file);
        EXPECT_FALSE(d.Modified());
        EXPECT_EQ(d.CurrentSheet(), 2);
        EXPECT_TRUE(codecs::HasContainerSignature(faceStream(d, 2, 1)));
        EXPECT_EQ(codecs::Decompress(faceStream(d, 2, 1)), pages[0]);
        EXPECT_EQ(codecs::Decompress(faceStream(d, 3, 0)), pages[1]);
        for (int s = 0; s < 3; ++s)
            EXPECT_TRUE(d.Storage().StreamExists(d.SheetPath(s) + QStringLiteral("\\Preview0")));
    }
    const auto preview = ReadFilePreview(file, 2, 1);
    ASSERT_TRUE(preview);
    EXPECT_EQ(preview->Height(), 360);
    EXPECT_EQ(preview->Width(), 243);           // 500 x 1480 units
    EXPECT_FALSE(ReadFilePreview(file, 0, 0));  // an empty face has an empty preview
    EXPECT_FALSE(ReadFilePreview(file, 5, 0));

    TLabelData d;
    d.LoadFromFile(file);
    EXPECT_EQ(d.DataName, QStringLiteral("旅行"));
    // The creator records come back with the product record.
    EXPECT_EQ(dynamic_cast<TProductInfo&>(d.CreatorInfoJ()).Items().Items(0)->Info().ToStringList(),
              QStringList{QStringLiteral("山田")});
    EXPECT_EQ(d.FaceSides, fsBoth);
    EXPECT_EQ(d.CurrentSheet(), 2);
    EXPECT_TRUE(d.IsBackSide(3));
    EXPECT_FALSE(d.IsBackSide(2));
    TDOList list;
    d.LoadFaceObjects(1, list);
    ASSERT_EQ(list.Count(), 2);
    // The object of a class kept as data goes back unchanged.
    TMemoryStream out;
    TDOList first;
    first.Add(list[1]);
    first.SaveToStream(out);
    EXPECT_EQ(out.Data(), kept);
    list.FreeAll();
}

TEST(AlbumDocument, DamagedFilesFailAndLeaveNothingBehind) {
    TempDir dir;
    const QString file = dir.file("album.vld");
    {
        TLabelData d;
        d.SelectSheet(2);
        TDOList list;
        addText(list, QStringLiteral("ページ"), {100, 100, 500, 300});
        d.SaveFaceObjects(0, list);
        list.FreeAll();
        d.SaveToFile(file);
    }
    const auto rewrite = [&](const QString& path, const QByteArray& bytes) {
        TLabelData d;
        d.LoadFromFile(file);
        {
            TDocStream s(d.Storage(), storagemode::Create, path);
            s.WriteBytes(bytes);
        }
        d.Storage().SaveTo(file);
    };
    // A current sheet beyond the sheets falls back to the first.
    TMemoryStream info;
    {
        TLabelData d;
        d.LoadFromFile(file);
        TDocStream s(d.Storage(), storagemode::Read, QStringLiteral("DataInfo"));
        info.WriteBytes(picturebytes::ReadRest(s));
    }
    QByteArray bytes = info.Data();
    const qsizetype at = bytes.indexOf("CurrentSheetNo");
    ASSERT_GT(at, 0);
    bytes[at + 15] = 99;  // Int8 value after the name
    rewrite(QStringLiteral("DataInfo"), bytes);
    {
        TLabelData d;
        d.LoadFromFile(file);
        EXPECT_EQ(d.CurrentSheet(), 0);
    }
    // A sheet paper of another class, and a face of another root class.
    TMemoryStream other;
    TLOWizardText text;
    WriteComponentResource(other, QStringLiteral("PaperInfo"), text);
    rewrite(QStringLiteral("Sheets\\NameList1\\PaperInfo"), other.Data());
    {
        TLabelData d;
        d.LoadFromFile(file);
        try {
            d.SelectSheet(1);
            FAIL();
        } catch (const Exception& e) {
            EXPECT_EQ(e.message(), QStringLiteral("無効なクラス型キャスト"));
        }
    }
    // A face whose root is not an object list.
    TMemoryStream notAList;
    WriteComponentResource(notAList, QStringLiteral("LabelData"), text);
    rewrite(QStringLiteral("Sheets\\NameList2\\NameList0"), notAList.Data());
    {
        TLabelData d;
        d.LoadFromFile(file);
        d.SelectSheet(2);
        TDOList list;
        EXPECT_THROW(d.LoadFaceObjects(0, list), Exception);
        EXPECT_TRUE(list.IsEmpty());
    }
    // A truncated file fails to open; the file itself is left as it was.
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray whole = f.readAll();
    f.close();
    const QString cut = dir.write("cut.vld", whole.left(whole.size() / 2));
    TLabelData d;
    EXPECT_THROW(d.LoadFromFile(cut), std::exception);
    QFile g(cut);
    ASSERT_TRUE(g.open(QIODevice::ReadOnly));
    EXPECT_EQ(g.readAll(), whole.left(whole.size() / 2));
}

TEST(AlbumDocument, SheetExtrasAndBackgroundPlacement) {
    TLabelData d;
    d.SelectSheet(2);
    d.SetSheetPaper(*paper(1, QStringLiteral("A4 写真4枚"), QStringLiteral("フォトアルバム用紙")));
    TExAlbumInfo album;
    album.SetPaperName(QStringLiteral("A4 写真4枚"));
    album.SetLeftMargin(100);
    d.SetAlbumExtra(&album);
    TImagePaperInfo image;
    image.SetPaperName(QStringLiteral("A4 写真4枚"));
    TImagePaperInfo::ObjectList design;
    auto mark = std::make_unique<TLOWizardText>();
    mark->Text()->SetText(QStringLiteral("design"));
    mark->SetLogBounds({0, 0, 300, 200});
    design.push_back(std::move(mark));
    image.SetFaceObjects(0, std::move(design));
    d.SetImageExtra(&image);
    EXPECT_EQ(d.BackgroundRect(), TRect(100, 0, 1000, 1480));
    d.FaceSides = fsBoth;
    d.SelectSheet(1);  // records saved
    d.SelectSheet(2);
    EXPECT_EQ(d.AlbumExtra().LeftMargin(), 100);
    ASSERT_EQ(d.ImageExtra().FaceListCount(), 1);
    EXPECT_EQ(d.ImageExtra().FaceObjects(0).size(), 1u);
    const QString sheet = d.SheetPath(2);
    EXPECT_TRUE(d.Storage().StorageExists(sheet + QStringLiteral("\\PaperImages")));
    d.AddSheet();  // sheet 3, a back side, with the same paper and extras
    EXPECT_EQ(d.BackgroundRect(), TRect(0, 0, 900, 1480));
    // The design is painted over the face in the preview even without face objects.
    const auto preview = d.GetPreview(0);
    ASSERT_TRUE(preview);
    d.SelectSheet(2);
    d.SetAlbumExtra(nullptr);
    d.SetImageExtra(nullptr);
    d.SelectSheet(0);
    EXPECT_FALSE(d.Storage().StreamExists(sheet + QStringLiteral("\\PaperExtraAlbum")));
    EXPECT_FALSE(d.Storage().StorageExists(sheet + QStringLiteral("\\PaperImages")));
}

TEST(AlbumDocument, ImportingAnAlbumGivesAPaperItsDesign) {
    TempDir dir;
    const QString file = dir.file("design.vld");
    {
        TLabelData d;
        d.SelectSheet(2);
        d.SetSheetPaper(*paper(3));
        TDOList list;
        addText(list, QStringLiteral("柄"), {100, 100, 300, 300});
        d.SaveFaceObjects(1, list);
        list.FreeAll();
        d.SaveToFile(file);
    }
    TImagePaperInfo extra;
    extra.SetFaceObjects(5, {});  // an older design goes
    ImportFromAlbum(extra, file);
    EXPECT_EQ(extra.LabelCount, 3);
    ASSERT_EQ(extra.FaceListCount(), 3);
    EXPECT_TRUE(extra.SeparatelyDesign);
    EXPECT_TRUE(extra.FaceObjects(0).empty());
    ASSERT_EQ(extra.FaceObjects(1).size(), 1u);
    const TDrawObject& o = *extra.FaceObjects(1)[0];
    EXPECT_EQ(o.LayerGroup(), -50);
    EXPECT_FALSE(o.Selectable());
    EXPECT_THROW(ImportFromAlbum(extra, dir.file("missing.vld")), Exception);
    EXPECT_EQ(extra.FaceListCount(), 3);  // a failed import keeps the design
}
