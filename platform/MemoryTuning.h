#pragma once
// Allocator settings for a program that streams photos through buffers of tens of
// megabytes (a decoded 12-megapixel photo is 48 MB). By default the C library maps every
// such block afresh and unmaps it when it is freed, so each photo pays for faulting in all
// of its pages again; on virtual machines that costs more than decoding the photo. Blocks
// up to 256 MB come from the heap instead, and up to 1 GB freed at the heap's top stays
// with the process for the next photo. Called first thing by the program and the tool.

#include <malloc.h>

namespace platform {

inline void KeepLargeBlocksForReuse() {
    mallopt(M_MMAP_THRESHOLD, 256 << 20);
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
}

}  // namespace platform
