#include "platform/cfb/DirectoryEntry.h"

#include "platform/Format.h"
#include "platform/Messages.h"
#include "platform/cfb/CfbError.h"
#include "platform/cfb/Constants.h"

namespace platform::cfb {

DirectoryEntry DirectoryEntry::parse(const uint8_t* b, uint16_t version, uint32_t index) {
    DirectoryEntry e;
    const uint8_t type = b[0x42];
    if (type != 0 && type != 1 && type != 2 && type != 5)
        throwCorrupt(msg::directoryEntryTypeInvalid(index));
    e.type = EntryType(type);
    if (e.type == EntryType::Unused) return e;
    const uint16_t nameBytes = get16(b + 0x40);
    if (nameBytes < 2 || nameBytes > 64 || nameBytes % 2 != 0)
        throwCorrupt(
            format(QStringLiteral("ディレクトリ項目 %d の名前の長さが正しくありません"), index));
    const int units = nameBytes / 2 - 1;
    if (get16(b + 2 * units) != 0)
        throwCorrupt(
            format(QStringLiteral("ディレクトリ項目 %d の名前が終端されていません"), index));
    e.name.resize(units);
    for (int i = 0; i < units; ++i) e.name[i] = QChar(get16(b + 2 * i));
    e.color = b[0x43];
    e.left = get32(b + 0x44);
    e.right = get32(b + 0x48);
    e.child = get32(b + 0x4C);
    std::memcpy(e.clsid.data(), b + 0x50, 16);
    e.stateBits = get32(b + 0x60);
    e.createdTime = get64(b + 0x64);
    e.modifiedTime = get64(b + 0x6C);
    e.startSector = get32(b + 0x74);
    e.size = get64(b + 0x78);
    if (version == 3) e.size &= 0xFFFFFFFFu;
    return e;
}

void DirectoryEntry::serialize(uint8_t* b) const {
    std::memset(b, 0, kDirEntrySize);
    if (type == EntryType::Unused) {
        put32(b + 0x44, kNoStream);
        put32(b + 0x48, kNoStream);
        put32(b + 0x4C, kNoStream);
        return;
    }
    const int units = int(std::min<qsizetype>(name.size(), kMaxNameLength));
    for (int i = 0; i < units; ++i) put16(b + 2 * i, name.at(i).unicode());
    put16(b + 0x40, uint16_t((units + 1) * 2));
    b[0x42] = uint8_t(type);
    b[0x43] = color;
    put32(b + 0x44, left);
    put32(b + 0x48, right);
    put32(b + 0x4C, child);
    std::memcpy(b + 0x50, clsid.data(), 16);
    put32(b + 0x60, stateBits);
    put64(b + 0x64, createdTime);
    put64(b + 0x6C, modifiedTime);
    put32(b + 0x74, type == EntryType::Storage ? 0 : startSector);
    put64(b + 0x78, type == EntryType::Storage ? 0 : size);
}

}  // namespace platform::cfb
