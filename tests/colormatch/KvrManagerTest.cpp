// The manager with our real control library, engine and decoders: availability, the
// buffer layout, temporary files, colour-space conversion compared with LittleCMS's own
// jpgicc, print profiles, the print enabler, and the conversion to printer data.
#include "imaging/codecs/Png.h"
#include "imaging/picture/JpegImage.h"
#include "imaging/picture/PictureEx.h"
#include "imaging/picture/PngImage.h"
#include "imaging/picture/SafetyBitmap.h"
#include "printing/KvrBinding.h"
#include "printing/KvrManager.h"
#include "printing/KvrPrintEnabler.h"
#include "tests/colormatch/KvrPhotos.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

namespace {

const QString kBin = QStringLiteral(KVR_BIN);

class KvrManagerTest : public ::testing::Test {
protected:
    void SetUp() override { SetKvrModuleFolder(kBin); }
    void TearDown() override {
        KvrRefusedForPrint = false;
        SetCurrentKvrPrinter(nullptr);
    }
    QString photo(const QString& name, const QByteArray& icc, const QByteArray& exif = {}) {
        return dir.write(name, MakeJpeg(TestPixels(), icc, exif));
    }
    QImage corrected(const QString& path, bool forKvr = true, bool forPrint = false) {
        TKVRManager manager;
        manager.SetSourceFile(path);
        TPictureEx picture;
        EXPECT_TRUE(manager.CorrectSource(picture, forKvr, forPrint)) << manager.LastResult();
        return picture.Empty() ? QImage() : picture.Graphic()->ToImage();
    }
    TempDir dir;
};

// Records what the manager and the enabler ask of the printer.
class RecordingPrinter : public IKvrPrinter {
public:
    bool DriverExtensionOpen() const override { return open; }
    std::optional<MediaSetting> MediaSettingRecord() const override { return media; }
    std::vector<int> ColourModes() const override { return modes; }
    QString ColourProfile() const override { return profile; }
    QByteArray SaveWorkingDeviceMode() const override { return deviceMode; }
    void SetColourMode(int mode) override {
        calls << QStringLiteral("colour mode %1").arg(mode);
        deviceMode = "switched";
    }
    void RestoreDeviceMode(const QByteArray& saved) override {
        calls << QStringLiteral("restore ") + QString::fromLatin1(saved);
        deviceMode = saved;
    }
    bool open = true;
    std::optional<MediaSetting> media = MediaSetting{1, 2};
    std::vector<int> modes{1, 6};
    QString profile;
    QByteArray deviceMode = "original";
    QStringList calls;
};

TEST_F(KvrManagerTest, WithoutTheLibrariesPhotosStayUncorrected) {
    TempDir empty;
    SetKvrModuleFolder(empty.path());
    TKVRManager manager;
    manager.SetSourceFile(photo(QStringLiteral("a.jpg"), AdobeRgbProfile()));
    TPictureEx picture;
    EXPECT_FALSE(manager.CorrectSource(picture, true, false));
    EXPECT_EQ(manager.LastResult(), KVR_NO_TIFF);  // the binding's "not bound" answer
    EXPECT_TRUE(picture.Empty());
    EXPECT_FALSE(manager.IsAvailable(false));
    EXPECT_EQ(manager.InspectSource(), 0);
}

TEST_F(KvrManagerTest, RefusalOnlyStopsColourMatching) {
    TKVRManager manager;
    EXPECT_TRUE(manager.IsAvailable(true));
    KvrRefusedForPrint = true;
    EXPECT_FALSE(manager.IsAvailable(true));
    EXPECT_TRUE(manager.IsAvailable(false));
}

TEST_F(KvrManagerTest, BufferLayoutFollowsTheScanlineOrder) {
    unsigned char rows[30];
    const KvrBufferLayout topDown = KvrLayoutOf(rows, rows + 20);
    EXPECT_EQ(topDown.bits, rows);
    EXPECT_EQ(topDown.rowOrder, 2);
    const KvrBufferLayout bottomUp = KvrLayoutOf(rows + 20, rows);
    EXPECT_EQ(bottomUp.bits, rows);
    EXPECT_EQ(bottomUp.rowOrder, 1);
}

TEST_F(KvrManagerTest, TemporaryFilesGoWithTheManagerAlsoAfterFailures) {
    QString failedTemp, goodTemp;
    {
        TKVRManager manager;
        TPictureEx png;
        auto graphic = std::make_unique<TPNGImage>();
        graphic->SetBytes(codecs::EncodePng(TestPixels(8, 8)));
        png.SetGraphic(std::move(graphic));
        ASSERT_TRUE(manager.SavePictureToTemp(png));
        failedTemp = manager.TempFile();
        EXPECT_TRUE(QFile::exists(failedTemp));
        EXPECT_TRUE(failedTemp.section(u'/', -1).startsWith(u"mtf"));
        EXPECT_EQ(manager.SourceFile(), failedTemp);
        TPictureEx out;
        EXPECT_FALSE(manager.CorrectSource(out, true, false));  // PNG is no JPEG

        TPictureEx jpeg;
        jpeg.LoadFromFile(photo(QStringLiteral("b.jpg"), AdobeRgbProfile()));
        ASSERT_TRUE(manager.SavePictureToTemp(jpeg));
        EXPECT_FALSE(QFile::exists(failedTemp));  // the previous one is removed first
        goodTemp = manager.TempFile();
        EXPECT_TRUE(manager.CorrectSource(out, true, false));
        EXPECT_EQ(out.Width(), 64);
        TPictureEx empty;
        EXPECT_FALSE(manager.SavePictureToTemp(empty));
    }
    EXPECT_FALSE(QFile::exists(goodTemp));
}

TEST_F(KvrManagerTest, EmbeddedAdobeRgbIsConvertedAsLittleCmsDoes) {
    const QString adobe = photo(QStringLiteral("adobe.jpg"), AdobeRgbProfile());
    const QString srgb = photo(QStringLiteral("srgb.jpg"), SrgbProfile());
    const QImage fromAdobe = corrected(adobe);
    const QImage fromSrgb = corrected(srgb);
    const QImage plain = DecodeJpegFile(srgb);
    // The sRGB-tagged photo is shown as decoded; the Adobe RGB one clearly differs.
    EXPECT_LT(MeanDifference(fromSrgb, plain), 1.0);
    EXPECT_GT(MeanDifference(fromAdobe, fromSrgb), 8.0);

    TKVRManager manager;
    manager.SetSourceFile(adobe);
    EXPECT_EQ(manager.InspectSource(), kvrColourMatching);
    // Exif Print mode without Exif Print data applies nothing.
    EXPECT_LT(MeanDifference(corrected(adobe, false), plain), 1.0);

    const QString jpgicc = QStandardPaths::findExecutable(QStringLiteral("jpgicc"));
    if (jpgicc.isEmpty()) GTEST_SKIP() << "jpgicc (liblcms2-utils) is not installed";
    const QString reference = dir.file(QStringLiteral("reference.jpg"));
    ASSERT_EQ(QProcess::execute(jpgicc, {QStringLiteral("-t1"), QStringLiteral("-b"),
                                         QStringLiteral("-q100"), adobe, reference}),
              0);
    EXPECT_LT(MeanDifference(fromAdobe, DecodeJpegFile(reference)), 2.0);
}

TEST_F(KvrManagerTest, ExifColourSpaceAndExifPrintTags) {
    const QString tagged =
        photo(QStringLiteral("r03.jpg"), {}, ExifSegment({0xFFFF, true, -1, -1}));
    const QString adobe = photo(QStringLiteral("adobe.jpg"), AdobeRgbProfile());
    EXPECT_LT(MeanDifference(corrected(tagged), corrected(adobe)), 1.5);

    const QString print = photo(QStringLiteral("print.jpg"), {}, ExifSegment({1, false, 2, 2}));
    TKVRManager manager;
    manager.SetSourceFile(print);
    EXPECT_EQ(manager.InspectSource(), kvrExifPrint | kvrColourMatching);
    const QImage plain = DecodeJpegFile(print);
    // Hard contrast and high saturation: the Exif Print correction changes the picture.
    EXPECT_GT(MeanDifference(corrected(print, false), plain), 3.0);
}

TEST_F(KvrManagerTest, TiffPhotosGoThroughTheTiffDecoderAsRgb) {
    const QString plain = dir.file(QStringLiteral("plain.tif"));
    const QString adobe = dir.file(QStringLiteral("adobe.tif"));
    ASSERT_TRUE(WriteTiff(plain, TestPixels()));
    ASSERT_TRUE(WriteTiff(adobe, TestPixels(), AdobeRgbProfile()));
    // RGB rows without a colour space come back exactly; the profile is honoured.
    EXPECT_EQ(MeanDifference(corrected(plain), TestPixels()), 0.0);
    EXPECT_GT(MeanDifference(corrected(adobe), TestPixels()), 8.0);
    // Other layouts go through libtiff's RGBA reader, which puts the rows upright.
    const QString flipped = dir.file(QStringLiteral("flipped.tif"));
    ASSERT_TRUE(WriteTiff(flipped, TestPixels(), {}, true));
    EXPECT_EQ(MeanDifference(corrected(flipped), TestPixels().mirrored(false, true)), 0.0);
}

TEST_F(KvrManagerTest, PrintCorrectionGoesToThePrinterProfile) {
    const QString srgb = photo(QStringLiteral("srgb.jpg"), SrgbProfile());
    const QImage display = corrected(srgb);
    // No printer known: print output is sRGB.
    EXPECT_LT(MeanDifference(corrected(srgb, true, true), display), 1.0);
    auto printer = std::make_shared<RecordingPrinter>();
    printer->profile = dir.write(QStringLiteral("printer.icc"), AdobeRgbProfile());
    SetCurrentKvrPrinter(printer);
    EXPECT_GT(MeanDifference(corrected(srgb, true, true), display), 8.0);
    qunsetenv("OXKVR_PRINTER_PROFILE");
}

TEST_F(KvrManagerTest, PrinterSupportAndPrintEnabler) {
    TKVRManager manager;
    EXPECT_FALSE(manager.PrinterSupportsKvr());  // no printer
    auto printer = std::make_shared<RecordingPrinter>();
    SetCurrentKvrPrinter(printer);
    EXPECT_TRUE(manager.PrinterSupportsKvr());
    printer->modes = {1, 2};
    EXPECT_FALSE(manager.PrinterSupportsKvr());
    printer->modes = {6};
    printer->media = IKvrPrinter::MediaSetting{1, 3};
    EXPECT_FALSE(manager.PrinterSupportsKvr());
    printer->media.reset();
    EXPECT_FALSE(manager.PrinterSupportsKvr());

    {
        auto enabler = NewKvrPrintEnabler();
        EXPECT_EQ(printer->deviceMode, "switched");
    }
    EXPECT_EQ(printer->calls,
              (QStringList{QStringLiteral("colour mode 6"), QStringLiteral("restore original")}));
    EXPECT_EQ(printer->deviceMode, "original");
}

TEST_F(KvrManagerTest, LongPathsAreRefusedNotCut) {
    const QString longPath = dir.path() + u'/' + QString(520, u'a') + QStringLiteral(".jpg");
    TKVRManager manager;
    manager.SetSourceFile(longPath);
    TPictureEx picture;
    EXPECT_FALSE(manager.CorrectSource(picture, true, false));
    EXPECT_EQ(manager.LastResult(), KVR_INVALID);
    EXPECT_EQ(manager.InspectSource(), 0);
}

TEST_F(KvrManagerTest, ConversionToPrinterData) {
    QImage white(7, 3, QImage::Format_RGB888);
    white.fill(Qt::white);
    TPictureEx source, target;
    source.SetGraphic(std::make_unique<TSafetyBitmap>(white));
    TKVRManager manager;
    ASSERT_TRUE(manager.ConvertToPrinterRGB(source, target));
    const QImage out = target.Graphic()->ToImage();
    ASSERT_EQ(out.size(), white.size());
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 7; ++x) EXPECT_EQ(out.pixel(x, y), qRgb(255, 255, 255));
}

}  // namespace
