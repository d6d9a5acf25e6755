#pragma once
// The largest picture the readers accept, and what a number of input bytes can produce at
// most. Readers compare a declared size with these before allocating it, so memory follows
// the bytes present, never a header's claim alone.

#include <cstdint>

namespace codecs {

// 2^28 pixels: 16384 x 16384.
constexpr std::int64_t kMaxPixels = std::int64_t(1) << 28;

// The largest uncompressed picture file: 32 bits per pixel plus headers and a colour table.
constexpr std::int64_t kMaxPictureBytes = 4 * kMaxPixels + 64 * 1024;

// Deflate expands at most 1032 to 1 (a 258-byte match in two bits); the slack covers the
// stream's header and a final partial block.
constexpr std::int64_t MaxInflated(std::int64_t compressedBytes) {
    return compressedBytes < 0 ? 0 : 1032 * compressedBytes + 1024;
}

}  // namespace codecs
