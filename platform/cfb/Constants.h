#pragma once
// Internal: constants of the Compound File Binary format and little-endian helpers.

#include <cstdint>
#include <cstring>

namespace platform::cfb {

// Special values in sector chains (FAT and mini FAT entries).
inline constexpr uint32_t kMaxRegSect = 0xFFFFFFFA;  // highest sector number usable for data
inline constexpr uint32_t kDifSect = 0xFFFFFFFC;     // sector holds DIFAT entries
inline constexpr uint32_t kFatSect = 0xFFFFFFFD;     // sector holds FAT entries
inline constexpr uint32_t kEndOfChain = 0xFFFFFFFE;
inline constexpr uint32_t kFreeSect = 0xFFFFFFFF;
// "No entry" in directory links.
inline constexpr uint32_t kNoStream = 0xFFFFFFFF;

inline constexpr uint32_t kHeaderSize = 512;  // bytes of header fields (v3 and v4)
inline constexpr uint32_t kDirEntrySize = 128;
inline constexpr uint32_t kMiniSectorSize = 64;
inline constexpr uint32_t kMiniStreamCutoff = 4096;  // streams below this live in the mini stream
inline constexpr uint32_t kHeaderDifatCount = 109;   // DIFAT entries kept in the header
inline constexpr int kMaxNameLength = 31;            // UTF-16 units, without the terminator

inline uint16_t get16(const uint8_t* p) {
    return uint16_t(p[0] | (p[1] << 8));
}
inline uint32_t get32(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
inline uint64_t get64(const uint8_t* p) {
    return uint64_t(get32(p)) | (uint64_t(get32(p + 4)) << 32);
}
inline void put16(uint8_t* p, uint16_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}
inline void put32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}
inline void put64(uint8_t* p, uint64_t v) {
    put32(p, uint32_t(v));
    put32(p + 4, uint32_t(v >> 32));
}

}  // namespace platform::cfb
