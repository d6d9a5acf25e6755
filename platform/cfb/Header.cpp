#include "platform/cfb/Header.h"

#include "platform/Messages.h"
#include "platform/cfb/CfbError.h"
#include "platform/cfb/Constants.h"

namespace platform::cfb {

namespace {
constexpr uint8_t kSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
}

Header Header::parse(const uint8_t* b) {
    if (std::memcmp(b, kSignature, 8) != 0)
        throwCorrupt(QStringLiteral("ファイルの識別子が正しくありません"));
    Header h;
    h.minorVersion = get16(b + 0x18);
    h.majorVersion = get16(b + 0x1A);
    if (get16(b + 0x1C) != 0xFFFE) throwCorrupt(QStringLiteral("バイト順の印が正しくありません"));
    h.sectorShift = get16(b + 0x1E);
    if (h.majorVersion == 3) {
        if (h.sectorShift != 9) throwCorrupt(msg::sectorSizeInvalid());
    } else if (h.majorVersion == 4) {
        if (h.sectorShift != 12) throwCorrupt(msg::sectorSizeInvalid());
    } else {
        throwCorrupt(QStringLiteral("未対応のバージョンです"));
    }
    if (get16(b + 0x20) != 6) throwCorrupt(QStringLiteral("ミニセクタサイズが正しくありません"));
    h.directorySectorCount = get32(b + 0x28);
    h.fatSectorCount = get32(b + 0x2C);
    h.firstDirectorySector = get32(b + 0x30);
    h.transactionSignature = get32(b + 0x34);
    if (get32(b + 0x38) != kMiniStreamCutoff)
        throwCorrupt(QStringLiteral("ミニストリームの境界値が正しくありません"));
    h.firstMiniFatSector = get32(b + 0x3C);
    h.miniFatSectorCount = get32(b + 0x40);
    h.firstDifatSector = get32(b + 0x44);
    h.difatSectorCount = get32(b + 0x48);
    for (size_t i = 0; i < h.difat.size(); ++i) h.difat[i] = get32(b + 0x4C + 4 * i);
    return h;
}

void Header::serialize(uint8_t* b) const {
    std::memset(b, 0, kHeaderSize);
    std::memcpy(b, kSignature, 8);
    put16(b + 0x18, minorVersion);
    put16(b + 0x1A, majorVersion);
    put16(b + 0x1C, 0xFFFE);
    put16(b + 0x1E, sectorShift);
    put16(b + 0x20, 6);
    put32(b + 0x28, majorVersion == 3 ? 0 : directorySectorCount);
    put32(b + 0x2C, fatSectorCount);
    put32(b + 0x30, firstDirectorySector);
    put32(b + 0x34, transactionSignature);
    put32(b + 0x38, kMiniStreamCutoff);
    put32(b + 0x3C, firstMiniFatSector);
    put32(b + 0x40, miniFatSectorCount);
    put32(b + 0x44, firstDifatSector);
    put32(b + 0x48, difatSectorCount);
    for (size_t i = 0; i < difat.size(); ++i) put32(b + 0x4C + 4 * i, difat[i]);
}

}  // namespace platform::cfb
