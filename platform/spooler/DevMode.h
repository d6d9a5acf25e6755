#pragma once
// The device-mode block: the public fields at their fixed offsets (ANSI and wide layouts,
// little-endian) and, behind them, the driver-private area. Our drivers keep their
// settings there as a small record: magic, version and the job options as name/value pairs.

#include "platform/spooler/Spooler.h"

#include <QByteArray>
#include <QByteArrayView>
#include <cstdint>

namespace platform::devmode {

constexpr int kAnsiSize = 156;
constexpr int kWideSize = 220;
// The most driver-private bytes a block may carry (the size field is 16 bits).
constexpr int kMaxDriverExtra = 0xFFFF;

// Offsets in the ANSI layout; the wide layout has them 32 bytes later up to dmCollate, and
// 64 bytes later from dmLogPixels on.
enum Offset : int {
    DeviceName = 0,  // 32 bytes
    SpecVersion = 32,
    DriverVersion = 34,
    Size = 36,
    DriverExtra = 38,
    Fields = 40,
    Orientation = 44,
    PaperSize = 46,
    PaperLength = 48,
    PaperWidth = 50,
    Scale = 52,
    Copies = 54,
    DefaultSource = 56,
    PrintQuality = 58,
    Color = 60,
    Duplex = 62,
    YResolution = 64,
    TTOption = 66,
    Collate = 68,
    FormName = 70,  // 32 bytes
    LogPixels = 102,
    ICMMethod = 124,
    ICMIntent = 128,
    MediaType = 132,
    DitherType = 136,
};

enum FieldBit : uint32_t {
    DM_ORIENTATION = 0x1,
    DM_PAPERSIZE = 0x2,
    DM_PAPERLENGTH = 0x4,
    DM_PAPERWIDTH = 0x8,
    DM_SCALE = 0x10,
    DM_COPIES = 0x100,
    DM_DEFAULTSOURCE = 0x200,
    DM_PRINTQUALITY = 0x400,
    DM_COLOR = 0x800,
    DM_DUPLEX = 0x1000,
    DM_YRESOLUTION = 0x2000,
    DM_COLLATE = 0x8000,
    DM_FORMNAME = 0x10000,
    DM_ICMMETHOD = 0x800000,
    DM_ICMINTENT = 0x1000000,
    DM_MEDIATYPE = 0x2000000,
};

constexpr int DMPAPER_USER = 256;

// Plain field access on an ANSI block of at least kAnsiSize bytes.
int16_t i16(const QByteArray& b, int offset);
uint16_t u16(const QByteArray& b, int offset);
uint32_t u32(const QByteArray& b, int offset);
void setI16(QByteArray& b, int offset, int value);
void setU16(QByteArray& b, int offset, unsigned value);
void setU32(QByteArray& b, int offset, uint32_t value);
QString name(const QByteArray& b, int offset);  // a 32-byte ANSI name (CP932)
void setName(QByteArray& b, int offset, const QString& name);

// A fresh zero-filled ANSI block with dmSize 156.
QByteArray emptyAnsi();
// Checks an ANSI block from outside: dmSize 156, and dmDriverExtra bytes really there.
// Answers the block cut to its length; raises msg::devModeInvalid() otherwise.
QByteArray checkedAnsi(QByteArrayView bytes);
// The same for a wide block (dmSize 220).
QByteArray checkedWide(QByteArrayView bytes);
// The two conversions; the driver-private bytes are kept.
QByteArray ansiToWide(const QByteArray& ansi);
QByteArray wideToAnsi(const QByteArray& wide);

// The driver-private record of our drivers.
struct DriverData {
    SpoolerOptions options;  // job options; names starting "vellumo-" stay with the driver
};
QByteArray encodeDriverData(const DriverData& data);
// None when the area holds no record of ours; raises msg::devModeInvalid() for a record of
// ours that is damaged.
std::optional<DriverData> decodeDriverData(QByteArrayView area);
// The driver-private area of an ANSI block, and the block with a new one.
QByteArrayView driverArea(const QByteArray& ansi);
void setDriverArea(QByteArray& ansi, const QByteArray& area);

}  // namespace platform::devmode
