// Device-mode blocks: layouts, conversions, the driver-private record and blocks from
// outside.
#include "platform/Exception.h"
#include "printing/DeviceMode.h"

#include <gtest/gtest.h>
#include <QtEndian>

namespace dm = platform::devmode;

namespace {

// A wide block with recognisable public fields and `extra` driver bytes.
QByteArray wideBlock(int extra) {
    QByteArray w(dm::kWideSize + extra, '\0');
    const QString device = QStringLiteral("写真プリンタ"), form = QStringLiteral("A4");
    for (int i = 0; i < device.size(); ++i)
        qToLittleEndian<uint16_t>(device[i].unicode(), w.data() + 2 * i);
    for (int i = 0; i < form.size(); ++i)
        qToLittleEndian<uint16_t>(form[i].unicode(), w.data() + 102 + 2 * i);
    dm::setU16(w, 64, 0x0401);           // dmSpecVersion
    dm::setU16(w, 68, dm::kWideSize);    // dmSize
    dm::setU16(w, 70, unsigned(extra));  // dmDriverExtra
    dm::setI16(w, 64 + (dm::PaperSize - 32), 9);
    dm::setI16(w, 64 + (dm::DefaultSource - 32), 259);
    dm::setU32(w, 166 + (dm::MediaType - dm::LogPixels), 337);
    for (int i = 0; i < extra; ++i) w[dm::kWideSize + i] = char(0xA0 + i);
    return w;
}

}  // namespace

TEST(DeviceMode, WideWithDriverBytesConvertsToAnsiAndBack) {
    TmDeviceMode mode;
    const QByteArray wide = wideBlock(40);
    mode.SetDevModeW(wide);
    const QByteArray ansi = mode.GetDevModeA();
    ASSERT_EQ(ansi.size(), 196);
    EXPECT_EQ(dm::u16(ansi, dm::Size), 156);
    EXPECT_EQ(ansi.right(40), wide.right(40));
    EXPECT_EQ(dm::name(ansi, dm::DeviceName), QStringLiteral("写真プリンタ"));
    EXPECT_EQ(dm::name(ansi, dm::FormName), QStringLiteral("A4"));
    EXPECT_EQ(dm::i16(ansi, dm::PaperSize), 9);
    EXPECT_EQ(dm::i16(ansi, dm::DefaultSource), 259);
    EXPECT_EQ(dm::u32(ansi, dm::MediaType), 337u);
    EXPECT_EQ(mode.GetDevModeW(), wide);
    EXPECT_EQ(mode.GetDevModeW().size(), 260);
}

TEST(DeviceMode, FreshHolderAndHandles) {
    TmDeviceMode mode;
    EXPECT_EQ(mode.GetDevModeA(), dm::emptyAnsi());
    QByteArray handle = dm::emptyAnsi();
    dm::setU16(handle, dm::Size, 0);  // a zero size counts as 156
    dm::setI16(handle, dm::Copies, 3);
    mode.SetFromHandle(&handle);
    EXPECT_EQ(mode.Short(dm::Copies), 3);
    EXPECT_EQ(dm::u16(mode.GetHandleCopy(), dm::Size), 156);
    mode.SetFromHandle(nullptr);
    EXPECT_EQ(mode.GetDevModeA(), dm::emptyAnsi());
}

TEST(DeviceMode, BlocksWhoseSizesLieAreRefused) {
    TmDeviceMode mode;
    QByteArray block = dm::emptyAnsi();
    dm::setU16(block, dm::DriverExtra, 500);  // announces bytes that are not there
    EXPECT_THROW(mode.SetDevMode(block), Exception);
    EXPECT_THROW(mode.SetDevMode(QByteArray(100, '\0')), Exception);
    QByteArray big = dm::emptyAnsi();
    dm::setU16(big, dm::Size, 4000);
    EXPECT_THROW(mode.SetFromHandle(&big), Exception);
    EXPECT_EQ(mode.GetDevModeA(), dm::emptyAnsi());  // the old block stays
}

TEST(DeviceMode, DriverRecordRoundTripsAndDamageIsReported) {
    dm::DriverData data;
    data.options = {{QStringLiteral("media"), QStringLiteral("iso_a4_210x297mm")},
                    {QStringLiteral("vellumo-flags204"), QStringLiteral("2")}};
    QByteArray block = dm::emptyAnsi();
    dm::setDriverArea(block, dm::encodeDriverData(data));
    const auto back = dm::decodeDriverData(dm::driverArea(dm::checkedAnsi(block)));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->options, data.options);
    EXPECT_FALSE(dm::decodeDriverData(QByteArrayView("other driver")));
    QByteArray cut = dm::encodeDriverData(data);
    cut.chop(3);
    EXPECT_THROW(dm::decodeDriverData(cut), Exception);
}
