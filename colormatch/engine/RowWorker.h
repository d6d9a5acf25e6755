#pragma once
// A second thread for the engine's row blocks: one job at a time, handed over and
// waited for; the thread lives as long as the object.

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace kvr {

class RowWorker {
public:
    RowWorker();
    ~RowWorker();
    RowWorker(const RowWorker&) = delete;
    RowWorker& operator=(const RowWorker&) = delete;

    void Start(std::function<void()> job);
    void Wait();

private:
    void loop();

    std::mutex mutex_;
    std::condition_variable changed_;
    std::function<void()> job_;
    bool busy_ = false, quit_ = false;
    std::thread thread_;
};

}  // namespace kvr
