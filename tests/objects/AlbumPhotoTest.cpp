// Album photos: stored form, orientation, crop and frame layout, shadow geometry, the
// date stamp (Exif dates, glyph placement, portrait photos) and print rendering.
#include "document/stream/ComponentStream.h"
#include "document/stream/Stream.h"
#include "drawing/DOList.h"
#include "drawing/FaceObjects.h"
#include "imaging/QuadMap.h"
#include "imaging/pack/MatrixImagePack.h"
#include "imaging/picture/SafetyBitmap.h"
#include "objects/AlbumPhoto.h"
#include "objects/AlbumPhotoShared.h"
#include "objects/DateStamp.h"

#include <gtest/gtest.h>
#include <climits>

namespace {

QImage filled(int w, int h, QRgb colour) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(colour);
    return img;
}

void setPicture(TPictureEx& p, const QImage& img) {
    p.SetGraphic(std::make_unique<TSafetyBitmap>(img));
}

QSize shownSize(TLOAlbumPhoto& photo) {
    photo.EnsureDisplayed();
    const TPictureEx& shown = *photo.PhotoImage().ImageData()->Picture();
    return {shown.Width(), shown.Height()};
}

// A glyph strip of 5 x 3 cells of 10 x 10 pixels, cell i filled with the colour (i, 0, 0).
std::shared_ptr<TMatrixImagePack> numberedStrip() {
    QImage strip(50, 30, QImage::Format_RGB32);
    for (int i = 0; i < 15; ++i)
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 10; ++x)
                strip.setPixel((i % 5) * 10 + x, (i / 5) * 10 + y, qRgb(i + 1, 0, 0));
    auto pack = std::make_shared<TMatrixImagePack>();
    pack->SetCountCol(5);
    pack->SetCountRow(3);
    TPictureEx picture;
    setPicture(picture, strip);
    pack->SetImage(picture);
    return pack;
}

}  // namespace

TEST(AlbumPhoto, StoredFormKeepsEveryPropertyInOrder) {
    RegisterAlbumPhotoClasses();
    TLOAlbumPhoto photo;
    photo.SetLogBounds({10, 20, 1010, 620});
    setPicture(*photo.PhotoImageObj()->Picture(), filled(8, 6, qRgb(10, 20, 30)));
    photo.SetShadow(true);
    photo.SetShadowX(-4);
    photo.SetShadowColor(0x123456);
    photo.SetFitOuter(true);
    photo.SetDateFormat(QStringLiteral("\"'\"yy\"-\"mm\"-\"dd"));
    photo.SetPhotoAngle(-1);
    photo.SetPhotoDate(38112.5);
    photo.NormalizeFilter()->SetFilterNo(2);
    TMemoryStream s;
    WriteComponentStream(s, photo);
    const QByteArray bytes = s.Data();
    // Every property is written, defaults included, in this order.
    qsizetype at = 0;
    for (const char* name :
         {"PhotoImageObj.Picture.Data", "ImageSource", "AlphaFrame", "Shadow", "ShadowX", "ShadowY",
          "ShadowColor", "ShadowShade", "FitOuter", "FrameFitPhoto", "DisplayDate", "DateFormat",
          "DateFont.", "NormalizeFilter.", "PhotoAngle", "PhotoDate", "Angle"}) {
        const qsizetype next = bytes.indexOf(name, at);
        EXPECT_GT(next, at - 1) << name;
        if (next >= 0) at = next;
    }
    TMemoryStream in(bytes);
    std::unique_ptr<TComponent> back(ReadComponentStream(in));
    auto* read = dynamic_cast<TLOAlbumPhoto*>(back.get());
    ASSERT_TRUE(read);
    EXPECT_EQ(read->LogBounds(), (TRect{10, 20, 1010, 620}));
    EXPECT_EQ(read->PhotoImageObj()->Picture()->Width(), 8);
    EXPECT_EQ(read->ShadowX(), -4);
    EXPECT_EQ(read->ShadowColor(), 0x123456u);
    EXPECT_EQ(read->DateFormat(), photo.DateFormat());
    EXPECT_EQ(read->PhotoAngle(), -1);
    EXPECT_EQ(read->PhotoDate(), 38112.5);
    EXPECT_EQ(read->NormalizeFilter()->FilterNo(), 2);
    EXPECT_EQ(read->DateFont()->Color(), 0x0080FF);
    // The parts follow the slot after loading.
    EXPECT_EQ(read->PhotoImage().LogBounds(), read->LogBounds());
}

TEST(AlbumPhoto, AutomaticOrientationTurnsTheReducedPhotoToSuitTheSlot) {
    AlbumPhotoShared().displayLimit = 800;
    TLOAlbumPhoto photo;
    photo.SetLogBounds({0, 0, 600, 900});  // portrait slot
    setPicture(*photo.PhotoImageObj()->Picture(), filled(1600, 1200, qRgb(1, 2, 3)));
    photo.SetPhotoAngle(-1);
    EXPECT_EQ(photo.Orientation(), 90);
    EXPECT_EQ(shownSize(photo), QSize(600, 800));  // reduced to 800, then turned
    photo.SetPhotoAngle(0);
    EXPECT_EQ(shownSize(photo), QSize(800, 600));
    photo.SetPhotoAngle(45);  // not a quarter turn: automatic
    EXPECT_EQ(photo.Orientation(), 90);
    // A landscape slot and a portrait photo turn the other way.
    photo.SetLogBounds({0, 0, 900, 600});
    setPicture(*photo.PhotoImageObj()->Picture(), filled(300, 400, qRgb(1, 2, 3)));
    EXPECT_EQ(photo.Orientation(), 270);
    // Switched to print rendering the print limit applies.
    AlbumPhotoShared().printLimit = 200;
    photo.SetPhotoAngle(0);
    SwitchToPrintRendering({&photo});
    EXPECT_EQ(shownSize(photo), QSize(150, 200));
    AlbumPhotoShared().printLimit = 3000;
}

TEST(AlbumPhoto, CropCoversTheSlotAndFramesSetTheAspect) {
    TLOAlbumPhoto photo;
    photo.SetLogBounds({0, 0, 1000, 500});
    setPicture(*photo.PhotoImageObj()->Picture(), filled(400, 400, qRgb(1, 2, 3)));
    // Fitted inside: bands left and right.
    photo.EnsureDisplayed();
    EXPECT_EQ(photo.PhotoImage().LogBounds(), (TRect{250, 0, 750, 500}));
    // Covering: the photo is cropped to the slot's aspect and fills it.
    photo.SetFitOuter(true);
    EXPECT_EQ(shownSize(photo), QSize(400, 200));
    EXPECT_EQ(photo.PhotoImageObj()->ClipFilter()->ClipRect(), (TRect{0, 100, 400, 300}));
    EXPECT_EQ(photo.PhotoImage().LogBounds(), (TRect{0, 0, 1000, 500}));

    // A frame of 2 : 1 crops the shown photo (centred) unless the frame fits the photo.
    photo.SetFitOuter(false);
    setPicture(*photo.FramePicture(), filled(100, 50, 0xF0F0F0));
    photo.EnsureDisplayed();
    EXPECT_EQ(photo.PhotoImage().ImageData()->ClipFilter()->ClipRect(), (TRect{0, 100, 400, 300}));
    EXPECT_EQ(photo.PhotoImage().LogBounds(), (TRect{0, 0, 1000, 500}));
    photo.SetFrameFitPhoto(true);
    EXPECT_EQ(photo.PhotoImage().ImageData()->ClipFilter()->ClipRect(), (TRect{0, 0, 400, 400}));
    EXPECT_EQ(photo.PhotoImage().LogBounds(), (TRect{250, 0, 750, 500}));
}

TEST(AlbumPhoto, ShadowOffsetsArePercentOfTheLargerSide) {
    TLOAlbumPhoto photo;
    photo.SetLogBounds({100, 100, 1100, 700});
    setPicture(*photo.PhotoImageObj()->Picture(), filled(1000, 600, qRgb(1, 2, 3)));
    photo.SetShadow(true);
    photo.EnsureDisplayed();
    EXPECT_EQ(photo.Shade().LogBounds(), (TRect{130, 130, 1130, 730}));
    EXPECT_EQ(photo.GetBounds(), (TRect{100, 100, 1130, 730}));
    // A shadow thrown up and left is inside the bounds too.
    photo.SetShadowX(-3);
    EXPECT_EQ(photo.GetBounds(), (TRect{70, 100, 1100, 730}));
    // Offsets far beyond the slot neither overflow nor wrap.
    photo.SetShadowX(INT_MAX);
    EXPECT_EQ(photo.ShadowOffset().x(), INT_MAX);
    EXPECT_EQ(photo.GetBounds().Right, INT_MAX);

    // Painted through the blend path, the shadow shows beside the photo.
    photo.SetShadowX(3);
    photo.SetShadowColor(0x000000);
    TDOList list;
    list.Add(&photo);
    TFaceInfo face;
    face.FaceRect = {0, 0, 1300, 900};
    QImage out;
    RenderFaceObjects(face, list, out, 100, 254);
    EXPECT_EQ(out.pixel(600, 400) & 0xFFFFFF, 0x010203u);   // the photo
    EXPECT_EQ(out.pixel(1115, 400) & 0xFFFFFF, 0x000000u);  // its shadow
    EXPECT_EQ(out.pixel(1115, 110) & 0xFFFFFF, 0xFFFFFFu);  // above the shadow
}

TEST(AlbumPhoto, EmptySlotsShowAPlaceholderAndDoNotPrint) {
    TLOAlbumPhoto photo;
    photo.SetLogBounds({10, 10, 90, 90});
    TDOList list;
    list.Add(&photo);
    TFaceInfo face;
    face.FaceRect = {0, 0, 100, 100};
    QImage out;
    RenderFaceObjects(face, list, out, 100, 254);
    EXPECT_EQ(out.pixel(50, 50) & 0xFFFFFF, 0xC0C0C0u);
    EXPECT_EQ(out.pixel(10, 50) & 0xFFFFFF, 0x000000u);  // the outline
    SwitchToPrintRendering({&photo});
    EXPECT_FALSE(photo.Visible());
}

TEST(DateStamp, ExifDatesAreCheckedBeforeUse) {
    EXPECT_EQ(ParseExifDate(QStringLiteral("2004:05:05 10:20:30")),
              QDateTime(QDate(2004, 5, 5), QTime(10, 20, 30)));
    EXPECT_EQ(ParseExifDate(QStringLiteral("\u30002004/5/5 \u30009:08:07")),
              QDateTime(QDate(2004, 5, 5), QTime(9, 8, 7)));
    EXPECT_FALSE(ParseExifDate(QStringLiteral("0000:00:00 00:00:00")));  // all zero: absent
    EXPECT_FALSE(ParseExifDate(QStringLiteral("2004:13:05 10:20:30")));
    EXPECT_FALSE(ParseExifDate(QStringLiteral("2004")));  // short texts are not indexed
    EXPECT_FALSE(ParseExifDate(QString()));
    EXPECT_FALSE(ParseExifDate(QStringLiteral("2004::05 10:20:30")));  // two separators
}

TEST(DateStamp, GlyphsAreRightAlignedOnTheBottomRow) {
    const auto strip = numberedStrip();
    // H = 340: x = 10, glyphs 10 x 10 at y 325, gaps of 3, the last ending at 400 - 10.
    QImage image = filled(400, 340, qRgb(255, 255, 255));
    StampWithGlyphs(image, QStringLiteral("'04-05-05"), *strip);
    const int start = 390 - (9 * 10 + 8 * 3);
    const QString text = QStringLiteral("'04-05-05");
    for (int i = 0; i < text.size(); ++i) {
        const int index = int(QStringView(u"0123456789-/' ").indexOf(text[i]));
        EXPECT_EQ(qRed(image.pixel(start + i * 13 + 5, 330)), index + 1) << i;
    }
    EXPECT_EQ(image.pixel(start - 2, 330) & 0xFFFFFF, 0xFFFFFFu);  // nothing before it
    EXPECT_EQ(image.pixel(395, 330) & 0xFFFFFF, 0xFFFFFFu);        // the right margin
    EXPECT_EQ(image.pixel(start + 5, 323) & 0xFFFFFF, 0xFFFFFFu);  // above the row
}

TEST(DateStamp, PortraitPhotosAreStampedAlongTheirLongSide) {
    const auto strip = numberedStrip();
    QImage portrait = filled(340, 680, qRgb(255, 255, 255));
    TFont font;
    StampDate(portrait, QStringLiteral("8"), strip.get(), font);
    ASSERT_EQ(portrait.size(), QSize(340, 680));
    // Turned by 270 degrees the stamp sits at the bottom right.
    const QImage turned = Rotate(portrait, 270, qRgb(255, 255, 255), 340, 680);
    EXPECT_EQ(qRed(turned.pixel(665, 330)), 9);
    EXPECT_EQ(turned.pixel(20, 330) & 0xFFFFFF, 0xFFFFFFu);
}

TEST(AlbumPhoto, TheDateIsStampedFromPhotoDateWithoutExif) {
    AlbumPhotoShared().dateGlyphs = numberedStrip();
    TLOAlbumPhoto photo;
    photo.SetLogBounds({0, 0, 400, 340});
    setPicture(*photo.PhotoImageObj()->Picture(), filled(400, 340, qRgb(255, 255, 255)));
    photo.SetPhotoDate(38112.0);  // 5 May 2004
    photo.SetDateFormat(QStringLiteral("\"'\"yy\"-\"mm\"-\"dd"));
    photo.SetDisplayDate(true);
    photo.EnsureDisplayed();
    const QImage shown = photo.PhotoImage().ImageData()->Picture()->Graphic()->ToImage();
    EXPECT_EQ(qRed(shown.pixel(390 - 114 + 5, 330)), 13);  // the apostrophe's cell
    EXPECT_EQ(qRed(shown.pixel(385, 330)), 6);             // the last "5"
    AlbumPhotoShared().dateGlyphs.reset();
}

TEST(AlbumPhoto, SettersReportOneChangeAndPaintingNone) {
    TLOAlbumPhoto photo;
    photo.SetLogBounds({0, 0, 300, 200});
    setPicture(*photo.PhotoImageObj()->Picture(), filled(30, 20, qRgb(1, 2, 3)));
    int changes = 0;
    photo.OnModify = [&](TDrawObject*) { ++changes; };
    photo.SetAngle(30);
    EXPECT_EQ(changes, 1);
    photo.SetShadow(true);
    EXPECT_EQ(changes, 2);
    photo.SetShadowShade(true);
    EXPECT_EQ(changes, 3);
    photo.SetShadowShade(true);  // unchanged
    EXPECT_EQ(changes, 3);
    changes = 0;
    TDOList list;
    list.Add(&photo);
    TFaceInfo face;
    face.FaceRect = {0, 0, 400, 400};
    QImage out;
    RenderFaceObjects(face, list, out, 100, 254);
    EXPECT_EQ(photo.DisplayedBuilds(), 1);
    EXPECT_EQ(changes, 0);  // building the shown photo is no modification
}
