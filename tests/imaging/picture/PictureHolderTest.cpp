// The picture holder, the image data with its processed picture and change handling,
// the transparency mask, the picture loader, the spill file and resources.
#include "document/stream/ClassRegistry.h"
#include "document/stream/ComponentStream.h"
#include "document/stream/PropertyBuilder.h"
#include "document/stream/Stream.h"
#include "imaging/codecs/Bmp.h"
#include "imaging/codecs/Container.h"
#include "imaging/picture/ImageData.h"
#include "imaging/picture/JpegImage.h"
#include "imaging/picture/PictureData.h"
#include "imaging/picture/PictureLoader.h"
#include "imaging/picture/ResStream.h"
#include "imaging/picture/ResourceImageLoader.h"
#include "imaging/picture/SafetyBitmap.h"
#include "imaging/picture/TemporaryPicture.h"
#include "imaging/picture/TransparentRotate.h"
#include "platform/Exception.h"
#include "tests/imaging/picture/PictureSamples.h"
#include "tests/support/ErrorText.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <QCoreApplication>
#include <QDir>
#include <QFile>

using namespace samples;

// A component that stores an image data, as image objects do.
class TImageHolder : public TComponent {
    VELLUMO_PERSISTENT(TImageHolder, TComponent)
public:
    static void DeclareProperties(PropertyBuilder<TImageHolder>& p) {
        p.persistent("ImageData", &TImageHolder::ImageData);
    }
    TImageData* ImageData() const { return data_.get(); }

private:
    std::unique_ptr<TImageData> data_ = std::make_unique<TImageData>();
};
VELLUMO_DEFINE_PERSISTENT(TImageHolder)

namespace {

struct Counter {
    int changed = 0, clipReset = 0, pictureChanged = 0;
    TListener listener{[this](TPersistent*, const QUuid& a) {
        if (a == asChanged) ++changed;
        if (a == asClipReset) ++clipReset;
        if (a == asPictureChanged) ++pictureChanged;
    }};
};

}  // namespace

TEST(PictureEx, ChangesAndAssignment) {
    TPictureEx p;
    Counter c;
    p.Notify().AddListener(&c.listener);
    p.SetGraphic(std::make_unique<TSafetyBitmap>(Colourful(4, 3)));
    EXPECT_EQ(c.changed, 1);
    EXPECT_TRUE(p.Modified());
    p.Bitmap().SetImage(Colourful(5, 5));  // a change of the graphic itself
    EXPECT_EQ(c.changed, 2);

    // A change raised while one is being reported is not reported again.
    TListener reentrant([&](TPersistent*, const QUuid& a) {
        if (a == asChanged) p.Bitmap().SetTransparent(!p.Bitmap().Transparent());
    });
    p.Notify().AddListener(&reentrant);
    p.Bitmap().SetImage(Colourful(6, 6));
    EXPECT_EQ(c.changed, 3);
    p.Notify().RemoveListener(&reentrant);

    // Ensure-JPEG replaces the bitmap silently.
    p.Jpeg();
    EXPECT_TRUE(p.IsJpeg());
    EXPECT_EQ(c.changed, 3);

    TPictureEx src;
    src.SetImageID(QStringLiteral("/photos/a.jpg"));
    src.SetStorageID(QStringLiteral("S1"));
    src.AuxText = QStringLiteral("note");
    src.SetGraphic(std::make_unique<TSafetyBitmap>(Colourful(3, 2)));
    src.Bitmap().SetTransparentColor(0x123456);
    src.Bitmap().SetTransparent(true);
    p.Assign(src);
    EXPECT_EQ(p.ImageID(), "/photos/a.jpg");
    EXPECT_EQ(p.StorageID(), "S1");
    EXPECT_EQ(p.AuxText, "note");
    ASSERT_TRUE(p.IsBitmap());
    EXPECT_TRUE(p.Bitmap().Transparent());
    EXPECT_EQ(p.Bitmap().TransparentColor(), 0x123456);
    // Same class: assigned in place, the holder keeps its graphic object.
    const TGraphic* before = p.Graphic();
    src.Bitmap().SetImage(Colourful(7, 7));
    p.Assign(src);
    EXPECT_EQ(p.Graphic(), before);
    EXPECT_EQ(p.Width(), 7);
    // Both empty: nothing but the identifiers changes.
    TPictureEx e1, e2;
    e2.SetImageID(QStringLiteral("x"));
    Counter c1;
    e1.Notify().AddListener(&c1.listener);
    e1.Assign(e2);
    EXPECT_EQ(e1.ImageID(), "x");
    EXPECT_EQ(c1.changed, 0);
}

TEST(PictureEx, StoredAsPropertiesAndDataUnlessFromResource) {
    TTemporaryPicture holder;
    holder.Picture()->SetImageID(QStringLiteral("/a/b.bmp"));
    holder.Picture()->SetGraphic(std::make_unique<TSafetyBitmap>(Colourful(3, 3)));
    TMemoryStream s;
    WriteComponentStream(s, holder);
    EXPECT_TRUE(s.Data().contains("Picture.ImageID"));
    EXPECT_TRUE(s.Data().contains("Picture.Data"));
    EXPECT_TRUE(s.Data().contains("TSafetyBitmap"));
    s.SetPosition(0);
    TTemporaryPicture back;
    ReadComponentStream(s, &back);
    EXPECT_EQ(back.Picture()->ImageID(), "/a/b.bmp");
    EXPECT_EQ(back.Picture()->Bitmap().Image().pixel(2, 2), Colourful(3, 3).pixel(2, 2));

    holder.Picture()->SetFromResource(true);
    TMemoryStream r;
    WriteComponentStream(r, holder);
    EXPECT_FALSE(r.Data().contains("Picture.Data"));
    // The transfer functions ignore the flag.
    TMemoryStream record;
    WritePictureData(*holder.Picture(), record);
    EXPECT_TRUE(record.Data().startsWith("\x0DTSafetyBitmap"));
}

TEST(SafetyBitmap, MaskAndTransparentDrawing) {
    // 8-bit: the palette entry must be exactly the colour.
    QImage indexed(4, 1, QImage::Format_Indexed8);
    indexed.setColorTable({qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 254)});
    for (int x = 0; x < 4; ++x) indexed.scanLine(0)[x] = uchar(x % 3);
    const QImage none = BuildTransparencyMask(indexed, 0xFF0000);  // pure blue is not in it
    EXPECT_EQ(none.scanLine(0)[0], 0);
    const QImage green = BuildTransparencyMask(indexed, 0x00FF00);
    EXPECT_EQ(green.scanLine(0)[0], 0x40);  // pixel 1, most significant bit first

    QImage rgb = Colourful(9, 2);
    rgb.setPixel(3, 1, qRgb(10, 20, 30));
    rgb.setPixel(8, 0, qRgb(10, 20, 30));
    TSafetyBitmap b(rgb);
    b.SetTransparentColor(platform::makeColor(10, 20, 30));
    b.SetTransparent(true);
    const QImage mask = b.Mask();
    EXPECT_EQ(mask.pixelIndex(3, 1), 1);
    EXPECT_EQ(mask.pixelIndex(8, 0), 1);
    EXPECT_EQ(mask.pixelIndex(0, 0), 0);
    EXPECT_FALSE(b.MaskCache().MaskDirty());
    b.SetImage(rgb);  // any change marks the cache dirty
    EXPECT_TRUE(b.MaskCache().MaskDirty());

    QImage target(9, 2, QImage::Format_RGB32);
    target.fill(qRgb(1, 1, 1));
    platform::Canvas canvas(target);
    canvas.tools().backgroundColor = 0x00FF00;
    b.Draw(canvas, {0, 0, 9, 2});
    EXPECT_EQ(target.pixel(3, 1), qRgb(1, 1, 1));  // transparent: unchanged
    EXPECT_EQ(target.pixel(0, 0), rgb.pixel(0, 0));
    EXPECT_EQ(canvas.tools().backgroundColor, 0x00FF00);  // restored

    // An 8-bit bitmap whose palette lacks the colour draws fully opaque.
    TSafetyBitmap opaque(indexed);
    opaque.SetTransparentColor(0xFF0000);
    opaque.SetTransparent(true);
    QImage t2(4, 1, QImage::Format_RGB32);
    t2.fill(qRgb(9, 9, 9));
    platform::Canvas c2(t2);
    opaque.Draw(c2, {0, 0, 4, 1});
    for (int x = 0; x < 4; ++x) EXPECT_NE(t2.pixel(x, 0), qRgb(9, 9, 9));
}

TEST(ImageData, ChangeHandlingAndProcessedPicture) {
    TImageData d;
    Counter c;
    d.Notify().AddListener(&c.listener);
    d.Picture()->SetGraphic(std::make_unique<TSafetyBitmap>(Colourful(10, 8)));
    EXPECT_EQ(c.clipReset, 1);
    EXPECT_EQ(c.pictureChanged, 1);
    EXPECT_EQ(c.changed, 1);
    d.Picture()->Bitmap().SetImage(Colourful(10, 9));  // only the height: the clip stays
    EXPECT_EQ(c.clipReset, 1);
    d.Picture()->Bitmap().SetImage(Colourful(12, 6));  // both: the clip is reset
    EXPECT_EQ(c.clipReset, 2);
    EXPECT_EQ(d.LastSeenSize(), QSize(12, 6));

    QImage img = Colourful(12, 6);
    img.setPixel(0, 0, qRgb(200, 100, 50));
    d.Picture()->Bitmap().SetImage(img);
    const TPictureEx& plain = d.ProcessedPicture();
    EXPECT_FALSE(plain.Empty());
    EXPECT_FALSE(plain.Graphic()->Transparent());
    EXPECT_FALSE(d.UsesTransparency());

    const int before = c.changed;
    d.SetTransparentColor(platform::makeColor(200, 100, 50));
    EXPECT_EQ(c.changed, before + 1);
    EXPECT_TRUE(d.CachedProcessedPicture().Empty());  // dropped by the change
    EXPECT_TRUE(d.UsesTransparency());
    const TPictureEx& processed = d.ProcessedPicture();
    ASSERT_TRUE(processed.IsBitmap());
    const auto& pb = static_cast<const TSafetyBitmap&>(*processed.Graphic());
    EXPECT_TRUE(pb.Transparent());
    EXPECT_EQ(pb.Mask().pixelIndex(0, 0), 1);
    EXPECT_EQ(pb.Mask().pixelIndex(1, 0), 0);

    // A JPEG source with a transparent colour is processed as a bitmap.
    TImageData j;
    auto jpeg = std::make_unique<TSafetyJPEGImage>();
    jpeg->SetBytes(Jpeg(16, 16));
    j.Picture()->SetGraphic(std::move(jpeg));
    j.SetTransparentColor(0xFFFFFF);
    EXPECT_TRUE(j.ProcessedPicture().IsBitmap());

    // Assignment sends one change.
    TImageData copy;
    Counter cc;
    copy.Notify().AddListener(&cc.listener);
    copy.Assign(d);
    EXPECT_EQ(cc.changed, 1);
    EXPECT_EQ(copy.TransparentColor(), d.TransparentColor());
    EXPECT_FALSE(copy.CachedProcessedPicture().Empty());

    // Stored: the picture's sub-properties and the transparent colour when set.
    TImageHolder holder;
    holder.ImageData()->Assign(d);
    TMemoryStream s;
    WriteComponentStream(s, holder);
    EXPECT_TRUE(s.Data().contains("ImageData.Picture.Data"));
    EXPECT_TRUE(s.Data().contains("ImageData.TransparentColor"));
    s.SetPosition(0);
    TImageHolder back;
    Counter cb;
    back.ImageData()->Notify().AddListener(&cb.listener);
    ReadComponentStream(s, &back);
    EXPECT_EQ(back.ImageData()->TransparentColor(), d.TransparentColor());
    EXPECT_EQ(back.ImageData()->Picture()->Width(), 12);
    EXPECT_EQ(cb.clipReset, 1);
    holder.ImageData()->SetTransparentColor(clNone);
    TMemoryStream s2;
    WriteComponentStream(s2, holder);
    EXPECT_FALSE(s2.Data().contains("TransparentColor"));  // the default is not stored

    d.Picture()->Clear();
    EXPECT_TRUE(d.ProcessedPicture().Empty());
}

TEST(PictureLoader, LimitsExifAndFailures) {
    TempDir dir;
    const QString plain = dir.write(QStringLiteral("p.jpg"), Jpeg(400, 200));
    const QString exif = dir.write(QStringLiteral("e.jpg"), Jpeg(400, 200, true));
    TPictureEx dest;
    LoadPicture(dest, plain);
    EXPECT_EQ(dest.ImageID(), QFileInfo(plain).absoluteFilePath());
    EXPECT_TRUE(dest.IsJpeg());

    SetPictureLoadLimit(100);
    LoadPicture(dest, plain);
    ASSERT_TRUE(dest.IsBitmap());
    EXPECT_EQ(QSize(dest.Width(), dest.Height()), QSize(100, 50));
    LoadPicture(dest, exif);  // Exif photos keep their size
    EXPECT_TRUE(dest.IsJpeg());
    EXPECT_EQ(dest.Width(), 400);
    SetPictureLoadLimit(0);

    EXPECT_EQ(FitInsideSquare(QSize(5000, 4000), 1600), QSize(1600, 1280));
    EXPECT_EQ(FitInsideSquare(QSize(3, 1000), 100), QSize(1, 100));  // never a zero side

    // Failures: one message, the destination unchanged.
    const QString bad = dir.write(QStringLiteral("bad.png"), "not a png");
    EXPECT_EQ(messageOf([&] { LoadPicture(dest, bad); }), "イメージの読み込みに失敗しました");
    EXPECT_EQ(messageOf([&] { LoadPicture(dest, dir.file(QStringLiteral("missing.bmp"))); }),
              "イメージの読み込みに失敗しました");
    EXPECT_EQ(messageOf([&] { LoadPicture(dest, dir.write(QStringLiteral("x.txt"), "x")); }),
              "イメージの読み込みに失敗しました");
    EXPECT_TRUE(dest.IsJpeg());
    EXPECT_EQ(dest.ImageID(), QFileInfo(exif).absoluteFilePath());
}

TEST(TemporaryPicture, SpillsIntoAPrivateFolder) {
    TempDir dir;
    ScopedEnv tmp("TMPDIR", dir.path());
    TPictureEx picture;
    picture.SetImageID(QStringLiteral("id"));
    picture.SetGraphic(std::make_unique<TSafetyBitmap>(Colourful(5, 4)));
    const QString file = TTemporaryPicture::Spill(picture);
    // The folder is the user's own, named with the user's id.
    const QString own = QStringLiteral("vellumo-%1.tmp").arg(qulonglong(::geteuid()));
    EXPECT_TRUE(file.startsWith(dir.file(own) + QStringLiteral("/vlw"))) << qPrintable(file);
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(dir.file(own)).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.readAll().contains("IMAGEDATA"));

    TPictureEx back;
    TTemporaryPicture::ReadBack(file, back);
    EXPECT_EQ(back.ImageID(), "id");
    EXPECT_EQ(back.Bitmap().Image().pixel(4, 3), Colourful(5, 4).pixel(4, 3));
    TTemporaryPicture::Delete(file);
    EXPECT_FALSE(QFile::exists(file));
    EXPECT_NE(LookupClass(u"TTemporaryPicture"), nullptr);

    // An existing folder open to others is closed; a link in its place is refused.
    ::chmod(QFile::encodeName(dir.file(own)).constData(), 0777);
    TemporaryPictureFolder();
    ::stat(QFile::encodeName(dir.file(own)).constData(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    TempDir other;
    ScopedEnv tmp2("TMPDIR", other.path());
    QDir(other.path()).mkdir(QStringLiteral("elsewhere"));
    ASSERT_TRUE(QFile::link(other.file(QStringLiteral("elsewhere")), other.file(own)));
    EXPECT_TRUE(messageOf([&] { TTemporaryPicture::Spill(picture); }).startsWith("一時フォルダ"));
}

TEST(Resources, ResFileAndLoader) {
    // A .res file: the empty first entry, then a bitmap named "LOGO" and a CBM numbered 7.
    auto entry = [](const QByteArray& type, const QByteArray& name, const QByteArray& data) {
        QByteArray header = type + name + le32(0) + le16(0) + le16(0) + le32(0) + le32(0);
        while ((8 + header.size()) % 4) header += '\0';
        QByteArray e = le32(std::uint32_t(data.size())) + le32(std::uint32_t(8 + header.size())) +
                       header + data;
        while (e.size() % 4) e += '\0';
        return e;
    };
    auto utf16 = [](const char* s) {
        QByteArray b;
        for (const char* p = s; *p; ++p) b += le16(*p);
        return b + le16(0);
    };
    auto number = [](int n) { return le16(0xFFFF) + le16(n); };
    const QImage img = Colourful(6, 5);
    const QByteArray dib = codecs::WriteBmp(img).mid(14);
    QByteArray res = entry(number(0), number(0), {});
    res += entry(number(2), utf16("LOGO"), dib);
    res += entry(utf16("CBM"), number(7), codecs::Compress(codecs::WriteBmp(img)));
    TempDir dir;
    const QString path = dir.write(QStringLiteral("pics.res"), res);

    TResStream s(path, 2, QStringLiteral("logo"));
    EXPECT_EQ(s.Size(), dib.size());
    EXPECT_EQ(messageOf([&] { TResStream(path, 2, QStringLiteral("NONE")); }),
              "NONE リソースが見つかりません");
    QByteArray broken = res;
    broken.replace(32, 4, le32(0x7FFFFFFF));  // the second entry's data runs past the end
    const QString brokenPath = dir.write(QStringLiteral("broken.res"), broken);
    EXPECT_THROW(TResStream(brokenPath, 2, QStringLiteral("LOGO")), Exception);

    TPictureEx picture;
    TResourceImageLoader loader(&picture);
    loader.SetReady(true);
    loader.SetResFile(QDir(QCoreApplication::applicationDirPath()).relativeFilePath(path));
    loader.SetResType(QStringLiteral("RT_BITMAP"));
    EXPECT_TRUE(picture.Empty());  // no name yet
    loader.SetResName(QStringLiteral("LOGO"));
    ASSERT_TRUE(picture.IsBitmap());
    EXPECT_EQ(picture.Bitmap().Image().pixel(5, 4), img.pixel(5, 4));
    EXPECT_TRUE(picture.FromResource());

    TPictureEx packed;
    TResourceImageLoader second(&packed);
    second.SetReady(true);
    second.Assign(loader);
    EXPECT_TRUE(packed.FromResource());
    second.SetAutoLoad(false);
    second.SetResType(QStringLiteral("cbm"));  // a change clears the flag
    second.SetResName(QStringLiteral("#7"));   // a number
    EXPECT_FALSE(packed.FromResource());
    second.LoadNow();
    EXPECT_TRUE(packed.FromResource());
    EXPECT_EQ(packed.Bitmap().Image().pixel(3, 2), img.pixel(3, 2));
    second.SetResName(QStringLiteral("#8"));
    EXPECT_EQ(messageOf([&] { second.LoadNow(); }), "#8 リソースが見つかりません");
}

TEST(SafetyBitmap, RotationKeepsTransparency) {
    QImage img(20, 10, QImage::Format_BGR888);
    img.fill(qRgb(0, 0, 200));
    img.setPixel(0, 0, qRgb(0, 255, 0));  // the transparent colour, in one corner
    TSafetyBitmap b(img);
    const auto opaque = RotateKeepingTransparency(b, 0, 20, 10);
    EXPECT_FALSE(opaque->Transparent());
    EXPECT_EQ(opaque->Image().size(), QSize(20, 10));
    EXPECT_EQ(RotateKeepingTransparency(b, 90, 20, 10)->Image().size(), QSize(10, 20));

    b.SetTransparentColor(platform::makeColor(0, 255, 0));
    b.SetTransparent(true);
    const auto turned = RotateKeepingTransparency(b, 45, 20, 10);
    ASSERT_TRUE(turned->Transparent());
    const QImage& mask = turned->Mask();
    const int w = mask.width(), h = mask.height();
    // The four corner triangles are transparent, the middle is not.
    EXPECT_EQ(mask.pixelIndex(0, 0), 1);
    EXPECT_EQ(mask.pixelIndex(w - 1, 0), 1);
    EXPECT_EQ(mask.pixelIndex(0, h - 1), 1);
    EXPECT_EQ(mask.pixelIndex(w - 1, h - 1), 1);
    EXPECT_EQ(mask.pixelIndex(w / 2, h / 2), 0);
    EXPECT_FALSE(turned->MaskCache().MaskDirty());  // the turned mask, not one rebuilt from colours
}
