// The picture data record of every graphic kind, the compressed bitmap, the registry and
// damaged records.
#include "document/stream/Stream.h"
#include "imaging/codecs/Bmp.h"
#include "imaging/codecs/Container.h"
#include "imaging/codecs/Png.h"
#include "imaging/picture/GraphicRegistry.h"
#include "imaging/picture/Icon.h"
#include "imaging/picture/JpegImage.h"
#include "imaging/picture/Metafile.h"
#include "imaging/picture/PictureData.h"
#include "imaging/picture/PictureEx.h"
#include "imaging/picture/PngImage.h"
#include "imaging/picture/SafetyBitmap.h"
#include "platform/Exception.h"
#include "tests/imaging/picture/PictureSamples.h"
#include "tests/support/ErrorText.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

using namespace samples;

namespace {

QByteArray record(const TPictureEx& p) {
    TMemoryStream s;
    WritePictureData(p, s);
    return s.Data();
}

// Reads a record followed by a marker, checking that the reader stops exactly at its end.
void readBack(TPictureEx& p, const QByteArray& bytes) {
    TMemoryStream s(bytes + "MARK");
    ReadPictureData(p, s);
    char mark[4];
    ASSERT_EQ(s.Read(mark, 4), 4);
    EXPECT_EQ(QByteArray(mark, 4), "MARK");
}

QByteArray tagged(const QByteArray& tag) {
    return QByteArray(1, char(tag.size())) + tag;
}

bool samePixels(const QImage& a, const QImage& b) {
    if (a.size() != b.size()) return false;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y)) return false;
    return true;
}

}  // namespace

TEST(PictureRecord, BytesOfEachKind) {
    TPictureEx p;
    EXPECT_EQ(record(p), QByteArray(1, '\0'));  // no graphic: an empty tag

    const QImage img = Colourful(5, 3);
    p.SetGraphic(std::make_unique<TSafetyBitmap>(img));
    const QByteArray bmp = codecs::WriteBmp(img);
    EXPECT_EQ(record(p), tagged("TSafetyBitmap") + le32(std::uint32_t(bmp.size())) + bmp);

    const QByteArray jpeg = Jpeg(16, 8);
    auto j = std::make_unique<TSafetyJPEGImage>();
    j->SetBytes(jpeg);
    p.SetGraphic(std::move(j));
    EXPECT_EQ(record(p), tagged("TSafetyJPEGImage") + le32(std::uint32_t(jpeg.size())) + jpeg);

    const QByteArray png = codecs::EncodePng(img);
    auto n = std::make_unique<TPNGImage>();
    n->SetBytes(png);
    p.SetGraphic(std::move(n));
    EXPECT_EQ(record(p), tagged("TPNGImage") + png);  // no length prefix

    const QByteArray emf = Emf(2540, 1270, 12);
    auto m = std::make_unique<TMetafile>();
    m->SetBytes(emf);
    p.SetGraphic(std::move(m));
    EXPECT_EQ(record(p), tagged("TMetafile") + le32(std::uint32_t(emf.size() + 4)) + emf);

    const QByteArray ico = Icon(8, 4);
    auto i = std::make_unique<TIcon>();
    i->SetBytes(ico);
    p.SetGraphic(std::move(i));
    EXPECT_EQ(record(p), tagged("TIcon") + ico);

    // Every kind reads back to the same record, stopping at its end.
    for (const QByteArray& r :
         {tagged("TSafetyBitmap") + le32(std::uint32_t(bmp.size())) + bmp,
          tagged("TSafetyJPEGImage") + le32(std::uint32_t(jpeg.size())) + jpeg,
          tagged("TPNGImage") + png,
          tagged("TMetafile") + le32(std::uint32_t(emf.size() + 4)) + emf, tagged("TIcon") + ico}) {
        TPictureEx q;
        readBack(q, r);
        EXPECT_EQ(record(q), r);
        EXPECT_FALSE(q.Empty());
    }
}

TEST(PictureRecord, TagsAndEmptyPictures) {
    const QImage img = Colourful(4, 4);
    const QByteArray bmp = codecs::WriteBmp(img);
    TPictureEx a, b;
    readBack(a, tagged("TBitmap") + le32(std::uint32_t(bmp.size())) + bmp);
    readBack(b, tagged("TSafetyBitmap") + le32(std::uint32_t(bmp.size())) + bmp);
    ASSERT_TRUE(a.IsBitmap());
    EXPECT_EQ(record(a), record(b));  // written back under the safe bitmap's tag
    EXPECT_TRUE(samePixels(a.Bitmap().Image(), img));

    const QByteArray jpeg = Jpeg(8, 8);
    TPictureEx c;
    readBack(c, tagged("TJPEGImage") + le32(std::uint32_t(jpeg.size())) + jpeg);
    EXPECT_TRUE(c.IsJpeg());

    TPictureEx d;
    d.SetGraphic(std::make_unique<TSafetyBitmap>(img));
    TMemoryStream empty(QByteArray(1, '\0'));
    ReadPictureData(d, empty);
    EXPECT_EQ(d.Graphic(), nullptr);
    TMemoryStream unknown(tagged("TGIFImage") + "whatever");
    d.SetGraphic(std::make_unique<TSafetyBitmap>(img));
    ReadPictureData(d, unknown);
    EXPECT_TRUE(d.Empty());

    // A metafile length of 4 or less is an empty metafile; an empty bitmap stores length 0.
    TPictureEx e;
    readBack(e, tagged("TMetafile") + le32(4));
    EXPECT_TRUE(e.Empty());
    e.SetGraphic(std::make_unique<TSafetyBitmap>());
    EXPECT_EQ(record(e), tagged("TSafetyBitmap") + le32(0));
    TPictureEx f;
    readBack(f, record(e));
    EXPECT_TRUE(f.IsBitmap() && f.Empty());
}

TEST(PictureRecord, CompressedBitmapLoadsLikeThePlainOne) {
    const QImage img = Colourful(7, 5, QImage::Format_Indexed8);
    const QByteArray bmp = codecs::WriteBmp(img);
    const QByteArray cbm = codecs::Compress(bmp);
    EXPECT_TRUE(cbm.startsWith(QByteArray("ZLIBCompress\x1A", 13)));
    EXPECT_EQ(cbm.mid(13, 4), le32(std::uint32_t(bmp.size())));
    EXPECT_EQ(cbm.mid(17, 2), QByteArray("\x78\xDA", 2));  // level 9

    TempDir dir;
    TPictureEx plain, packed;
    plain.LoadFromFile(dir.write(QStringLiteral("a.BMP"), bmp));
    packed.LoadFromFile(dir.write(QStringLiteral("a.cbm"), cbm));
    ASSERT_TRUE(packed.IsBitmap());
    EXPECT_TRUE(samePixels(plain.Bitmap().Image(), packed.Bitmap().Image()));

    // A container inside a bitmap record reads too, and the reader stops after it.
    TPictureEx p;
    readBack(p, tagged("TSafetyBitmap") + le32(std::uint32_t(cbm.size())) + cbm);
    EXPECT_TRUE(samePixels(p.Bitmap().Image(), img));

    // Only the signature's first 12 bytes: plain data, so not a bitmap.
    TMemoryStream twelve(cbm.left(12) + bmp);
    TSafetyBitmap b;
    EXPECT_EQ(messageOf([&] { b.LoadFromStream(twelve); }), "ビットマップイメージが不正です");

    // A device-independent bitmap from the clipboard has no file header.
    b.LoadFromDib(bmp.mid(14));
    EXPECT_TRUE(samePixels(b.Image(), img));

    // A file stream (not in memory) reads the headers first, then what they declare.
    const QString path = dir.write(QStringLiteral("b.bmp"), bmp + "tail");
    TFileStream file(path, TFileStream::OpenRead);
    b.LoadFromStream(file);
    EXPECT_EQ(file.Position(), bmp.size());
    EXPECT_TRUE(samePixels(b.Image(), img));
    // A core-header file shorter than an information header.
    QByteArray core =
        "BM" + QByteArray(12, '\0') + le32(12) + le16(1) + le16(1) + le16(1) + le16(1);
    core += QByteArray("\x00\x00\x00\xFF\xFF\xFF", 6) + QByteArray("\x80\0\0\0", 4);
    TFileStream coreFile(dir.write(QStringLiteral("core.bmp"), core), TFileStream::OpenRead);
    b.LoadFromStream(coreFile);
    EXPECT_EQ(b.Image().pixel(0, 0), qRgb(255, 255, 255));
}

TEST(PictureRecord, JpegAndPngBytesStayUnchanged) {
    const QByteArray jpeg = Jpeg(40, 30, true);
    TempDir dir;
    TPictureEx p;
    p.LoadFromFile(dir.write(QStringLiteral("photo.JPEG"), jpeg));
    ASSERT_TRUE(p.IsJpeg());
    EXPECT_TRUE(p.Jpeg().HasExif());
    p.Jpeg().Decode();
    p.Jpeg().SetScale(4);
    EXPECT_EQ(p.Width(), 10);
    TPictureEx copy;
    copy.Assign(p);
    TPictureEx back;
    readBack(back, record(copy));
    EXPECT_EQ(back.Jpeg().Bytes(), jpeg);
    back.SaveToFile(dir.file(QStringLiteral("again.jpg")));
    QFile again(dir.file(QStringLiteral("again.jpg")));
    ASSERT_TRUE(again.open(QIODevice::ReadOnly));
    EXPECT_EQ(again.readAll(), jpeg);

    // The tRNS colour of a PNG makes it transparent in that colour and survives the record.
    QImage img = Colourful(6, 6);
    const QByteArray png = codecs::EncodePng(img, qRgb(1, 2, 3));
    TPictureEx q;
    readBack(q, tagged("TPNGImage") + png);
    const auto* n = dynamic_cast<const TPNGImage*>(q.Graphic());
    ASSERT_NE(n, nullptr);
    EXPECT_TRUE(n->Transparent());
    EXPECT_EQ(*n->TransparentRgb() & 0xFFFFFF, qRgb(1, 2, 3) & 0xFFFFFF);
    EXPECT_EQ(n->Bytes(), png);
}

TEST(PictureRecord, MetafilesKeepTheirBytes) {
    TempDir dir;
    const QByteArray wmf = PlaceableWmf(1440, 720, 1440);
    TPictureEx p;
    p.LoadFromFile(dir.write(QStringLiteral("clip.wmf"), wmf));
    EXPECT_EQ(p.Width(), 96);
    EXPECT_EQ(p.Height(), 48);
    TPictureEx copy;
    copy.Assign(p);
    TPictureEx back;
    readBack(back, record(copy));
    EXPECT_EQ(static_cast<const TMetafile*>(back.Graphic())->Bytes(), wmf);

    const QByteArray emf = Emf(5080, 2540, 100);
    p.LoadFromFile(dir.write(QStringLiteral("clip.emf"), emf));
    EXPECT_EQ(p.Width(), 192);
    readBack(back, record(p));
    EXPECT_EQ(static_cast<const TMetafile*>(back.Graphic())->Bytes(), emf);

    // A header without records plays nothing.
    QImage canvasImage(40, 20, QImage::Format_RGB32);
    canvasImage.fill(qRgb(0, 0, 0));
    platform::Canvas canvas(canvasImage);
    back.Draw(canvas, {0, 0, 40, 20});
    EXPECT_EQ(canvasImage.pixel(20, 10), qRgb(0, 0, 0));

    EXPECT_EQ(
        messageOf([&] { p.LoadFromFile(dir.write(QStringLiteral("bad.wmf"), "not a metafile")); }),
        "メタファイルが不正です");
    // Stored bytes of an unknown layout are kept through a record, not refused.
    const QByteArray odd = tagged("TMetafile") + le32(4 + 6) + QByteArray("\1\0\11\0\0\3", 6);
    TPictureEx kept;
    readBack(kept, odd);
    EXPECT_FALSE(kept.Empty());
    EXPECT_EQ(record(kept), odd);
    // Bytes the player does not understand draw the error picture.
    kept.Draw(canvas, {0, 0, 40, 20});
    EXPECT_NE(canvasImage.pixel(20, 10), qRgb(0, 0, 0));
}

TEST(PictureRecord, DamagedRecordsRaiseTheKindsMessage) {
    const QByteArray bmp = codecs::WriteBmp(Colourful(6, 4));
    const QByteArray jpeg = Jpeg(8, 8);
    const QByteArray png = codecs::EncodePng(Colourful(6, 4));
    const std::vector<QByteArray> records = {
        tagged("TSafetyBitmap") + le32(std::uint32_t(bmp.size())) + bmp,
        tagged("TSafetyJPEGImage") + le32(std::uint32_t(jpeg.size())) + jpeg,
        tagged("TPNGImage") + png,
        tagged("TMetafile") + le32(92) + Emf(100, 100),
        tagged("TIcon") + Icon(4, 4),
    };
    for (const QByteArray& r : records) {
        // Every truncation raises; the picture keeps what it had.
        for (qsizetype n = 1; n < r.size(); n += std::max<qsizetype>(1, r.size() / 97)) {
            TPictureEx p;
            p.SetGraphic(std::make_unique<TSafetyBitmap>(Colourful(2, 2)));
            TMemoryStream s(r.left(n));
            EXPECT_THROW(ReadPictureData(p, s), Exception)
                << r.left(20).toHex().constData() << " at " << n;
            EXPECT_EQ(p.Width(), 2);
        }
    }
    // Declared lengths far beyond the data are refused before anything is allocated.
    TPictureEx p;
    TMemoryStream huge(tagged("TSafetyJPEGImage") + le32(0x7FFFFFF0) + jpeg);
    EXPECT_TRUE(messageOf([&] { ReadPictureData(p, huge); }).startsWith("JPEG イメージが不正です"));
    TMemoryStream negative(tagged("TMetafile") + le32(0x80000000u) + "x");
    EXPECT_TRUE(p.Empty());
    ReadPictureData(p, negative);  // a negative length is at most 4: an empty metafile
    EXPECT_TRUE(p.Empty());
    QByteArray longChunk = png;
    longChunk.replace(8, 4, QByteArray("\x7F\xFF\xFF\xF0", 4));
    TMemoryStream chunk(tagged("TPNGImage") + longChunk);
    EXPECT_TRUE(messageOf([&] { ReadPictureData(p, chunk); }).startsWith("PNG イメージが不正です"));
    QByteArray bigBmp = bmp;
    bigBmp.replace(18, 4, le32(0x7FFFFFFF));
    TMemoryStream bad(tagged("TSafetyBitmap") + le32(std::uint32_t(bigBmp.size())) + bigBmp);
    EXPECT_EQ(messageOf([&] { ReadPictureData(p, bad); }), "ビットマップイメージが不正です");
    QByteArray notBm = bmp;
    notBm[1] = 'X';
    TMemoryStream nb(tagged("TBitmap") + le32(std::uint32_t(notBm.size())) + notBm);
    EXPECT_EQ(messageOf([&] { ReadPictureData(p, nb); }), "ビットマップイメージが不正です");
    QByteArray icon = Icon(4, 4);
    icon.replace(6 + 8, 4, le32(0x7FFFFFFF));  // an image larger than the file
    TMemoryStream ic(tagged("TIcon") + icon);
    EXPECT_EQ(messageOf([&] { ReadPictureData(p, ic); }), "アイコンイメージが不正です");
}

TEST(GraphicRegistry, ExtensionsAndLatestRegistration) {
    EXPECT_STREQ(CreateGraphicForExtension(QStringLiteral("BMP"))->ClassTag(), "TSafetyBitmap");
    EXPECT_STREQ(CreateGraphicForExtension(QStringLiteral(".cbm"))->ClassTag(), "TSafetyBitmap");
    EXPECT_STREQ(CreateGraphicForExtension(QStringLiteral("jpeg"))->ClassTag(), "TSafetyJPEGImage");
    EXPECT_STREQ(CreateGraphicForExtension(QStringLiteral("Png"))->ClassTag(), "TPNGImage");
    EXPECT_STREQ(CreateGraphicForExtension(QStringLiteral("emf"))->ClassTag(), "TMetafile");
    EXPECT_STREQ(CreateGraphicForExtension(QStringLiteral("ico"))->ClassTag(), "TIcon");
    EXPECT_EQ(CreateGraphicForExtension(QStringLiteral("gif")), nullptr);
    // A later registration for an extension wins.
    RegisterGraphicKind({QStringLiteral("TMetafile"),
                         {QStringLiteral("xyz")},
                         [] { return std::make_unique<TMetafile>(); },
                         {}});
    RegisterGraphicKind({QStringLiteral("TIcon"),
                         {QStringLiteral("XYZ")},
                         [] { return std::make_unique<TIcon>(); },
                         {}});
    EXPECT_STREQ(CreateGraphicForExtension(QStringLiteral("xyz"))->ClassTag(), "TIcon");
    TPictureEx p;
    EXPECT_EQ(messageOf([&] { p.LoadFromFile(QStringLiteral("/nowhere/a.gif")); }),
              "不明な拡張子のファイルです (gif)");
}

TEST(Icon, DrawsThroughItsMask) {
    TIcon icon;
    icon.SetBytes(Icon(8, 4));
    EXPECT_EQ(icon.Width(), 8);
    EXPECT_EQ(icon.Height(), 4);
    QImage target(8, 4, QImage::Format_RGB32);
    target.fill(qRgb(0, 0, 255));
    platform::Canvas canvas(target);
    icon.Draw(canvas, {0, 0, 8, 4});
    EXPECT_EQ(target.pixel(1, 1), qRgb(0, 0, 255));         // masked half: unchanged
    EXPECT_EQ(target.pixel(6, 1), qRgb(0xF0, 0x80, 0x10));  // opaque half: the icon's colour
}
