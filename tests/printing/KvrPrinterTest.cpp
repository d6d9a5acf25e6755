// Colour matching over real printer configurations and the driver extension we ship: the
// PDF printer, and the fake spooler's photo printer.
#include "platform/Exception.h"
#include "platform/spooler/DevMode.h"
#include "printing/KvrManager.h"
#include "printing/KvrPrintEnabler.h"
#include "printing/OXDI.h"
#include "printing/Printer.h"
#include "tests/printing/FakeSpooler.h"

#include <gtest/gtest.h>
#include <QFile>
#include <QTemporaryDir>

namespace dm = platform::devmode;

namespace {

class KvrPrinter : public ::testing::Test {
protected:
    KvrPrinter() {
        SetOxsetLibraryPath(QStringLiteral(VELLUMO_BIN_DIR "/Drivers/OXSET32.so"));
        SetCurrentKvrPrinter(nullptr);
    }
    ~KvrPrinter() override {
        SetOxsetLibraryPath({});
        SetCurrentKvrPrinter(nullptr);
        ReplacePrinter(nullptr);
    }
    // A fresh framework printer, with `device` set on it.
    static void choose(const QString& device) {
        ReplacePrinter(std::make_unique<TPrinter>());
        Printer().SetPrinter(device, {}, {}, {});
    }
    static QByteArray frameworkMode() {
        QByteArray mode;
        Printer().GetPrinter(nullptr, nullptr, nullptr, &mode);
        return mode;
    }
    static int driverColourMode() {
        return NewOXDI(*CurrentPrinterConfiguration())->GetColorMode();
    }
};

}  // namespace

TEST_F(KvrPrinter, EnablerSwitchesThePdfPrinterAndRestoresIt) {
    platform::installSpooler(nullptr);
    ASSERT_TRUE(QFile::exists(QStringLiteral(VELLUMO_BIN_DIR "/KvrCtrl.so")));
    TKVRManager manager;
    EXPECT_FALSE(manager.PrinterSupportsKvr());
    choose(platform::pdfPrinterName());
    EXPECT_EQ(CurrentKvrPrinter(), FrameworkKvrPrinter());
    EXPECT_TRUE(manager.PrinterSupportsKvr());
    EXPECT_EQ(FrameworkKvrPrinter()->ColourProfile(), QString());  // sRGB

    const QByteArray before = frameworkMode();
    EXPECT_EQ(driverColourMode(), 1);
    {
        TKVRPrintEnabler enabler;
        EXPECT_EQ(driverColourMode(), OXDM_COLOR_MATCHING);
        EXPECT_NE(frameworkMode(), before);
        enabler.Release();
        EXPECT_EQ(driverColourMode(), 1);
    }
    EXPECT_EQ(frameworkMode(), before);

    // A printer the spooler does not know: no extension, no colour matching.
    Printer().SetPrinter(QStringLiteral("no such printer"), {}, {}, {});
    EXPECT_FALSE(manager.PrinterSupportsKvr());
    EXPECT_TRUE(FrameworkKvrPrinter()->SaveWorkingDeviceMode().isEmpty());
}

TEST_F(KvrPrinter, QueueProfileAndRefusedColourMode) {
    FakeSpooler spooler;
    FakePrinter& photo = spooler.addPhotoPrinter(QStringLiteral("Photo"));
    QTemporaryDir dir;
    const QString profile = dir.filePath(QStringLiteral("printer.icc"));
    QFile f(profile);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("icc");
    f.close();
    photo.info.colourProfile = profile;
    choose(QStringLiteral("Photo"));
    EXPECT_EQ(CurrentKvrPrinter()->ColourProfile(), profile);
    photo.info.colourProfile = dir.filePath(QStringLiteral("missing.icc"));
    EXPECT_EQ(CurrentKvrPrinter()->ColourProfile(), QString());

    // A monochrome printer lists no colour matching; switching to it fails and leaves the
    // device mode as it was.
    photo.caps.colorModes = {QStringLiteral("monochrome")};
    photo.caps.defaultColorMode = QStringLiteral("monochrome");
    choose(QStringLiteral("Photo"));
    EXPECT_FALSE(TKVRManager().PrinterSupportsKvr());
    const QByteArray before = frameworkMode();
    EXPECT_THROW({ TKVRPrintEnabler enabler; }, Exception);
    EXPECT_EQ(frameworkMode(), before);
    EXPECT_EQ(dm::i16(frameworkMode(), dm::Color), 1);
}
