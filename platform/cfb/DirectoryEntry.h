#pragma once
// Internal: one 128-byte directory entry.

#include <QString>
#include <array>
#include <cstdint>

namespace platform::cfb {

enum class EntryType : uint8_t { Unused = 0, Storage = 1, Stream = 2, Root = 5 };

struct DirectoryEntry {
    QString name;
    EntryType type = EntryType::Unused;
    uint8_t color = 1;  // 0 red, 1 black
    uint32_t left = 0xFFFFFFFF;
    uint32_t right = 0xFFFFFFFF;
    uint32_t child = 0xFFFFFFFF;
    std::array<uint8_t, 16> clsid{};
    uint32_t stateBits = 0;
    uint64_t createdTime = 0;
    uint64_t modifiedTime = 0;
    uint32_t startSector = 0xFFFFFFFE;
    uint64_t size = 0;

    bool isStorage() const { return type == EntryType::Storage || type == EntryType::Root; }

    // Reads entry `index` from its 128 bytes. `version` 3 ignores the high half of
    // the size. Raises CfbCorrupt for a bad type, name length or missing terminator
    // (unused entries are not checked beyond their type).
    static DirectoryEntry parse(const uint8_t* bytes, uint16_t version, uint32_t index);
    void serialize(uint8_t* bytes) const;
};

}  // namespace platform::cfb
