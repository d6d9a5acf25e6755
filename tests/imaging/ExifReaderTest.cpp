#include "document/stream/Stream.h"
#include "imaging/ExifReader.h"
#include "imaging/codecs/Jpeg.h"
#include "imaging/picture/JpegImage.h"
#include "imaging/picture/PictureEx.h"
#include "imaging/picture/SafetyBitmap.h"
#include "tests/support/QtPrinters.h"

#include <gtest/gtest.h>

namespace {

// Builds TIFF data in either byte order: IFD0 -> Exif IFD -> interoperability IFD, and IFD1.
class TiffBuilder {
public:
    explicit TiffBuilder(bool big) : big_(big) {}

    struct Tag {
        int tag, type;
        std::uint32_t count;
        QByteArray value;  // already in the file's byte order
    };

    QByteArray u16(int v) const {
        QByteArray b(2, 0);
        b[big_ ? 1 : 0] = char(v & 255);
        b[big_ ? 0 : 1] = char((v >> 8) & 255);
        return b;
    }
    QByteArray u32(std::uint32_t v) const {
        return big_ ? u16(int(v >> 16)) + u16(int(v & 0xFFFF))
                    : u16(int(v & 0xFFFF)) + u16(int(v >> 16));
    }
    Tag ascii(int tag, const QByteArray& s) const {
        return {tag, 2, std::uint32_t(s.size() + 1), s + '\0'};
    }
    Tag shortTag(int tag, int v) const { return {tag, 3, 1, u16(v)}; }
    Tag longTag(int tag, std::uint32_t v) const { return {tag, 4, 1, u32(v)}; }
    Tag rationalTag(int tag, std::uint32_t n, std::uint32_t d, int type = 5) const {
        return {tag, type, 1, u32(n) + u32(d)};
    }

    // Lays the IFDs out one after the other; pointer tags are filled in.
    QByteArray build(std::vector<Tag> ifd0, std::vector<Tag> exif, std::vector<Tag> interop,
                     std::vector<Tag> ifd1) {
        QByteArray out = big_ ? QByteArray("MM\0*", 4) : QByteArray("II*\0", 4);
        out += u32(8);
        const auto size = [](const std::vector<Tag>& t) {
            qsizetype n = 2 + 12 * qsizetype(t.size()) + 4;
            for (const Tag& x : t) n += x.value.size() > 4 ? x.value.size() : 0;
            return n;
        };
        const std::uint32_t o0 = 8, oe = o0 + std::uint32_t(size(ifd0) + 12),
                            oi = oe + std::uint32_t(size(exif) + 12);
        const std::uint32_t o1 = oi + std::uint32_t(size(interop));
        ifd0.push_back(longTag(0x8769, oe));
        exif.push_back(longTag(0xA005, oi));
        out += ifd(ifd0, o0, o1);
        out += ifd(exif, oe, 0);
        out += ifd(interop, oi, 0);
        out += ifd(ifd1, o1, 0);
        return out;
    }

private:
    QByteArray ifd(const std::vector<Tag>& tags, std::uint32_t at, std::uint32_t next) const {
        QByteArray head = u16(int(tags.size())), data;
        std::uint32_t extra = at + 2 + 12 * std::uint32_t(tags.size()) + 4;
        for (const Tag& t : tags) {
            head += u16(t.tag) + u16(t.type) + u32(t.count);
            if (t.value.size() <= 4) {
                head += t.value + QByteArray(4 - t.value.size(), '\0');
            } else {
                head += u32(extra + std::uint32_t(data.size()));
                data += t.value;
            }
        }
        return head + u32(next) + data;
    }
    bool big_;
};

QByteArray jpegWith(const QByteArray& app1) {
    QByteArray j("\xFF\xD8", 2);
    j += QByteArray("\xFF\xE0\x00\x10JFIF\0\x01\x01\x00\x00\x01\x00\x01\x00\x00", 18);
    const int len = int(app1.size()) + 2;
    j += QByteArray("\xFF\xE1", 2) + char(len >> 8) + char(len & 255) + app1;
    j += QByteArray("\xFF\xD9", 2);
    return j;
}

QByteArray camera(bool big) {
    TiffBuilder b(big);
    return jpegWith(QByteArray("Exif\0\0", 6) +
                    b.build({b.ascii(271, "Maker Co"), b.ascii(272, "Cam"),
                             b.ascii(306, "2024:05:06 07:08:09"), b.shortTag(274, 6)},
                            {{0x9000, 7, 4, "0220"},
                             b.rationalTag(0x829A, 1, 125),
                             b.rationalTag(0x9201, 7, 1, 10),
                             b.rationalTag(0x9202, 4, 1),
                             b.shortTag(0x9209, 1),
                             b.shortTag(0xA002, 640),
                             b.longTag(0xA003, 480),
                             b.ascii(0x9003, "2024:05:06 07:08:09")},
                            {b.ascii(1, "R98")}, {b.longTag(0x0201, 1234)}));
}

TEST(ExifReader, BothByteOrdersGiveTheSameValues) {
    for (bool big : {false, true}) {
        TExifReader r(camera(big));
        ASSERT_TRUE(r.HasData()) << big;
        EXPECT_EQ(r.GetText(eiIFD0, 271), "Maker Co");
        EXPECT_EQ(r.GetText(eiIFD0, 272), "Cam");  // four bytes: inline
        EXPECT_EQ(r.GetInteger(eiIFD0, 274), 6u);  // an inline SHORT
        EXPECT_EQ(r.GetInteger(eiExif, 0xA002), 640u);
        EXPECT_EQ(r.GetInteger(eiExif, 0xA003), 480u);
        EXPECT_EQ(r.GetRational(eiExif, 0x829A), (std::pair<std::uint32_t, std::uint32_t>{1, 125}));
        EXPECT_EQ(r.GetText(eiExif, 0x829A), "1/125");
        EXPECT_EQ(r.GetText(eiExif, 0x9000), "0220");
        EXPECT_EQ(r.GetText(eiInterop, 1), "R98");
        EXPECT_EQ(r.GetInteger(eiIFD1, 0x0201), 1234u);
        EXPECT_FALSE(r.HasTag(eiIFD0, 999));
        EXPECT_EQ(r.GetInteger(eiIFD0, 271), 0u);  // not integral
        EXPECT_EQ(r.GetRational(eiIFD0, 999), (std::pair<std::uint32_t, std::uint32_t>{0, 1}));
        EXPECT_EQ(ExifPhotoDate(r), "2024/05/06 07:08:09");
    }
}

TEST(ExifReader, InformationText) {
    const QString text = ExifInformationText(TExifReader(camera(true)), "IMG_0001.JPG");
    const QStringList lines = text.split("\r\n");
    EXPECT_EQ(lines.front(), "ファイル名:IMG_0001.JPG");
    EXPECT_TRUE(lines.contains("Exifバージョン:2.20"));
    EXPECT_TRUE(lines.contains("露光時間:1/125秒"));
    EXPECT_TRUE(lines.contains("シャッター速度:1/128秒"));
    EXPECT_TRUE(lines.contains("絞り値:F4"));
    EXPECT_TRUE(lines.contains("フラッシュ:オン"));
    EXPECT_TRUE(lines.contains("画像幅:640ピクセル"));
    EXPECT_TRUE(lines.contains("撮影日時:2024/05/06 07:08:09"));
    EXPECT_TRUE(lines.contains("メーカー名:Maker Co"));
    EXPECT_FALSE(text.contains("画像の説明"));
    EXPECT_EQ(TrimmedDecimal(10.0), "10");
    EXPECT_EQ(TrimmedDecimal(2.8), "2.8");
    EXPECT_EQ(TrimmedDecimal(5.6000001), "5.6");
}

TEST(ExifReader, NonExifAndDamagedDataReadAsEmpty) {
    EXPECT_FALSE(
        TExifReader(jpegWith(QByteArray("http://ns.adobe.com/xap/1.0/\0<x/>", 34))).HasData());
    EXPECT_FALSE(TExifReader(QByteArray("not a jpeg")).HasData());
    EXPECT_FALSE(TExifReader(QByteArray()).HasData());
    // Every truncation and every damaged byte stays inside the buffer.
    const QByteArray good = camera(false);
    const qsizetype segmentEnd = good.size() - 2;  // the EOI marker follows the segment
    for (qsizetype n = 0; n < good.size(); ++n) {
        TExifReader r(good.left(n));
        EXPECT_EQ(r.HasData(), n >= segmentEnd) << n;  // a cut segment is not read
        (void)ExifInformationText(r, "x");
    }
    for (qsizetype i = 24; i < good.size(); ++i) {
        QByteArray bad = good;
        bad[i] = char(0xFF);
        TExifReader r(bad);
        (void)ExifInformationText(r, "x");
        (void)r.GetText(eiInterop, 1);
        (void)r.GetInteger(eiIFD1, 0x0201);
    }
}

}  // namespace

namespace {
QString infoLine(const TExifReader& r, const QString& label) {
    for (const QString& line : ExifInformationText(r, "x.jpg").split("\r\n"))
        if (line.startsWith(label + ':')) return line.mid(label.size() + 1);
    return "<none>";
}
QByteArray lensCamera(std::vector<TiffBuilder::Tag> exif) {
    TiffBuilder b(false);
    return jpegWith(QByteArray("Exif\0\0", 6) +
                    b.build({b.ascii(306, "2024:05:06 07:08:09")}, exif, {}, {}));
}
}  // namespace

TEST(ExifReader, DecimalsLongExposuresAndZeroDenominators) {
    TiffBuilder b(false);
    // Av 2 log2(10) gives F9.999999...: two decimals make it F10; 50 mm shows two decimals.
    TExifReader r(
        lensCamera({b.rationalTag(0x9202, 6643856, 1000000), b.rationalTag(0x920A, 50, 1),
                    b.rationalTag(0x829A, 2, 1), b.rationalTag(0x9201, std::uint32_t(-1), 1, 10),
                    b.rationalTag(0x9205, 3, 0)}));
    EXPECT_EQ(infoLine(r, "絞り値"), "F10");
    EXPECT_EQ(infoLine(r, "レンズ焦点距離"), "50.00mm");
    EXPECT_EQ(infoLine(r, "露光時間"), "2秒");
    EXPECT_EQ(infoLine(r, "シャッター速度"), "2秒");  // Tv -1, not 1/0
    EXPECT_EQ(infoLine(r, "レンズ開放F値"), "");
    TExifReader zero(lensCamera({b.rationalTag(0x829A, 1, 0), b.rationalTag(0x9201, 5, 0, 10),
                                 b.rationalTag(0x920A, 50, 0), b.rationalTag(0x9202, 4000, 1)}));
    EXPECT_EQ(infoLine(zero, "露光時間"), "");
    EXPECT_EQ(infoLine(zero, "シャッター速度"), "");
    EXPECT_EQ(infoLine(zero, "レンズ焦点距離"), "");
    EXPECT_FALSE(ExifInformationText(zero, "x").contains(u"inf") ||
                 ExifInformationText(zero, "x").contains(u"nan"));
}

TEST(ExifReader, LoadsFromAStreamPositionAndFromPictures) {
    TMemoryStream stream(QByteArray("junk") + camera(true) + QByteArray("tail"));
    stream.SetPosition(4);
    TExifReader r;
    r.LoadFromStream(stream);
    EXPECT_EQ(r.GetText(eiIFD0, 272), "Cam");
    stream.SetPosition(0);  // no SOI at the position
    r.LoadFromStream(stream);
    EXPECT_FALSE(r.HasData());
    // A segment length beyond the stream's end leaves the reader empty.
    QByteArray cut = camera(false).left(60);
    TMemoryStream truncated(cut);
    r.LoadFromStream(truncated);
    EXPECT_FALSE(r.HasData());

    TPictureEx jpeg;
    auto image = std::make_unique<TSafetyJPEGImage>();
    // A real JPEG with the camera's segments after its start marker.
    const QByteArray encoded = codecs::EncodeJpeg(QImage(4, 4, QImage::Format_BGR888));
    const QByteArray segments = camera(false).mid(2).chopped(2);
    image->SetBytes(encoded.left(2) + segments + encoded.mid(2));
    jpeg.SetGraphic(std::move(image));
    EXPECT_TRUE(TExifReader::HasExif(jpeg));
    TPictureEx bitmap;
    bitmap.SetGraphic(std::make_unique<TSafetyBitmap>(QImage(4, 4, QImage::Format_BGR888)));
    EXPECT_FALSE(TExifReader::HasExif(bitmap));
}
