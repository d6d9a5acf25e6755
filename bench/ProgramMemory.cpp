// Benchmarks run with the allocator settings the program and the tool start with.
#include "platform/MemoryTuning.h"

namespace {

const bool tuned = (platform::KeepLargeBlocksForReuse(), true);

}  // namespace
