#include "imaging/codecs/Bmp.h"
#include "imaging/codecs/Container.h"
#include "imaging/codecs/Jpeg.h"
#include "imaging/codecs/Png.h"
#include "platform/Exception.h"
#include "tests/support/QtPrinters.h"

#include <gtest/gtest.h>
#include <random>

using namespace codecs;

namespace {

QImage sample(QImage::Format f, int w = 13, int h = 7) {
    QImage img(w, h, f);
    if (f == QImage::Format_Indexed8) {
        QList<QRgb> t;
        for (int i = 0; i < 256; ++i) t << qRgb(i, 255 - i, (i * 7) & 255);
        img.setColorTable(t);
    }
    if (f == QImage::Format_Mono) img.setColorTable({qRgb(10, 20, 30), qRgb(200, 210, 220)});
    std::mt19937 rng(7);
    for (int y = 0; y < h; ++y)
        for (qsizetype i = 0; i < img.bytesPerLine(); ++i) img.scanLine(y)[i] = uchar(rng());
    if (f == QImage::Format_RGB32)
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) img.setPixel(x, y, img.pixel(x, y) | 0xFF000000u);
    return img;
}

bool samePixels(const QImage& a, const QImage& b) {
    if (a.size() != b.size()) return false;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y)) return false;
    return true;
}

QByteArray le16(int v) {
    return QByteArray(1, char(v & 255)) + char((v >> 8) & 255);
}
QByteArray le32(std::uint32_t v) {
    return le16(int(v & 0xFFFF)) + le16(int(v >> 16));
}

TEST(Bmp, EveryFormatRoundTrips) {
    for (QImage::Format f : {QImage::Format_Mono, QImage::Format_Indexed8, QImage::Format_RGB555,
                             QImage::Format_RGB16, QImage::Format_BGR888, QImage::Format_RGB32}) {
        const QImage img = sample(f);
        const QByteArray file = WriteBmp(img);
        EXPECT_TRUE(file.startsWith("BM"));
        qsizetype used = 0;
        const QImage back = ReadBmp(file + "trailing bytes", &used);
        EXPECT_EQ(used, file.size()) << f;
        EXPECT_EQ(back.format(), f);
        EXPECT_TRUE(samePixels(img, back)) << f;
    }
    QImage grey(5, 3, QImage::Format_Grayscale8);
    grey.fill(77);
    const QImage g = ReadBmp(WriteBmp(grey));
    EXPECT_EQ(g.format(), QImage::Format_Indexed8);
    EXPECT_EQ(g.pixel(4, 2), qRgb(77, 77, 77));
}

TEST(Bmp, CoreHeaderPaletteIsWidened) {
    // 2 x 2, 1 bit, a core header with its two 3-byte palette entries.
    QByteArray f = "BM" + le32(0) + le32(0) + le32(0);
    f += le32(12) + le16(2) + le16(2) + le16(1) + le16(1);
    f += QByteArray(
        "\x10\x20\x30"
        "\xA0\xB0\xC0",
        6);
    f += QByteArray(
        "\x40\x00\x00\x00"
        "\xC0\x00\x00\x00",
        8);  // bottom row "01", top row "11"
    const QImage img = ReadBmp(f);
    EXPECT_EQ(img.format(), QImage::Format_Mono);
    EXPECT_EQ(img.pixel(0, 1), qRgb(0x30, 0x20, 0x10));  // bottom-left: index 0
    EXPECT_EQ(img.pixel(1, 1), qRgb(0xC0, 0xB0, 0xA0));
    EXPECT_EQ(img.pixel(0, 0), qRgb(0xC0, 0xB0, 0xA0));
}

TEST(Bmp, PixelsFollowTheTableWhateverTheOffsetSays) {
    QByteArray f = WriteBmp(sample(QImage::Format_BGR888, 3, 2));
    const QImage expected = ReadBmp(f);
    f.replace(10, 4, le32(5000));  // the pixel offset field points far away
    EXPECT_TRUE(samePixels(ReadBmp(f), expected));
}

TEST(Bmp, TopDownAndRunLengthData) {
    QByteArray info = le32(40) + le32(4) + le32(std::uint32_t(-2)) + le16(1) + le16(24) + le32(0) +
                      le32(0) + le32(0) + le32(0) + le32(0) + le32(0);
    QByteArray rows = QByteArray(
                          "\x00\x00\xFF"
                          "\x00\xFF\x00"
                          "\xFF\x00\x00"
                          "\x00\x00\x00",
                          12) +
                      QByteArray(12, '\xFF');
    const QImage top = ReadBmp("BM" + QByteArray(12, '\0') + info + rows);
    EXPECT_EQ(top.pixel(0, 0), qRgb(255, 0, 0));  // first row in the file is the top row
    EXPECT_EQ(top.pixel(0, 1), qRgb(255, 255, 255));

    // RLE8, 4 x 2: bottom row "3 x index 1, then 2", top row absolute "0 1 0 1".
    QByteArray rle = QByteArray(
        "\x03\x01\x01\x02\x00\x00"
        "\x00\x04\x00\x01\x00\x01"
        "\x00\x01",
        14);
    QByteArray hdr = le32(40) + le32(4) + le32(2) + le16(1) + le16(8) + le32(1) +
                     le32(std::uint32_t(rle.size())) + le32(0) + le32(0) + le32(3) + le32(0);
    QByteArray table = le32(0x000000) + le32(0xFFFFFF) + le32(0x0000FF);
    const QImage r = ReadBmp("BM" + QByteArray(12, '\0') + hdr + table + rle);
    EXPECT_EQ(r.pixelIndex(0, 1), 1);
    EXPECT_EQ(r.pixelIndex(3, 1), 2);
    EXPECT_EQ(r.pixelIndex(0, 0), 0);
    EXPECT_EQ(r.pixelIndex(1, 0), 1);
}

TEST(Bmp, DamagedFilesRaiseAndNeverCrash) {
    const QByteArray good = WriteBmp(sample(QImage::Format_Indexed8, 9, 5));
    for (qsizetype n = 0; n < good.size(); ++n) EXPECT_THROW(ReadBmp(good.left(n)), Exception) << n;
    QByteArray huge = good;
    huge.replace(18, 4, le32(60000));
    huge.replace(22, 4, le32(60000));  // 3.6 gigapixels in a tiny file
    EXPECT_THROW(ReadBmp(huge), Exception);
    QByteArray colours = good;
    colours.replace(46, 4, le32(0x7FFFFFFF));
    EXPECT_THROW(ReadBmp(colours), Exception);
    // Plane and bit counts are 16-bit fields: their product must be a bitmap depth.
    for (const auto& [planes, bitCount] : {std::pair{0xFFFF, 0xFFFF}, {3, 3}, {1, 2}, {1, 0}}) {
        QByteArray depth = good;
        depth.replace(26, 2, le16(planes));
        depth.replace(28, 2, le16(bitCount));
        EXPECT_THROW(ReadBmp(depth), Exception) << planes << " x " << bitCount;
    }
    QByteArray notBmp = good;
    notBmp[0] = 'X';
    try {
        ReadBmp(notBmp);
        FAIL();
    } catch (const Exception& e) {
        EXPECT_EQ(e.message(), "ビットマップイメージが不正です");
    }
}

TEST(Container, RoundTripAndDetection) {
    const QByteArray bmp = WriteBmp(sample(QImage::Format_BGR888, 40, 30));
    const QByteArray cbm = Compress(bmp);
    EXPECT_TRUE(cbm.startsWith(QByteArray("ZLIBCompress\x1A", 13)));
    EXPECT_EQ(cbm.mid(17, 2), QByteArray("\x78\xDA", 2));  // level 9
    qsizetype used = 0;
    EXPECT_EQ(Decompress(cbm + "after", &used), bmp);
    EXPECT_EQ(used, cbm.size());
    EXPECT_TRUE(samePixels(ReadBmp(Decompress(cbm)), ReadBmp(bmp)));
    EXPECT_FALSE(HasContainerSignature(QByteArray("ZLIBCompress")));  // 12 bytes only: plain data
    EXPECT_EQ(Decompress(Compress(QByteArray())), QByteArray());
}

TEST(Container, DamagedStreamsRaise) {
    const QByteArray cbm = Compress(QByteArray(100000, 'x'));
    for (qsizetype n : {qsizetype(13), qsizetype(17), qsizetype(20), cbm.size() - 1})
        EXPECT_THROW(Decompress(cbm.left(n)), Exception) << n;
    QByteArray shorter = cbm;
    shorter.replace(13, 4, le32(99999));
    EXPECT_THROW(Decompress(shorter), Exception);
    QByteArray longer = cbm;
    longer.replace(13, 4, le32(100001));
    EXPECT_THROW(Decompress(longer), Exception);
    QByteArray garbage = cbm;
    garbage[30] = char(garbage[30] ^ 0x55);
    EXPECT_THROW(Decompress(garbage), Exception);
    // A declared length of 4 GB with a tiny stream fails without allocating it.
    QByteArray lying = cbm;
    lying.replace(13, 4, le32(0xFFFFFFFF));
    EXPECT_THROW(Decompress(lying), Exception);
}

}  // namespace

namespace {

QImage gradient(int w, int h) {
    QImage img(w, h, QImage::Format_BGR888);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) img.setPixelColor(x, y, QColor(x * 255 / w, y * 255 / h, 128));
    return img;
}

TEST(Jpeg, ScaledDecodingAndInfo) {
    const QByteArray file = EncodeJpeg(gradient(160, 96), 95);
    const JpegInfo info = ReadJpegInfo(file);
    EXPECT_EQ(info.width, 160);
    EXPECT_EQ(info.height, 96);
    EXPECT_EQ(info.components, 3);
    EXPECT_FALSE(info.hasExif);
    for (int scale : {1, 2, 4, 8}) {
        const QImage img = DecodeJpeg(file, scale);
        EXPECT_EQ(img.size(), QSize(160 / scale, 96 / scale)) << scale;
        EXPECT_EQ(img.format(), QImage::Format_BGR888);
        const QColor c = img.pixelColor(img.width() / 2, img.height() / 2);
        EXPECT_NEAR(c.red(), 128, 12);
        EXPECT_NEAR(c.blue(), 128, 12);
    }
    EXPECT_EQ(JpegScaleFor(4000, 400), 8);
    EXPECT_EQ(JpegScaleFor(4000, 500), 4);  // 8 x 500 is not below 4000
    EXPECT_EQ(JpegScaleFor(4000, 1500), 2);
    EXPECT_EQ(JpegScaleFor(4000, 2000), 1);
}

TEST(Jpeg, ExifMarkerAndDamagedData) {
    QByteArray file = EncodeJpeg(gradient(16, 16));
    const QByteArray app1 = QByteArray(
                                "\xFF\xE1\x00\x10"
                                "Exif\0\0",
                                10) +
                            QByteArray(8, '\0');
    QByteArray withExif = file;
    withExif.insert(2, app1);
    EXPECT_TRUE(ReadJpegInfo(withExif).hasExif);
    EXPECT_EQ(DecodeJpeg(withExif).size(), QSize(16, 16));
    EXPECT_THROW(DecodeJpeg(file.left(20)), Exception);
    EXPECT_THROW(DecodeJpeg(QByteArray("not a jpeg at all")), Exception);
    EXPECT_THROW(ReadJpegInfo(QByteArray()), Exception);
}

TEST(Png, FormatsTransparencyAndConsumedLength) {
    const QImage rgb = gradient(20, 10);
    const QByteArray file = EncodePng(rgb, qRgb(1, 2, 3));
    const PngPicture p = DecodePng(file + "more data after the picture");
    EXPECT_EQ(p.consumed, file.size());
    EXPECT_EQ(p.image.format(), QImage::Format_BGR888);
    EXPECT_EQ(p.image, rgb);
    ASSERT_TRUE(p.transparentColor.has_value());
    EXPECT_EQ(*p.transparentColor, qRgb(1, 2, 3));

    QImage grey(7, 3, QImage::Format_Grayscale8);
    grey.fill(90);
    const PngPicture g = DecodePng(EncodePng(grey));
    EXPECT_EQ(g.image, grey);
    EXPECT_FALSE(g.transparentColor.has_value());

    QImage alpha(4, 4, QImage::Format_ARGB32);
    alpha.fill(qRgba(10, 20, 30, 40));
    const PngPicture a = DecodePng(EncodePng(alpha));
    EXPECT_EQ(a.image.format(), QImage::Format_ARGB32);
    EXPECT_EQ(a.image.pixel(2, 2), qRgba(10, 20, 30, 40));

    QImage indexed(5, 5, QImage::Format_Indexed8);
    indexed.setColorTable({qRgb(255, 0, 0), qRgb(0, 0, 255)});
    indexed.fill(1);
    EXPECT_EQ(DecodePng(EncodePng(indexed)).image.pixel(4, 4), qRgb(0, 0, 255));
}

TEST(Png, DamagedDataRaises) {
    const QByteArray file = EncodePng(gradient(30, 30));
    for (qsizetype n :
         {qsizetype(0), qsizetype(8), qsizetype(30), file.size() / 2, file.size() - 1})
        EXPECT_THROW(DecodePng(file.left(n)), Exception) << n;
    QByteArray bad = file;
    bad[40] = char(bad[40] ^ 0xFF);
    EXPECT_THROW(DecodePng(bad), Exception);
}

}  // namespace
