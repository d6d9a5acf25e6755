#include "imaging/Parallel.h"

#include <algorithm>
#include <atomic>

namespace {
std::atomic<int> g_threads{0};
}

int ImagingThreads() {
    const int n = g_threads.load(std::memory_order_relaxed);
    return n > 0 ? n : int(std::min(2u, std::max(1u, std::thread::hardware_concurrency())));
}

void SetImagingThreads(int n) { g_threads.store(std::max(0, n), std::memory_order_relaxed); }
