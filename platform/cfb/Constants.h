#pragma once
// Internal: constants of the Compound File Binary format. Its numbers are little-endian;
// the fixed-size header, entries and sectors are converted with <QtEndian>.

#include <cstdint>

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

}  // namespace platform::cfb
