#pragma once
// How many threads the large pixel operations use (resampling, blur): two on machines
// that have them. Results never depend on it; benchmarks set one thread to compare with
// single-threaded peers.

#include <thread>

int ImagingThreads();
void SetImagingThreads(int n);  // 0: back to the default

// Runs job(first, last) over [0, n), split in ImagingThreads() parts when the work is large.
template <class F>
void ParallelRows(int n, long long work, F&& job) {
    const int threads = ImagingThreads();
    if (threads < 2 || work < 256 * 256 || n < 2) {
        job(0, n);
        return;
    }
    std::thread other([&] { job(n / 2, n); });
    job(0, n / 2);
    other.join();
}
