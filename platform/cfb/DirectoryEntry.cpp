#include "platform/cfb/DirectoryEntry.h"

#include "platform/Format.h"
#include "platform/Messages.h"
#include "platform/cfb/CfbError.h"
#include "platform/cfb/Constants.h"

#include <QtEndian>
#include <cstring>

namespace platform::cfb {

DirectoryEntry DirectoryEntry::parse(const uint8_t* b, uint16_t version, uint32_t index) {
    DirectoryEntry e;
    const uint8_t type = b[0x42];
    if (type != 0 && type != 1 && type != 2 && type != 5)
        throwCorrupt(msg::directoryEntryTypeInvalid(index));
    e.type = EntryType(type);
    if (e.type == EntryType::Unused) return e;
    const uint16_t nameBytes = qFromLittleEndian<uint16_t>(b + 0x40);
    if (nameBytes < 2 || nameBytes > 64 || nameBytes % 2 != 0)
        throwCorrupt(
            format(QStringLiteral("ディレクトリ項目 %d の名前の長さが正しくありません"), index));
    const int units = nameBytes / 2 - 1;
    if (qFromLittleEndian<uint16_t>(b + 2 * units) != 0)
        throwCorrupt(
            format(QStringLiteral("ディレクトリ項目 %d の名前が終端されていません"), index));
    e.name.resize(units);
    for (int i = 0; i < units; ++i) e.name[i] = QChar(qFromLittleEndian<uint16_t>(b + 2 * i));
    e.color = b[0x43];
    e.left = qFromLittleEndian<uint32_t>(b + 0x44);
    e.right = qFromLittleEndian<uint32_t>(b + 0x48);
    e.child = qFromLittleEndian<uint32_t>(b + 0x4C);
    std::memcpy(e.clsid.data(), b + 0x50, 16);
    e.stateBits = qFromLittleEndian<uint32_t>(b + 0x60);
    e.createdTime = qFromLittleEndian<uint64_t>(b + 0x64);
    e.modifiedTime = qFromLittleEndian<uint64_t>(b + 0x6C);
    e.startSector = qFromLittleEndian<uint32_t>(b + 0x74);
    e.size = qFromLittleEndian<uint64_t>(b + 0x78);
    if (version == 3) e.size &= 0xFFFFFFFFu;
    return e;
}

void DirectoryEntry::serialize(uint8_t* b) const {
    std::memset(b, 0, kDirEntrySize);
    if (type == EntryType::Unused) {
        qToLittleEndian<uint32_t>(kNoStream, b + 0x44);
        qToLittleEndian<uint32_t>(kNoStream, b + 0x48);
        qToLittleEndian<uint32_t>(kNoStream, b + 0x4C);
        return;
    }
    const int units = int(std::min<qsizetype>(name.size(), kMaxNameLength));
    for (int i = 0; i < units; ++i) qToLittleEndian<uint16_t>(name.at(i).unicode(), b + 2 * i);
    qToLittleEndian<uint16_t>(uint16_t((units + 1) * 2), b + 0x40);
    b[0x42] = uint8_t(type);
    b[0x43] = color;
    qToLittleEndian<uint32_t>(left, b + 0x44);
    qToLittleEndian<uint32_t>(right, b + 0x48);
    qToLittleEndian<uint32_t>(child, b + 0x4C);
    std::memcpy(b + 0x50, clsid.data(), 16);
    qToLittleEndian<uint32_t>(stateBits, b + 0x60);
    qToLittleEndian<uint64_t>(createdTime, b + 0x64);
    qToLittleEndian<uint64_t>(modifiedTime, b + 0x6C);
    qToLittleEndian<uint32_t>(type == EntryType::Storage ? 0 : startSector, b + 0x74);
    qToLittleEndian<uint64_t>(type == EntryType::Storage ? 0 : size, b + 0x78);
}

}  // namespace platform::cfb
