#include "colormatch/RowFeed.h"

#include <algorithm>

namespace kvr {

RowFeed::RowFeed(int32_t rows, std::function<int(RowFeed&)> decode)
    : total_(rows), thread_([this, decode = std::move(decode)] {
          const int result = decode(*this);
          {
              std::lock_guard lock(mutex_);
              result_ = result;
              ended_ = true;
          }
          changed_.notify_one();
      }) {}

RowFeed::~RowFeed() {
    if (thread_.joinable()) thread_.join();
}

void RowFeed::Publish(int32_t rows) {
    bool wake = false;
    {
        std::lock_guard lock(mutex_);
        done_.store(rows, std::memory_order_release);
        wake = rows >= wanted_;
    }
    if (wake) changed_.notify_one();
}

bool RowFeed::WaitFor(int32_t row) {
    if (done_.load(std::memory_order_acquire) > row) return true;
    std::unique_lock lock(mutex_);
    wanted_ = std::min(row + kBatch, total_);
    changed_.wait(lock, [&] { return ended_ || done_.load(std::memory_order_relaxed) >= wanted_; });
    wanted_ = INT32_MAX;
    return done_.load(std::memory_order_relaxed) > row;
}

int RowFeed::Finish() {
    if (thread_.joinable()) thread_.join();
    return result_;
}

}  // namespace kvr
