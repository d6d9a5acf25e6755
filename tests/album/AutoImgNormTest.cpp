// Batch correction over real album documents: the album list collects the photos with a
// picture (covers left out on request) and writes changed corrections back into their
// sheets; the list of given photos changes them in place; the dialog shows three photos
// at a time, offers only the methods a photo allows and asks once per "一括設定" run.
#include "album/AINPicList.h"
#include "album/AutoImgNormDialog.h"
#include "album/LabelData.h"
#include "drawing/DOList.h"
#include "imaging/codecs/Jpeg.h"
#include "imaging/filters/ColorCorrection.h"
#include "imaging/picture/Graphic.h"
#include "imaging/picture/JpegImage.h"
#include "imaging/picture/SafetyBitmap.h"
#include "imaging/picture/TemporaryPicture.h"
#include "objects/AINObjectList.h"
#include "objects/AlbumPhoto.h"
#include "objects/LOWizardText.h"
#include "paper/MatrixPaperInfo.h"
#include "platform/Exception.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QToolButton>

namespace {

// The colour-matching engine as a double: it finds Exif Print data (and colour-matching
// data when asked to) in every JPEG and "corrects" into a red picture.
struct FakeCorrector : IPhotoCorrector {
    bool IsAvailable(bool) override { return true; }
    bool SavePictureToTemp(const TPictureEx& picture) override { return picture.IsJpeg(); }
    int InspectSource() override { return flags; }
    bool CorrectSource(TPictureEx& destination, bool, bool) override {
        QImage red(4, 4, QImage::Format_BGR888);
        red.fill(Qt::red);
        destination.SetGraphic(std::make_unique<TSafetyBitmap>(red));
        return true;
    }
    bool PrintActive() override { return false; }
    static inline int flags = pcExifPrint;
};

// Installs the double for one test.
struct CorrectorScope {
    explicit CorrectorScope(int flags) {
        FakeCorrector::flags = flags;
        SetPhotoCorrectorFactory([] { return std::make_unique<FakeCorrector>(); });
    }
    ~CorrectorScope() { SetPhotoCorrectorFactory(nullptr); }
};

std::unique_ptr<TMatrixPaperInfo> paper() {
    auto p = std::make_unique<TMatrixPaperInfo>();
    p->SetPortraitSize(1000, 1480);
    p->SetPaperName(QStringLiteral("test"));
    p->FaceWidth = 1000;
    p->FaceHeight = 1480;
    p->FaceCountX = 1;
    p->FaceCountY = 1;
    return p;
}

void putJpeg(TPictureEx& picture, int width) {
    QImage image(width, 8, QImage::Format_RGB32);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < width; ++x) image.setPixel(x, y, qRgb(x * 15, y * 30, 60 + x));
    auto graphic = std::make_unique<TSafetyJPEGImage>();
    graphic->SetBytes(codecs::EncodeJpeg(image));
    picture.SetGraphic(std::move(graphic));
}

// A photo frame; with a picture of `width` x 8 pixels unless `width` is 0.
std::unique_ptr<TLOAlbumPhoto> photo(int width, int top) {
    auto p = std::make_unique<TLOAlbumPhoto>();
    p->SetLogBounds({100, top, 400, top + 200});
    if (width > 0) {
        TPictureEx picture;
        putJpeg(picture, width);
        p->PhotoImageObj()->SetPicture(&picture);
    }
    return p;
}

// Stores `objects` (front-most first) as face 0 of `sheet`.
void putFace(TLabelData& d, int sheet, std::vector<std::unique_ptr<TDrawObject>> objects) {
    d.SelectSheet(sheet);
    d.SetSheetPaper(*paper());
    TDOList list;
    for (auto& o : objects) list.AddOwned(std::move(o));
    d.SaveFaceObjects(0, list);
    list.FreeAll();
}

template <class... T>
std::vector<std::unique_ptr<TDrawObject>> objects(std::unique_ptr<T>... o) {
    std::vector<std::unique_ptr<TDrawObject>> out;
    (out.push_back(std::move(o)), ...);
    return out;
}

// Four sheets: the front cover with a 20-pixel photo, an empty back cover, page 2 with
// photos of 8 and 12 pixels around an empty frame and a text, page 3 with a 14-pixel photo
// using the own normalisation. The 12-pixel photo has its contrast raised by hand.
void buildAlbum(TLabelData& d) {
    d.AddSheet(QStringLiteral("p3"));
    putFace(d, 0, objects(photo(20, 100)));
    auto adjusted = photo(12, 700);
    adjusted->PhotoImageObj()->LightFilter()->SetContrast(20);
    auto text = std::make_unique<TLOWizardText>();
    text->Text()->SetText(QStringLiteral("caption"));
    text->SetLogBounds({100, 1000, 600, 1100});
    // Front-most first: stored positions (back-most first) are 8 px, empty, 12 px, text.
    putFace(d, 2, objects(std::move(text), std::move(adjusted), photo(0, 400), photo(8, 100)));
    auto normalised = photo(14, 100);
    normalised->NormalizeFilter()->SetFilterNo(1);
    putFace(d, 3, objects(std::move(normalised)));
    d.SelectSheet(3);
}

// The album photos of face 0 of `sheet`, back-most first; `list` owns them.
std::vector<TLOAlbumPhoto*> photosOf(TLabelData& d, int sheet, TDOList& list) {
    d.SelectSheet(sheet);
    d.LoadFaceObjects(0, list);
    std::vector<TLOAlbumPhoto*> out;
    for (TDrawObject* o : list)
        if (auto* p = dynamic_cast<TLOAlbumPhoto*>(o)) out.push_back(p);
    return out;
}

int spilledFiles() {
    return int(
        QDir(TemporaryPictureFolder()).entryList({QStringLiteral("vlw*")}, QDir::Files).size());
}

}  // namespace

TEST(BatchCorrection, AlbumListCollectsPhotosWithPictures) {
    TLabelData d;
    buildAlbum(d);
    const int filesBefore = spilledFiles();
    {
        TAINPicList all(d, false);
        EXPECT_EQ(d.CurrentSheet(), 3);
        ASSERT_EQ(all.Count(), 4);
        EXPECT_EQ(spilledFiles(), filesBefore + 4);  // one temporary copy per photo
        std::vector<int> sheets, positions, widths;
        for (int i = 0; i < all.Count(); ++i) {
            sheets.push_back(all.Sheet(i));
            positions.push_back(all.Position(i));
            widths.push_back(all.SourcePicture(i)->Width());
        }
        EXPECT_EQ(sheets, (std::vector<int>{0, 2, 2, 3}));
        EXPECT_EQ(positions, (std::vector<int>{0, 0, 2, 0}));
        EXPECT_EQ(widths, (std::vector<int>{20, 8, 12, 14}));
        EXPECT_TRUE(all.SourcePicture(1)->IsJpeg());
        EXPECT_EQ(all.CurrentMethod(3), 1);
        EXPECT_EQ(all.PictureHolder(2)->LightFilter()->Contrast(), 20);
        EXPECT_FALSE(all.IsChanged(2));
        // The display picture carries the hand adjustment, the source does not.
        EXPECT_NE(all.DisplayPicture(2)->Graphic()->ToImage(),
                  all.SourcePicture(2)->Graphic()->ToImage().convertToFormat(
                      all.DisplayPicture(2)->Graphic()->ToImage().format()));
        EXPECT_THROW(all.SourcePicture(4), Exception);

        TAINPicList pages(d, true);
        ASSERT_EQ(pages.Count(), 3);
        EXPECT_EQ(pages.Sheet(0), 2);
        EXPECT_EQ(pages.SourcePicture(0)->Width(), 8);
    }
    EXPECT_EQ(spilledFiles(), filesBefore);  // removed with the lists

    int asked = 0;
    TAINPicList stopped(d, false, [&] { return ++asked == 1; });
    EXPECT_TRUE(stopped.Stopped());
    EXPECT_EQ(stopped.Count(), 1);  // the front cover only
    EXPECT_EQ(d.CurrentSheet(), 3);
}

TEST(BatchCorrection, WritingBackStoresCorrectionsInTheirSheets) {
    CorrectorScope corrector(pcExifPrint);
    TempDir dir;
    const QString file = dir.file(QStringLiteral("album.vlm"));
    {
        TLabelData d;
        buildAlbum(d);
        d.SelectSheet(2);
        TAINPicList list(d, true);
        EXPECT_FALSE(list.WriteBack());  // nothing changed yet
        TAutoImgNormModel model(list);
        model.Ask = [](const QString&) { return true; };
        model.ChooseAll(2);
        model.Apply();
        EXPECT_TRUE(list.IsChanged(0) && list.IsChanged(1) && list.IsChanged(2));
        EXPECT_EQ(list.PictureHolder(1)->LightFilter()->Contrast(), 0);
        d.SetModified(false);
        EXPECT_TRUE(list.WriteBack());
        EXPECT_TRUE(d.Modified());
        EXPECT_EQ(d.CurrentSheet(), 2);
        EXPECT_FALSE(list.IsChanged(1));
        EXPECT_FALSE(list.WriteBack());  // written once
        list.ApplyMethod(2, 0);          // only page 3 changes now
        EXPECT_TRUE(list.WriteBack());
        d.SaveToFile(file);
    }
    TLabelData d;
    d.LoadFromFile(file);
    TDOList cover, page2, page3;
    const auto coverPhotos = photosOf(d, 0, cover);
    const auto page2Photos = photosOf(d, 2, page2);
    const auto page3Photos = photosOf(d, 3, page3);
    ASSERT_EQ(coverPhotos.size(), 1u);
    ASSERT_EQ(page2Photos.size(), 3u);
    ASSERT_EQ(page3Photos.size(), 1u);
    EXPECT_EQ(coverPhotos[0]->NormalizeFilter()->FilterNo(), 0);  // covers were left out
    EXPECT_EQ(page2Photos[0]->NormalizeFilter()->FilterNo(), 2);
    EXPECT_TRUE(page2Photos[0]->NormalizeFilter()->Exif().Enabled());
    EXPECT_EQ(page2Photos[1]->NormalizeFilter()->FilterNo(), 0);  // the empty frame
    EXPECT_TRUE(page2Photos[1]->IsEmptyFrame());
    EXPECT_EQ(page2Photos[2]->NormalizeFilter()->FilterNo(), 2);
    EXPECT_EQ(page2Photos[2]->PhotoImageObj()->LightFilter()->Contrast(), 0);
    EXPECT_EQ(page2Photos[2]->PhotoImageObj()->Picture()->Width(), 12);
    EXPECT_EQ(page3Photos[0]->NormalizeFilter()->FilterNo(), 0);
    EXPECT_EQ(page2.Count(), 4);  // the text stayed
    cover.FreeAll();
    page2.FreeAll();
    page3.FreeAll();
}

TEST(BatchCorrection, GivenPhotosChangeInPlace) {
    TLOAlbumPhoto empty;
    auto a = photo(8, 100);
    auto b = photo(10, 400);
    b->PhotoImageObj()->BlurFilter()->SetBlurCount(2);
    TAINObjectList list({a.get(), &empty, b.get()});
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Photo(1), b.get());
    EXPECT_EQ(list.SourcePicture(1), b->PhotoImageObj()->Picture());
    EXPECT_EQ(list.PictureHolder(1), b->PhotoImageObj());
    TPictureEx shown;
    b->CorrectedPhoto(shown, false, false);
    EXPECT_EQ(list.DisplayPicture(1)->Graphic()->ToImage(), shown.Graphic()->ToImage());
    list.ApplyMethod(0, 1);
    EXPECT_EQ(a->NormalizeFilter()->FilterNo(), 1);
    EXPECT_EQ(list.CurrentMethod(0), 1);
    EXPECT_THROW(list.Photo(2), Exception);

    CorrectorScope corrector(pcExifPrint | pcColourMatching);
    TAutoImgNormModel model(list);
    model.Ask = [](const QString&) { return true; };
    EXPECT_TRUE(model.Choose(1, 3));
    model.Apply();
    EXPECT_EQ(b->NormalizeFilter()->FilterNo(), 3);
    EXPECT_EQ(b->PhotoImageObj()->BlurFilter()->BlurCount(), 0);
}

TEST(BatchCorrection, DialogShowsThreePhotosAndOfferedMethods) {
    CorrectorScope corrector(pcExifPrint);
    std::vector<std::unique_ptr<TLOAlbumPhoto>> owned;
    std::vector<TLOAlbumPhoto*> photos;
    for (int i = 0; i < 5; ++i) {
        owned.push_back(photo(8 + i, 100));
        photos.push_back(owned.back().get());
    }
    owned[1]->PhotoImageObj()->LightFilter()->SetBrightness(30);
    owned[4]->PhotoImageObj()->MonotoneFilter()->SetRefColor(0x808080);
    photos.push_back(nullptr);
    TAINObjectList list(photos);
    TfrmAutoImgNorm dialog(list);
    QStringList questions;
    bool yes = true;
    dialog.Model().Ask = [&](const QString& q) {
        questions << q;
        return yes;
    };
    dialog.show();

    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("イメージの自動調整"));
    auto* scroll = dialog.findChild<QScrollBar*>(QStringLiteral("scroll"));
    ASSERT_TRUE(scroll);
    EXPECT_EQ(scroll->maximum(), 2);
    EXPECT_EQ(dialog.findChildren<QToolButton*>().size(), TfrmAutoImgNorm::kRows);
    for (int r = 0; r < TfrmAutoImgNorm::kRows; ++r) EXPECT_EQ(dialog.RowPhoto(r), r);

    auto* button = dialog.findChild<QToolButton*>(QStringLiteral("method0"));
    ASSERT_TRUE(button && button->menu());
    const QList<QAction*> methods = button->menu()->actions();
    ASSERT_EQ(methods.size(), 4);
    EXPECT_EQ(methods[2]->text(), QStringLiteral("ExifPrint補整"));
    std::vector<bool> enabled;
    for (QAction* a : methods) enabled.push_back(a->isEnabled());
    EXPECT_EQ(enabled, (std::vector<bool>{true, true, true, false}));
    methods[3]->trigger();  // not offered: nothing changes
    EXPECT_EQ(dialog.Model().Chosen(0), 0);
    methods[1]->trigger();
    EXPECT_EQ(dialog.Model().Chosen(0), 1);
    EXPECT_EQ(dialog.findChild<QLabel*>(QStringLiteral("methodLabel0"))->text(),
              QStringLiteral("Vellumo補整"));

    auto* original = dialog.findChild<QLabel*>(QStringLiteral("original1"));
    auto* corrected = dialog.findChild<QLabel*>(QStringLiteral("corrected1"));
    EXPECT_EQ(original->pixmap().toImage(), corrected->pixmap().toImage());  // not corrected

    auto* setAll = dialog.findChild<QPushButton*>(QStringLiteral("setAll"));
    ASSERT_TRUE(setAll && setAll->menu());
    QStringList entries;
    for (QAction* a : setAll->menu()->actions()) entries << a->text();
    EXPECT_EQ(entries, (QStringList{"すべてKivrana", "すべてExifPrint補整", "すべてVellumo補整",
                                    "すべて補整しない"}));
    setAll->menu()->actions()[1]->trigger();
    ASSERT_EQ(questions.size(), 1);  // one question for both adjusted photos
    EXPECT_TRUE(questions[0].startsWith(QStringLiteral("色調補正されている写真では")));
    EXPECT_TRUE(questions[0].contains(QStringLiteral("「ExifPrint」")));
    for (int i = 0; i < 5; ++i) EXPECT_EQ(dialog.Model().Chosen(i), 2);
    EXPECT_EQ(dialog.findChild<QLabel*>(QStringLiteral("methodLabel1"))->text(),
              QStringLiteral("ExifPrint補整"));
    EXPECT_NE(original->pixmap().toImage(), corrected->pixmap().toImage());

    setAll->menu()->actions()[0]->trigger();  // colour matching is offered for none
    EXPECT_EQ(questions.size(), 1);
    EXPECT_EQ(dialog.Model().Chosen(3), 2);

    yes = false;
    setAll->menu()->actions()[3]->trigger();  // no question for "none"
    setAll->menu()->actions()[1]->trigger();  // a new run asks again; No leaves them
    EXPECT_EQ(questions.size(), 2);
    EXPECT_EQ(dialog.Model().Chosen(0), 2);
    EXPECT_EQ(dialog.Model().Chosen(1), 0);

    dialog.SetTopIndex(1);
    EXPECT_EQ(dialog.RowPhoto(0), 1);
    EXPECT_EQ(dialog.findChild<QLabel*>(QStringLiteral("methodLabel0"))->text(),
              QStringLiteral("補整しない"));
    dialog.SetTopIndex(9);  // the last three
    EXPECT_EQ(dialog.TopIndex(), 2);
    EXPECT_EQ(dialog.RowPhoto(2), 4);
    EXPECT_EQ(dialog.RowPhoto(3), -1);

    {
        TAINObjectList two({owned[0].get(), owned[1].get()});
        TfrmAutoImgNorm small(two);
        EXPECT_EQ(small.RowPhoto(1), 1);
        EXPECT_EQ(small.RowPhoto(2), -1);
        EXPECT_FALSE(small.findChild<QToolButton*>(QStringLiteral("method2"))->isEnabled());
        EXPECT_TRUE(small.findChild<QLabel*>(QStringLiteral("original2"))->isHidden());
        EXPECT_FALSE(small.findChild<QLabel*>(QStringLiteral("original1"))->isHidden());
    }

    dialog.findChild<QPushButton*>(QStringLiteral("ok"))->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.findChild<QProgressBar*>(QStringLiteral("progress"))->value(), 10000);
    EXPECT_EQ(owned[0]->NormalizeFilter()->FilterNo(), 2);
    EXPECT_EQ(owned[1]->NormalizeFilter()->FilterNo(), 0);
    EXPECT_EQ(owned[1]->PhotoImageObj()->LightFilter()->Brightness(), 30);  // kept
    EXPECT_EQ(owned[4]->NormalizeFilter()->FilterNo(), 0);
}
