// Image objects, alpha masks, backgrounds and face objects: sizes, transparency through
// frame key colours, blending, rotation, the composite's life, stored names and the paper
// site.
#include "document/stream/ComponentStream.h"
#include "document/stream/Stream.h"
#include "drawing/DOList.h"
#include "drawing/DrawSite.h"
#include "drawing/FaceObjects.h"
#include "objects/AlphaMaskObject.h"
#include "objects/BackImage.h"
#include "objects/FaceObject.h"
#include "objects/ImageObject.h"
#include "objects/ImageObjectClasses.h"

#include <gtest/gtest.h>
#include <QClipboard>
#include <QGuiApplication>

namespace {

QImage filled(int w, int h, QRgb colour) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(colour);
    return img;
}

void setPicture(TPictureEx& p, const QImage& img) {
    p.SetGraphic(std::make_unique<TSafetyBitmap>(img));
}

const QRgb kOpening = qRgb(0xF0, 0xF0, 0xF0);
const QRgb kOutside = qRgb(0x90, 0x70, 0x60);  // the colour 0x607090
const QRgb kBrown = qRgb(120, 60, 20);

// Renders objects on a plain face of `w` x `h` units at one pixel per unit.
QImage render(const TDOList& list, int w, int h) {
    TFaceInfo face;
    face.FaceRect = {0, 0, w, h};
    QImage out;
    RenderFaceObjects(face, list, out, 100, 254);
    return out;
}

QRgb rgb(const QImage& img, int x, int y) {
    return img.pixel(x, y) & 0xFFFFFF;
}

}  // namespace

TEST(ImageObject, NaturalSizeFromPixels) {
    TLOImage image;
    setPicture(*image.ImageData()->Picture(), filled(180, 90, qRgb(1, 2, 3)));
    EXPECT_EQ(image.NaturalSize(), QSize(254, 127));  // 180 pixels an inch
    setPicture(*image.ImageData()->Picture(), filled(10, 200, qRgb(1, 2, 3)));
    EXPECT_EQ(image.NaturalSize(), QSize(30, 282));  // at least 30

    // On a site: fitted into a square of the larger side of the current size.
    TDrawSite site;
    site.SetLogSize(2000, 2000);
    auto* placed = static_cast<TLOImage*>(site.InsertObject(std::make_unique<TLOImage>()));
    placed->SetLogBounds({0, 0, 1000, 400});
    setPicture(*placed->ImageData()->Picture(), filled(180, 90, qRgb(1, 2, 3)));
    placed->FitToPicture();
    EXPECT_EQ(placed->LogBounds(), (TRect{0, 0, 1000, 500}));

    TLOAlphaMask mask;
    EXPECT_EQ(mask.NaturalSize(), QSize(300, 200));  // no picture, off a site
    setPicture(*mask.Picture(), filled(90, 90, qRgb(255, 255, 255)));
    EXPECT_EQ(mask.NaturalSize(), QSize(127, 127));
}

TEST(ImageObject, FrameKeyColoursAndOwnTransparency) {
    // The left half of the picture is its transparent colour.
    QImage picture = filled(20, 20, qRgb(0, 0, 255));
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 10; ++x) picture.setPixel(x, y, qRgb(0, 255, 0));
    QImage frame = filled(20, 20, kBrown);
    for (int y = 4; y < 16; ++y)
        for (int x = 4; x < 16; ++x) frame.setPixel(x, y, kOpening);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x) frame.setPixel(x, y, kOutside);

    TLOImage image;
    image.SetLogBounds({0, 0, 20, 20});
    setPicture(*image.ImageData()->Picture(), picture);
    image.ImageData()->SetTransparentColor(0x00FF00);
    setPicture(*image.FramePicture(), frame);
    const TSafetyBitmap* c = image.EnsureComposite();
    ASSERT_TRUE(c);
    const QImage& mask = c->Mask();         // 1: transparent
    EXPECT_EQ(mask.pixelIndex(6, 10), 1);   // opening over the transparent half
    EXPECT_EQ(mask.pixelIndex(12, 10), 0);  // opening over the opaque half
    EXPECT_EQ(c->Image().pixel(12, 10) & 0xFFFFFF, qRgb(0, 0, 255) & 0xFFFFFF);
    EXPECT_EQ(mask.pixelIndex(1, 10), 0);  // the frame covers the transparent half
    EXPECT_EQ(c->Image().pixel(1, 10) & 0xFFFFFF, kBrown & 0xFFFFFF);
    EXPECT_EQ(mask.pixelIndex(1, 1), 1);  // outside the frame's outline
    EXPECT_EQ(mask.pixelIndex(18, 1), 0);

    // Drawn on red: transparent parts show the red.
    TDOList list;
    auto under = std::make_unique<TLOBackImage>();
    under->SetLogBounds({0, 0, 20, 20});
    under->FillColor()->SetColor(0x0000FF);
    list.Add(under.get());
    list.Add(&image);
    const QImage out = render(list, 20, 20);
    EXPECT_EQ(rgb(out, 6, 10), 0xFF0000u);
    EXPECT_EQ(rgb(out, 12, 10), 0x0000FFu);
    EXPECT_EQ(rgb(out, 1, 1), 0xFF0000u);
    EXPECT_EQ(rgb(out, 1, 10), kBrown & 0xFFFFFF);
}

TEST(ImageObject, EmptyPictureAndBlendPath) {
    TLOImage image;
    image.SetLogBounds({0, 0, 40, 40});
    image.SetBlendRatio(50);
    EXPECT_FALSE(image.NeedsBlend());
    TDOList list;
    list.Add(&image);
    const QImage out = render(list, 40, 40);
    EXPECT_EQ(rgb(out, 20, 20), 0xFFFFFFu);

    setPicture(*image.ImageData()->Picture(), filled(8, 8, qRgb(0, 0, 0)));
    EXPECT_TRUE(image.NeedsBlend());
    image.SetBlendRatio(100);
    EXPECT_FALSE(image.NeedsBlend());
    setPicture(*image.FramePicture(), filled(8, 8, qRgb(128, 128, 128)));
    EXPECT_FALSE(image.NeedsBlend());
    image.SetAlphaFrame(true);
    EXPECT_TRUE(image.NeedsBlend());  // even at 100 percent

    // A mid-grey alpha frame makes black about half transparent over white.
    const QImage blended = render(list, 40, 40);
    const int grey = qRed(blended.pixel(20, 20));
    EXPECT_NEAR(grey, 127, 2);
}

TEST(ImageObject, RotationBoundsAndEnclosingSize) {
    TLOImage image;
    image.SetLogBounds({0, 0, 200, 100});
    image.SetAngle(90);
    TRect b = image.GetBounds();
    EXPECT_EQ(b.Width(), 100);
    EXPECT_EQ(b.Height(), 200);
    image.SetEnclosingSize(50, 100);  // half the box: half the unrotated size
    EXPECT_EQ(image.Width(), 100);
    EXPECT_EQ(image.Height(), 50);
    EXPECT_EQ(image.GetBounds().Width(), 50);
    EXPECT_EQ(image.GetBounds().Height(), 100);

    image.SetLogBounds({0, 0, 200, 100});
    image.SetAngle(30);
    b = image.GetBounds();
    EXPECT_NEAR(b.Width(), 223, 1);  // 200 cos 30 + 100 sin 30
    EXPECT_NEAR(b.Height(), 187, 1);
    EXPECT_EQ(image.HitTest({100, 50}), 1);
    EXPECT_EQ(image.HitTest({b.Left + 1, b.Top + 1}), 0);  // a corner of the box, off the shape

    // A rotated box without width or height gives no ratio: the size is taken as asked.
    TLOImage flat;
    flat.SetLogBounds({0, 0, 0, 0});
    flat.SetAngle(45);
    flat.SetEnclosingSize(40, 30);
    EXPECT_EQ(flat.Width(), 40);
    EXPECT_EQ(flat.Height(), 30);
}

TEST(ImageObject, MovingKeepsTheCompositeResizingRebuildsIt) {
    TLOImage image;
    image.SetLogBounds({0, 0, 100, 80});
    setPicture(*image.ImageData()->Picture(), filled(50, 40, qRgb(9, 9, 9)));
    image.SetAngle(30);
    ASSERT_TRUE(image.EnsureComposite());
    const TSafetyBitmap* before = image.Composite();
    image.OffsetBy(15, -7);
    EXPECT_EQ(image.Composite(), before);
    EXPECT_EQ(image.CompositeBuilds(), 1);
    image.SetWidth(120);
    EXPECT_EQ(image.Composite(), nullptr);
    image.EnsureComposite();
    EXPECT_EQ(image.CompositeBuilds(), 2);
    image.ImageData()->SetTransparentColor(0x090909);
    EXPECT_EQ(image.Composite(), nullptr);
    // The rotated composite has the aspect of the object.
    image.SetAngle(0);
    image.SetAngle(30);
    const TSafetyBitmap* c = image.EnsureComposite();
    ASSERT_TRUE(c);
    EXPECT_GT(c->Width(), 0);
}

TEST(AlphaMask, ShadeSizeGrowsTheMaskWithSoftEdges) {
    TLOAlphaMask mask;
    mask.SetLogBounds({0, 0, 60, 50});
    setPicture(*mask.Picture(), filled(40, 30, qRgb(255, 255, 255)));
    mask.SetShadeSize(10);
    const QImage& m = mask.MaskImage();
    ASSERT_EQ(m.size(), QSize(60, 50));
    EXPECT_EQ(m.pixelColor(30, 25).red(), 255);
    EXPECT_LT(qGray(m.pixel(0, 0)), 64);
    const int edge = qGray(m.pixel(10, 25));
    EXPECT_GT(edge, 40);
    EXPECT_LT(edge, 220);

    // Stored sizes that would ask for unbounded masks are refused.
    mask.SetShadeSize(-5);
    EXPECT_EQ(mask.ShadeSize(), 0);
    mask.SetShadeSize(2000000000);
    EXPECT_EQ(mask.ShadeSize(), TLOAlphaMask::kMaxShadeSize);

    TLOAlphaMask blank;
    EXPECT_FALSE(blank.NeedsBlend());
    blank.SetBlendRatio(60);
    EXPECT_TRUE(blank.NeedsBlend());
}

TEST(BackImage, BlankRulesBandHoleAndBlend) {
    auto back = NewImageObject(QStringLiteral("TLOBackImage"), nullptr);
    auto* bg = static_cast<TLOBackImage*>(back.get());
    EXPECT_EQ(bg->LayerGroup(), -100);
    EXPECT_FALSE(bg->Selectable());
    EXPECT_TRUE(bg->IsBlank());
    bg->SetFrameWidth(30);
    EXPECT_FALSE(bg->IsBlank());
    bg->SetFrameWidth(0);
    bg->FillColor()->SetColor(0xFFFFFE);
    EXPECT_FALSE(bg->IsBlank());
    bg->FillColor()->SetColor(clWhite);
    setPicture(*bg->BlendPicture(), filled(4, 4, qRgb(128, 128, 128)));
    EXPECT_FALSE(bg->IsBlank());
    EXPECT_EQ(bg->HitTest({1, 1}), 0);

    // Blend: white fill, black overlay through grey 128 at 50 percent:
    // 255 + (128 * 50 / 100) * (0 - 255) / 255 = 191.
    bg->SetLogBounds({0, 0, 100, 100});
    bg->BlendColor()->SetColor(clBlack);
    bg->SetBlendRatio(50);
    TFaceInfo plain;
    plain.FaceRect = {0, 0, 100, 100};
    bg->SetFaceInfo(plain);
    TDOList list;
    list.Add(bg);
    EXPECT_NEAR(qRed(render(list, 100, 100).pixel(50, 50)), 191, 1);

    // A disc face with a 3 mm band: band colour along the outline, fill inside, white hole.
    TLOBackImage disc;
    TFaceInfo cd;
    cd.FaceShape = fsDoughnut;
    cd.FaceRect = {0, 0, 1200, 1200};
    disc.SetFaceInfo(cd);
    disc.SetLogBounds({0, 0, 1200, 1200});
    disc.FillColor()->SetColor(0xFF0000);   // blue
    disc.FrameColor()->SetColor(0x0000FF);  // red
    disc.SetFrameWidth(30);
    TDOList discList;
    discList.Add(&disc);
    TFaceInfo face = cd;
    QImage out;
    RenderFaceObjects(face, discList, out, 100, 254);
    EXPECT_EQ(rgb(out, 15, 600), 0xFF0000u);   // the band
    EXPECT_EQ(rgb(out, 45, 600), 0x0000FFu);   // the fill
    EXPECT_EQ(rgb(out, 600, 600), 0xFFFFFFu);  // the hole
    EXPECT_EQ(rgb(out, 5, 5), 0xFFFFFFu);      // outside the disc
}

TEST(ImageObject, StoredNamesAndOlderPictureProperty) {
    RegisterImageObjectClasses();
    TLOImage image;
    image.SetLogBounds({10, 20, 110, 220});
    setPicture(*image.ImageData()->Picture(), filled(6, 6, qRgb(240, 240, 240)));
    TMemoryStream s;
    WriteComponentStream(s, image);
    const QByteArray bytes = s.Data();
    EXPECT_TRUE(bytes.contains("TLOImage"));
    EXPECT_TRUE(bytes.contains("Angle"));        // always stored
    EXPECT_TRUE(bytes.contains("ImageSource"));  // always stored
    EXPECT_FALSE(bytes.contains("AlphaFrame"));
    EXPECT_TRUE(bytes.contains("ImageData.Picture.Data"));

    // Stored image objects come back as wizard images.
    TMemoryStream in(bytes);
    std::unique_ptr<TComponent> back(ReadComponentStream(in));
    auto* wizard = dynamic_cast<TLOWizardImage*>(back.get());
    ASSERT_TRUE(wizard);
    EXPECT_EQ(wizard->LogBounds(), (TRect{10, 20, 110, 220}));
    EXPECT_EQ(wizard->ImageData()->TransparentColor(), clNone);

    // The older form names the picture directly; an illustration stored so is transparent
    // in the frame opening colour.
    image.SetImageSource(isOnePoint);
    TMemoryStream s2;
    WriteComponentStream(s2, image);
    QByteArray older = s2.Data();
    older.replace(QByteArray("\x16ImageData.Picture.Data"), QByteArray("\x0cPicture.Data"));
    TMemoryStream in2(older);
    std::unique_ptr<TComponent> old(ReadComponentStream(in2));
    auto* oldImage = dynamic_cast<TLOImage*>(old.get());
    ASSERT_TRUE(oldImage);
    EXPECT_EQ(oldImage->ImageData()->Picture()->Width(), 6);
    EXPECT_EQ(oldImage->ImageData()->TransparentColor(), 0xF0F0F0u);
}

TEST(ImageObject, CreationDefaultsAndClipboardPaste) {
    auto one = NewImageObject(QStringLiteral("TLOOnePoint"), nullptr);
    EXPECT_EQ(static_cast<TLOImage*>(one.get())->ImageSource(), isOnePoint);
    auto twain = NewImageObject(QStringLiteral("TLOTwain"), nullptr);
    EXPECT_EQ(static_cast<TLOImage*>(twain.get())->ImageSource(), isTwain);
    EXPECT_EQ(NewImageObject(QStringLiteral("TLOText"), nullptr), nullptr);

    QImage translucent(36, 18, QImage::Format_ARGB32);
    translucent.fill(qRgba(0, 0, 0, 0));
    QGuiApplication::clipboard()->setImage(translucent);
    auto pasted = NewImageObject(QStringLiteral("TLOBitmapPaste"), nullptr);
    ASSERT_TRUE(pasted);
    auto* image = static_cast<TLOImage*>(pasted.get());
    EXPECT_EQ(image->LogBounds().Width(), 51);  // 36 pixels at 180 an inch
    EXPECT_EQ(image->ImageData()->Picture()->Graphic()->ToImage().pixel(3, 3) & 0xFFFFFF,
              0xFFFFFFu);  // transparent pixels over white
}

TEST(FaceObject, PickingOnASite) {
    TDrawSite site;
    site.SetLogSize(1000, 1000);
    TFaceInfo a, b;
    a.FaceRect = {0, 0, 400, 400};
    b.FaceRect = {500, 0, 900, 400};
    b.FacePurpose = QStringLiteral("CD");
    for (const TFaceInfo& info : {a, b}) {
        auto face = std::make_unique<TLOFace>();
        face->SetSinglePick(true);
        face->SetFaceInfo(info);
        site.InsertObject(std::move(face));
    }
    ASSERT_EQ(FaceCount(site), 2);
    EXPECT_EQ(FaceAt(site, 1)->FaceIndex(), 1);
    PickFace(site, 0);
    EXPECT_EQ(FirstPickedFace(site), FaceAt(site, 0));
    PickFace(site, 1);
    EXPECT_FALSE(FaceAt(site, 0)->Picked());
    EXPECT_EQ(FirstPickedFace(site), FaceAt(site, 1));
    // Not editable on a site: the shape and rectangle stay.
    EXPECT_FALSE(FaceAt(site, 0)->SetFaceInfo(b));
    FaceAt(site, 0)->SetLogBounds({0, 0, 10, 10});
    EXPECT_EQ(FaceAt(site, 0)->LogBounds(), (TRect{0, 0, 400, 400}));
    EXPECT_EQ(FaceAt(site, 1)->HitTest({700, 200}), 1);
    EXPECT_EQ(FaceAt(site, 1)->HitTest({450, 200}), 0);
}
