// Our printer driver and the configuration over it, on the in-memory spooler.
#include "app/frame/AppFrame.h"
#include "app/frame/ProgramMacros.h"
#include "printing/Printer.h"
#include "printing/PrinterUtil.h"
#include "tests/printing/FakeSpooler.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

namespace dm = platform::devmode;

namespace {

class Driver : public ::testing::Test {
protected:
    Driver() {
        spooler.addPhotoPrinter(QStringLiteral("Photo"));
        ReplacePrinter(nullptr);
    }
    ~Driver() override { ReplacePrinter(nullptr); }
    FakeSpooler spooler;
};

QStringList names(const platform::SpoolerOptions& options) {
    QStringList out;
    for (const auto& o : options) out << o.first + u'=' + o.second;
    return out;
}

}  // namespace

TEST_F(Driver, FormsBinsAndMediaTypesOfAPrinter) {
    const auto d = platform::PrinterDriver::open(spooler, QStringLiteral("Photo"));
    QList<int> forms, bins;
    for (const auto& f : d.forms()) forms << f.id;
    for (const auto& b : d.bins()) bins << b.id;
    EXPECT_EQ(forms, (QList<int>{9, 512, 43}));
    EXPECT_EQ(d.forms()[0].size, QSize(2100, 2970));
    // auto, manual and the first tray with their borderless twins; the album sheet feed.
    EXPECT_EQ(bins, (QList<int>{7, 259, 4, 270, 256, 257, 267, 268}));
    EXPECT_EQ(d.mediaTypes(), (QList<int>{1, 258, 268, 337}));
    EXPECT_EQ(d.mediaTypeKeyword(337), QStringLiteral("photographic-semi-gloss"));
    EXPECT_EQ(d.qualityLevels(), 3);
}

TEST_F(Driver, MergeValidatesAgainstThePrinter) {
    spooler.printer_(QStringLiteral("Photo")).caps.qualities = {4, 5};
    const auto d = platform::PrinterDriver::open(spooler, QStringLiteral("Photo"));
    QByteArray b = d.defaultDevMode();
    dm::setI16(b, dm::PaperSize, 512);      // L, which has no borderless variant
    dm::setI16(b, dm::DefaultSource, 259);  // borderless auto
    dm::setU32(b, dm::MediaType, 999);      // not offered
    dm::setI16(b, dm::PrintQuality, -1);    // draft, which the printer lacks
    QByteArray m = d.merge(b);
    EXPECT_EQ(dm::i16(m, dm::DefaultSource), 7);
    EXPECT_EQ(dm::u32(m, dm::MediaType), 1u);
    EXPECT_EQ(dm::i16(m, dm::PaperWidth), 889);
    EXPECT_EQ(dm::i16(m, dm::PrintQuality), -3);
    EXPECT_EQ(names(d.jobOptions(m)),
              (QStringList{"media=oe_photo-l_3.5x5in", "media-source=auto", "media-type=stationery",
                           "print-quality=4", "print-color-mode=color"}));

    dm::setI16(b, dm::PaperSize, 9);  // A4 has one: borderless stays, as a zero-margin media-col
    dm::setU32(b, dm::MediaType, 337);
    m = d.merge(b);
    EXPECT_EQ(dm::i16(m, dm::DefaultSource), 259);
    EXPECT_EQ(
        names(d.jobOptions(m)).front(),
        QStringLiteral(
            "media-col={media-size={x-dimension=21000 y-dimension=29700} media-top-margin=0 "
            "media-bottom-margin=0 media-left-margin=0 media-right-margin=0 media-source=auto "
            "media-type=photographic-semi-gloss}"));
}

TEST_F(Driver, MergeDeviceModePassesOnlyAnnouncedFields) {
    TPrinterConfiguration config(QStringLiteral("Photo"), QStringLiteral("ignored"));
    EXPECT_EQ(config.PortName(), QString());
    IDeviceMode& mode = *config.DeviceMode();
    mode.SetShort(dm::Duplex, 2);  // a field the driver does not announce
    mode.SetLong(dm::Fields, mode.Long(dm::Fields) | dm::DM_DUPLEX);
    mode.SetLong(dm::MediaType, 258);  // announced by the driver but not flagged here
    mode.SetLong(dm::Fields, mode.Long(dm::Fields) & ~uint32_t(dm::DM_MEDIATYPE));
    mode.SetShort(dm::DefaultSource, 4);
    config.MergeDeviceMode();
    EXPECT_EQ(mode.Short(dm::Duplex), 0);
    EXPECT_EQ(mode.Long(dm::MediaType), 1u);
    EXPECT_EQ(mode.Short(dm::DefaultSource), 4);
}

TEST_F(Driver, UserFormsNeedCustomSizesAndLiveInTheSettings) {
    TempDir dir;
    TAppFrame frame;
    ConfigureProgramFrame(frame, dir.file("corvane"));
    TPrinterConfiguration plain(QStringLiteral("Photo"), {});
    EXPECT_FALSE(plain.AddForm(QStringLiteral("Card"), QSize(1000, 1500)));

    FakePrinter& p = spooler.addPhotoPrinter(QStringLiteral("Wide"));
    p.caps.customSizes = true, p.caps.customMin = QSize(5000, 5000),
    p.caps.customMax = QSize(33000, 100000);
    TPrinterConfiguration config(QStringLiteral("Wide"), {});
    EXPECT_TRUE(config.AddForm(QStringLiteral("Card"), QSize(1000, 1500)));
    EXPECT_FALSE(config.AddForm(QStringLiteral("card"), QSize(1000, 1500)));
    const int at = config.Forms()->FindByName(QStringLiteral("Card"));
    ASSERT_GE(at, 0);
    EXPECT_GE(config.Forms()->Item(at)->ID(), 1024);
    // A fresh configuration reads it back from the settings store.
    TPrinterConfiguration again(QStringLiteral("Wide"), {});
    EXPECT_EQ(again.Forms()->FindBySize(QSize(1000, 1500)), at);
    config.DeviceMode()->SetShort(dm::PaperSize, config.Forms()->Item(at)->ID());
    config.MergeDeviceMode();
    EXPECT_EQ(config.DeviceMode()->Short(dm::PaperWidth), 1000);
}

TEST_F(Driver, ChoosingAPrinter) {
    spooler.addPhotoPrinter(QStringLiteral("Another"));
    EXPECT_TRUE(EnsureUsablePrinter());  // no default: the first of the list
    QString device;
    Printer().GetPrinter(&device, nullptr, nullptr, nullptr);
    EXPECT_EQ(device, QStringLiteral("Another"));
    spooler.remove(QStringLiteral("Another"));
    EXPECT_TRUE(RevalidateCurrentPrinter());
    Printer().GetPrinter(&device, nullptr, nullptr, nullptr);
    EXPECT_EQ(device, QStringLiteral("Photo"));
    EXPECT_FALSE(RevalidateCurrentPrinter());
    spooler.remove(QStringLiteral("Photo"));
    ReplacePrinter(nullptr);
    EXPECT_FALSE(EnsureUsablePrinter());
    EXPECT_THROW(GetDriverName(QStringLiteral("Photo")), Exception);
    EXPECT_FALSE(CanOpenPrinter(QStringLiteral("Photo")));
}

TEST_F(Driver, NewestJobAndJobStatus) {
    TPrinterConfiguration config(QStringLiteral("Photo"), {});
    EXPECT_EQ(GetNewestJobID(config), 0);
    spooler.printer_(QStringLiteral("Photo")).jobs = {
        {7, {}, 5, 1000}, {9, {}, 3, 1000}, {8, {}, 3, 1000}, {3, {}, 3, 999}};
    EXPECT_EQ(GetNewestJobID(config), 9);  // same second: the higher id is the newer
    EXPECT_EQ(GetJobStatus(config, 7), JOB_STATUS_PRINTING);
    EXPECT_EQ(GetJobStatus(config, 42), JOB_STATUS_DELETED);
}
