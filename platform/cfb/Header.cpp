#include "platform/cfb/Header.h"

#include "platform/Messages.h"
#include "platform/cfb/CfbError.h"
#include "platform/cfb/Constants.h"

#include <QtEndian>
#include <cstring>

namespace platform::cfb {

namespace {
constexpr uint8_t kSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
}

Header Header::parse(const uint8_t* b) {
    if (std::memcmp(b, kSignature, 8) != 0)
        throwCorrupt(QStringLiteral("ファイルの識別子が正しくありません"));
    Header h;
    h.minorVersion = qFromLittleEndian<uint16_t>(b + 0x18);
    h.majorVersion = qFromLittleEndian<uint16_t>(b + 0x1A);
    if (qFromLittleEndian<uint16_t>(b + 0x1C) != 0xFFFE)
        throwCorrupt(QStringLiteral("バイト順の印が正しくありません"));
    h.sectorShift = qFromLittleEndian<uint16_t>(b + 0x1E);
    if (h.majorVersion == 3) {
        if (h.sectorShift != 9) throwCorrupt(msg::sectorSizeInvalid());
    } else if (h.majorVersion == 4) {
        if (h.sectorShift != 12) throwCorrupt(msg::sectorSizeInvalid());
    } else {
        throwCorrupt(QStringLiteral("未対応のバージョンです"));
    }
    if (qFromLittleEndian<uint16_t>(b + 0x20) != 6)
        throwCorrupt(QStringLiteral("ミニセクタサイズが正しくありません"));
    h.directorySectorCount = qFromLittleEndian<uint32_t>(b + 0x28);
    h.fatSectorCount = qFromLittleEndian<uint32_t>(b + 0x2C);
    h.firstDirectorySector = qFromLittleEndian<uint32_t>(b + 0x30);
    h.transactionSignature = qFromLittleEndian<uint32_t>(b + 0x34);
    if (qFromLittleEndian<uint32_t>(b + 0x38) != kMiniStreamCutoff)
        throwCorrupt(QStringLiteral("ミニストリームの境界値が正しくありません"));
    h.firstMiniFatSector = qFromLittleEndian<uint32_t>(b + 0x3C);
    h.miniFatSectorCount = qFromLittleEndian<uint32_t>(b + 0x40);
    h.firstDifatSector = qFromLittleEndian<uint32_t>(b + 0x44);
    h.difatSectorCount = qFromLittleEndian<uint32_t>(b + 0x48);
    qFromLittleEndian<uint32_t>(b + 0x4C, qsizetype(h.difat.size()), h.difat.data());
    return h;
}

void Header::serialize(uint8_t* b) const {
    std::memset(b, 0, kHeaderSize);
    std::memcpy(b, kSignature, 8);
    qToLittleEndian<uint16_t>(minorVersion, b + 0x18);
    qToLittleEndian<uint16_t>(majorVersion, b + 0x1A);
    qToLittleEndian<uint16_t>(0xFFFE, b + 0x1C);
    qToLittleEndian<uint16_t>(sectorShift, b + 0x1E);
    qToLittleEndian<uint16_t>(6, b + 0x20);
    qToLittleEndian<uint32_t>(majorVersion == 3 ? 0 : directorySectorCount, b + 0x28);
    qToLittleEndian<uint32_t>(fatSectorCount, b + 0x2C);
    qToLittleEndian<uint32_t>(firstDirectorySector, b + 0x30);
    qToLittleEndian<uint32_t>(transactionSignature, b + 0x34);
    qToLittleEndian<uint32_t>(kMiniStreamCutoff, b + 0x38);
    qToLittleEndian<uint32_t>(firstMiniFatSector, b + 0x3C);
    qToLittleEndian<uint32_t>(miniFatSectorCount, b + 0x40);
    qToLittleEndian<uint32_t>(firstDifatSector, b + 0x44);
    qToLittleEndian<uint32_t>(difatSectorCount, b + 0x48);
    qToLittleEndian<uint32_t>(difat.data(), qsizetype(difat.size()), b + 0x4C);
}

}  // namespace platform::cfb
