// The driver extension wrapper against the call-recording extension, and the extension
// we ship against the built-in PDF printer.
#include "platform/DynamicLibrary.h"
#include "printing/OXDI.h"
#include "printing/PrinterUtil.h"
#include "printing/VanticExtDDI.h"
#include "tests/printing/FakeSpooler.h"
#include "tests/printing/RecordingOxset.h"

#include <gtest/gtest.h>
#include <QFile>

#include <cstring>

namespace dm = platform::devmode;

namespace {

class Oxdi : public ::testing::Test {
protected:
    Oxdi() {
        SetOxsetLibraryPath(QStringLiteral(RECORDING_OXSET));
        state = lib->function<RecordingState>("recording_state");
        *state = RecordingState{};
        const uint16_t sources[] = {7, 259, 267, 268};
        std::memcpy(state->sources, sources, sizeof sources);
        state->sourceCount = 4;
        const uint16_t media[] = {1, 258, 337};
        std::memcpy(state->media, media, sizeof media);
        state->mediaCount = 3;
        state->qualityRange = 1;
        state->coarsestKept = 1000;
        state->driverInfoCount = 1;
    }
    ~Oxdi() override { SetOxsetLibraryPath({}); }
    // The calls since the last look.
    QString calls() {
        const QString log = QString::fromLatin1(state->log);
        state->log[0] = '\0';
        return log;
    }

    FakeSpooler spooler;
    FakePrinter& photo = spooler.addPhotoPrinter(QStringLiteral("Photo"));
    std::optional<platform::DynamicLibrary> lib =
        platform::DynamicLibrary::open(QStringLiteral(RECORDING_OXSET));
    RecordingState* state = nullptr;
    TPrinterConfiguration config{QStringLiteral("Photo"), {}};
};

}  // namespace

TEST_F(Oxdi, BorderlessSwitchesThroughTheSourcePairs) {
    IOXDIPtr ext = NewOXDI(config);
    ASSERT_TRUE(ext->IsOpen());
    EXPECT_EQ(calls(), QStringLiteral("Open 2\n"));
    EXPECT_TRUE(ext->BorderlessAvailable());
    ext->SetBorderless(true);  // source 7 -> 259, then the context is opened again
    EXPECT_EQ(config.DeviceMode()->Short(dm::DefaultSource), 259);
    EXPECT_EQ(calls(), QStringLiteral("Close\nOpen 2\n"));
    EXPECT_TRUE(ext->BorderlessEnabled());

    config.DeviceMode()->SetShort(dm::DefaultSource, 15);  // not in the table
    ext->SetBorderless(true);
    EXPECT_EQ(calls(), QString());
    EXPECT_EQ(config.DeviceMode()->Short(dm::DefaultSource), 15);
}

TEST_F(Oxdi, AlbumFeedKeepsAlbumPaperThroughCommit) {
    config.DeviceMode()->SetShort(dm::DefaultSource, 268);
    config.MergeDeviceMode();
    IOXDIPtr ext = NewOXDI(config);
    calls();
    ext->SetBorderless(true);  // the source stays 268; the album media type is set
    EXPECT_EQ(config.DeviceMode()->Short(dm::DefaultSource), 268);
    EXPECT_EQ(config.DeviceMode()->Long(dm::MediaType), 337u);
    EXPECT_EQ(calls(), QStringLiteral("Close\nOpen 2\n"));  // merged and refreshed
    ext->Commit();
    EXPECT_EQ(config.DeviceMode()->Long(dm::MediaType), 337u);
    calls();
    ext->SetBorderless(true);  // nothing left to change
    EXPECT_EQ(calls(), QString());
}

TEST_F(Oxdi, QualityProbe) {
    IOXDIPtr ext = NewOXDI(config);
    const QByteArray before = config.DeviceMode()->GetDevModeA();
    calls();
    EXPECT_EQ(ext->QualityLevelCount(), 1);
    EXPECT_FALSE(calls().contains(u"SetData"));
    EXPECT_EQ(config.DeviceMode()->GetDevModeA(), before);

    state->qualityRange = 5, state->coarsestKept = 3;  // levels 4 and 5 are not kept
    EXPECT_EQ(ext->QualityLevelCount(), 3);
    EXPECT_EQ(calls().count(u"SetData 70"), 3);

    state->qualityRange = 60000, state->coarsestKept = 1;
    EXPECT_EQ(ext->QualityLevelCount(), 1);
    EXPECT_LE(calls().count(u"SetData 70"), 16);  // the range is not walked to its end
}

TEST_F(Oxdi, MediaNamesAndUntrustedAnswers) {
    IOXDIPtr ext = NewOXDI(config);
    EXPECT_EQ(ext->MediaName(999), QStringLiteral("不明な用紙種類(999)"));
    EXPECT_EQ(ext->MediaName(267), QStringLiteral("ﾏｯﾄ紙"));
    state->mediaNameLength = 10;
    EXPECT_EQ(ext->MediaName(258), QStringLiteral("Glossy 258"));
    state->mediaNameLength = 0x7fffffff;  // too long to be a name: the table's instead
    EXPECT_EQ(ext->MediaName(258), QStringLiteral("ﾌｫﾄ用紙(専用光沢紙)"));

    state->driverInfoCount = 1 << 20;
    EXPECT_EQ(ext->DriverClass(), 4);
    state->driverInfoCount = 1;
    EXPECT_EQ(ext->DriverClass(), 0);

    const QByteArray before = config.DeviceMode()->GetDevModeA();
    state->devModeSizeLie = 1 << 24;
    ext->Commit();
    EXPECT_EQ(config.DeviceMode()->GetDevModeA(), before);
    EXPECT_EQ(ext->MediaList(), (QList<int>{1, 258, 337}));
}

TEST_F(Oxdi, ClosedExtensionAnswersDefaults) {
    state->failOpen = 1;
    IOXDIPtr ext = NewOXDI(config);
    EXPECT_FALSE(ext->IsOpen());
    EXPECT_EQ(ext->CommandLevel(70), -1);
    EXPECT_EQ(ext->GetPaperSource(), 7);
    EXPECT_EQ(ext->GetColorMode(), 0);
    EXPECT_EQ(ext->DriverClass(), 4);
    EXPECT_TRUE(ext->MediaList().isEmpty());
    EXPECT_EQ(ext->GetBorderlessRecord(), TBorderlessRecord{});
    SetOxsetLibraryPath(QStringLiteral("/nonexistent/OXSET32.so"));
    EXPECT_FALSE(NewOXDI(config)->IsOpen());
    EXPECT_FALSE(IsPaperPrintable(QSize(2100, 2970), true, config));
}

TEST_F(Oxdi, VanticFunctionChecksValuesAgainstItsList) {
    SetVanticModulePath(QStringLiteral("/nonexistent/Photo.vj.so"));
    EXPECT_FALSE(NewVanticExtDDI(config)->IsAvailable());
    EXPECT_EQ(NewVanticExtDDI(config)->Call(2, 4, nullptr), 1);
    SetVanticModulePath(QStringLiteral(RECORDING_OXSET));
    IVanticExtDDIPtr ext = NewVanticExtDDI(config);
    ASSERT_TRUE(ext->IsAvailable());
    calls();
    bool accepted = true;
    ext->SetValue(4, 999, true, &accepted);
    EXPECT_FALSE(accepted);
    EXPECT_FALSE(calls().contains(u"VJ 3 4"));
    ext->SetValue(4, 258, true, &accepted);
    EXPECT_TRUE(accepted);
    EXPECT_TRUE(calls().contains(u"VJ 3 4"));
    SetVanticModulePath({});
}

// The extension we ship, on the PDF printer (no print server needed).
TEST(ShippedExtension, ServesThePdfPrinter) {
    platform::installSpooler(nullptr);
    SetOxsetLibraryPath(QStringLiteral(VELLUMO_BIN_DIR "/Drivers/OXSET32.so"));
    TPrinterConfiguration config(platform::pdfPrinterName(), {});
    IOXDIPtr ext = NewOXDI(config);
    ASSERT_TRUE(ext->IsOpen());
    EXPECT_TRUE(ext->MediaList().contains(337));
    EXPECT_EQ(ext->MediaName(337), QStringLiteral("ｱﾙﾊﾞﾑ用紙"));
    EXPECT_EQ(ext->QualityLevelCount(), 2);
    // Colour matching is offered exactly when our colour engine lies beside the program.
    EXPECT_EQ(ext->ColorModeList().contains(OXDM_COLOR_MATCHING),
              QFile::exists(QStringLiteral(VELLUMO_BIN_DIR "/KvrCtrl.so")));
    ext->SetBorderless(true);
    EXPECT_EQ(config.DeviceMode()->Short(dm::DefaultSource), 259);
    TMediaSetting s;
    ASSERT_TRUE(ext->GetMediaSetting(s));
    EXPECT_TRUE(ext->SetMediaSetting({1, 1, 337, 2}));
    EXPECT_FALSE(ext->SetMediaSetting({1, 1, 999, 2}));
    ext->Commit();
    EXPECT_EQ(config.DeviceMode()->Long(dm::MediaType), 337u);
    EXPECT_EQ(config.DeviceMode()->Short(dm::PrintQuality), -4);  // level 1: the finest
    EXPECT_TRUE(ext->BorderlessEnabled());
    EXPECT_TRUE(IsPaperPrintable(QSize(2100, 2970), true, config));
    SetOxsetLibraryPath({});
}
