#include "colormatch/engine/RowWorker.h"

namespace kvr {

RowWorker::RowWorker() : thread_([this] { loop(); }) {}

RowWorker::~RowWorker() {
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void RowWorker::Start(std::function<void()> job) {
    {
        std::lock_guard lock(mutex_);
        job_ = std::move(job);
        busy_ = true;
    }
    changed_.notify_all();
}

void RowWorker::Wait() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return !busy_; });
}

void RowWorker::loop() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return busy_ || quit_; });
        if (quit_) return;
        lock.unlock();
        job_();
        lock.lock();
        busy_ = false;
        changed_.notify_all();
    }
}

}  // namespace kvr
