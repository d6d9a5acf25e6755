// Pictures whose headers declare far more than their data can produce are refused with the
// reason before the pixels are allocated; legitimate large pictures, even at the best
// compression their format allows, still load. Damage is reported by field and value, and
// the libraries' own texts come after a Japanese reason.
#include "document/stream/Stream.h"
#include "imaging/Messages.h"
#include "imaging/codecs/Bmp.h"
#include "imaging/codecs/Container.h"
#include "imaging/codecs/Jpeg.h"
#include "imaging/codecs/Limits.h"
#include "imaging/codecs/Png.h"
#include "imaging/picture/SafetyBitmap.h"
#include "platform/Exception.h"
#include "tests/support/ErrorText.h"

#include <gtest/gtest.h>
#include <QBuffer>
#include <QImageWriter>
#include <functional>

using namespace codecs;

namespace {

QByteArray le16(int v) {
    return QByteArray(1, char(v & 255)) + char((v >> 8) & 255);
}
QByteArray le32(std::uint32_t v) {
    return le16(int(v & 0xFFFF)) + le16(int(v >> 16));
}
QByteArray be32(std::uint32_t v) {
    QByteArray b(4, '\0');
    for (int i = 0; i < 4; ++i) b[i] = char(v >> (24 - 8 * i));
    return b;
}

std::uint32_t crc32(const QByteArray& bytes) {
    std::uint32_t c = 0xFFFFFFFFu;
    for (const char ch : bytes) {
        c ^= std::uint8_t(ch);
        for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1)));
    }
    return ~c;
}
QByteArray chunk(const QByteArray& type, const QByteArray& data) {
    return be32(std::uint32_t(data.size())) + type + data + be32(crc32(type + data));
}

// A zlib stream of `plain` (qCompress puts a 4-byte length before it).
QByteArray zlibStream(const QByteArray& plain) {
    return qCompress(plain).mid(4);
}

QByteArray png(std::uint32_t w, std::uint32_t h, int colourType, int interlace,
               const QByteArray& idat) {
    QByteArray ihdr = be32(w) + be32(h);
    ihdr += char(8), ihdr += char(colourType), ihdr += char(0), ihdr += char(0),
        ihdr += char(interlace);
    return QByteArray("\x89PNG\r\n\x1A\n", 8) + chunk("IHDR", ihdr) + chunk("IDAT", idat) +
           chunk("IEND", {});
}

QImage flat(int w, int h, QImage::Format f) {
    QImage img(w, h, f);
    img.fill(qRgb(250, 250, 250));
    return img;
}

TEST(DeclaredSize, PngImageDataMustBeAbleToInflateToEveryRow) {
    const QByteArray idat = zlibStream(QByteArray(64, '\0'));
    for (const int interlace : {0, 1}) {
        // 16384 x 16384 RGBA: a gigabyte of rows from a few dozen bytes.
        EXPECT_EQ(messageOf([&] { DecodePng(png(16384, 16384, 6, interlace, idat)); }),
                  msg::invalidPng(msg::pixelsExceedData(16384, 16384, idat.size())))
            << interlace;
    }
    // Beyond the largest picture: refused for its size alone.
    EXPECT_EQ(messageOf([&] { DecodePng(png(20000, 20000, 0, 0, idat)); }),
              msg::invalidPng(msg::pictureTooLarge(20000, 20000, kMaxPixels)));

    // The most compressible picture there is still loads: a flat 6000 x 4000 one.
    const QByteArray big = EncodePng(flat(6000, 4000, QImage::Format_BGR888));
    const PngPicture p = DecodePng(big);
    EXPECT_EQ(p.image.size(), QSize(6000, 4000));
    EXPECT_EQ(p.image.pixel(5999, 3999), qRgb(250, 250, 250));
    EXPECT_EQ(p.consumed, big.size());
}

TEST(DeclaredSize, RunLengthBitmapMustHaveRunsForEveryPixel) {
    auto rleBitmap = [](int w, int h, const QByteArray& runs) {
        QByteArray table;
        for (int i = 0; i < 256; ++i) table += le32(std::uint32_t(i) * 0x010101u);
        const QByteArray header = le32(40) + le32(std::uint32_t(w)) + le32(std::uint32_t(h)) +
                                  le16(1) + le16(8) + le32(1) + le32(std::uint32_t(runs.size())) +
                                  le32(0) + le32(0) + le32(0) + le32(0);
        const std::uint32_t offset = 14 + 40 + 1024;
        return "BM" + le32(offset + std::uint32_t(runs.size())) + le32(0) + le32(offset) + header +
               table + runs;
    };
    // A kilobyte declaring 16384 x 16384: refused before 256 MB of pixels.
    QByteArray few;
    for (int i = 0; i < 8; ++i) few += QByteArray("\xFF\x01", 2);
    few += QByteArray("\x00\x00\x00\x01", 4);
    EXPECT_EQ(messageOf([&] { ReadBmp(rleBitmap(16384, 16384, few)); }),
              msg::invalidBitmap(msg::pixelsExceedData(16384, 16384, few.size())));

    // Runs of 255, the longest there are, for every pixel of a 4000 x 3000 picture.
    const int w = 4000, h = 3000;
    QByteArray row;
    for (int x = 0; x < w; x += 255) row += char(std::min(255, w - x)), row += char(x / 255);
    row += QByteArray(2, '\0');
    QByteArray runs = row.repeated(h) + QByteArray("\x00\x01", 2);
    const QImage img = ReadBmp(rleBitmap(w, h, runs));
    ASSERT_EQ(img.size(), QSize(w, h));
    EXPECT_EQ(img.pixelIndex(0, 0), 0);
    EXPECT_EQ(img.pixelIndex(255, h - 1), 1);
    EXPECT_EQ(img.pixelIndex(w - 1, h / 2), (w - 1) / 255);
}

// The coded bytes after the first scan header.
qsizetype codedBytes(const QByteArray& jpeg) {
    const qsizetype sos = jpeg.indexOf("\xFF\xDA");
    const int length = (std::uint8_t(jpeg[sos + 2]) << 8) | std::uint8_t(jpeg[sos + 3]);
    return jpeg.size() - (sos + 2 + length);
}

TEST(DeclaredSize, JpegFrameMustFitTheCodedData) {
    QImage small(16, 16, QImage::Format_BGR888);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) small.setPixel(x, y, qRgb(x * 16, y * 16, 128));
    QByteArray hostile = EncodeJpeg(small);
    const qsizetype sof = hostile.indexOf("\xFF\xC0");
    ASSERT_GT(sof, 0);
    hostile.replace(sof + 5, 4, QByteArray("\x40\x00\x40\x00", 4));  // 16384 x 16384
    const QString tooLittle =
        msg::invalidJpeg(msg::pixelsExceedData(16384, 16384, codedBytes(hostile)));
    EXPECT_EQ(messageOf([&] { ReadJpegInfo(hostile); }), tooLittle);
    EXPECT_EQ(messageOf([&] { DecodeJpeg(hostile, 8); }), tooLittle);

    // Arithmetic coding has no least number of bits per block.
    QByteArray arithmetic = EncodeJpeg(small);
    arithmetic[sof + 1] = char(0xC9);
    EXPECT_EQ(messageOf([&] { ReadJpegInfo(arithmetic); }),
              msg::invalidJpeg(msg::arithmeticCodingUnsupported()));

    // Flat 6000 x 4000 photos, sequential from libjpeg and progressive from Qt, still load.
    const QImage photo = flat(6000, 4000, QImage::Format_BGR888);
    EXPECT_EQ(DecodeJpeg(EncodeJpeg(photo, 90)).size(), QSize(6000, 4000));
    QByteArray progressive;
    QBuffer buffer(&progressive);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(75);
    writer.setProgressiveScanWrite(true);
    ASSERT_TRUE(writer.write(photo)) << writer.errorString().toStdString();
    EXPECT_EQ(ReadJpegInfo(progressive).width, 6000);
    const QImage decoded = DecodeJpeg(progressive);
    EXPECT_EQ(decoded.size(), QSize(6000, 4000));
    EXPECT_LE(std::abs(qRed(decoded.pixel(3000, 2000)) - 250), 2);
}

TEST(DeclaredSize, ContainerLengthIsBoundedByPictureAndData) {
    const QByteArray plain(1000, 'x');
    const QByteArray cbm = Compress(plain);
    const qsizetype compressed = cbm.size() - kContainerHeaderSize;
    QByteArray huge = cbm;
    huge.replace(13, 4, le32(0xFFFFFFFFu));
    EXPECT_EQ(messageOf([&] { Decompress(huge); }),
              msg::cannotDecompress(msg::declaredLengthTooLarge(0xFFFFFFFFu, kMaxPictureBytes)));
    QByteArray lying = cbm;
    lying.replace(13, 4, le32(100000000u));
    EXPECT_EQ(messageOf([&] { Decompress(lying); }),
              msg::cannotDecompress(msg::declaredLengthExceedsData(100000000, compressed)));
    // The same data declaring the length it has still unwraps.
    EXPECT_EQ(Decompress(cbm), plain);

    // A bitmap in a container must not declare more than the container holds: refused from
    // the first inflated bytes.
    QImage img(40, 30, QImage::Format_BGR888);
    img.fill(qRgb(1, 2, 3));
    QByteArray bmp = WriteBmp(img);
    bmp.replace(22, 4, le32(3000));
    const qsizetype declaredTotal = 14 + 40 + qsizetype(120) * 3000;
    TMemoryStream stream(Compress(bmp));
    EXPECT_EQ(messageOf([&] { ReadBmpFromStream(stream); }),
              msg::invalidBitmap(msg::fileShorterThanDeclared(declaredTotal, bmp.size())));
}

TEST(DeclaredSize, BitmapErrorsNameTheFieldAndValue) {
    QImage img(9, 5, QImage::Format_Indexed8);
    img.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    img.fill(1);
    const QByteArray good = WriteBmp(img);
    auto damaged = [&](int at, const QByteArray& value) {
        QByteArray b = good;
        b.replace(at, value.size(), value);
        return messageOf([&] { ReadBmp(b); });
    };
    auto field = [](const char* name, const QString& value) {
        return msg::invalidBitmap(msg::fieldValueInvalid(QString::fromLatin1(name), value));
    };
    EXPECT_EQ(damaged(14, le32(20)), field("biSize", "20"));
    EXPECT_EQ(damaged(18, le32(0)), field("biWidth", "0"));
    EXPECT_EQ(damaged(22, le32(0)), field("biHeight", "0"));
    EXPECT_EQ(damaged(28, le16(3)), field("biPlanes x biBitCount", "1 x 3"));
    EXPECT_EQ(damaged(30, le32(9)), field("biCompression", "9"));
    EXPECT_EQ(damaged(30, le32(2)), field("biCompression", "2 (biBitCount 8)"));
    EXPECT_EQ(damaged(46, le32(300)), field("biClrUsed", "300"));
    EXPECT_EQ(messageOf([&] { ReadBmp(good.left(30)); }), msg::invalidBitmap(msg::dataEndsAt(18)));
    EXPECT_EQ(messageOf([&] { ReadBmp(good.chopped(1)); }),
              msg::invalidBitmap(msg::fileShorterThanDeclared(good.size(), good.size() - 1)));
}

TEST(DeclaredSize, LibraryTextsFollowAJapaneseReason) {
    // The catalogue's text with an empty detail, up to where the detail goes.
    auto prefix = [](const QString& withEmptyDetail) { return withEmptyDetail.chopped(1); };
    QImage img(8, 8, QImage::Format_BGR888);
    img.fill(qRgb(10, 20, 30));
    QByteArray badCrc = EncodePng(img);
    const qsizetype idat = badCrc.indexOf("IDAT");
    badCrc[idat + 6] = char(badCrc[idat + 6] ^ 0x20);
    const QString p = messageOf([&] { DecodePng(badCrc); });
    EXPECT_TRUE(p.startsWith(prefix(msg::invalidPng(msg::libraryRefused("libpng", {})))))
        << p.toStdString();
    EXPECT_TRUE(p.endsWith(u')') &&
                p.size() > prefix(msg::invalidPng(msg::libraryRefused("libpng", {}))).size() + 1)
        << p.toStdString();

    const QString j = messageOf([&] { DecodeJpeg(QByteArray("not a jpeg at all")); });
    EXPECT_TRUE(j.startsWith(prefix(msg::invalidJpeg(msg::libraryRefused("libjpeg", {})))))
        << j.toStdString();
    EXPECT_TRUE(j.endsWith(u')')) << j.toStdString();

    QByteArray garbage = Compress(QByteArray(5000, 'y'));
    garbage[kContainerHeaderSize] = char(0x77);  // not a zlib header
    const QString z = messageOf([&] { Decompress(garbage); });
    EXPECT_TRUE(z.startsWith(prefix(msg::cannotDecompress(msg::libraryRefused("zlib", {})))))
        << z.toStdString();
    EXPECT_TRUE(z.contains(u"header")) << z.toStdString();
}

}  // namespace
