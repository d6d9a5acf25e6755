#pragma once
// Rows decoded on a second thread while the calling thread works on those already in the
// buffer: the decoding thread publishes how many rows it has finished, the caller waits
// for the row it needs next. The thread ends with the decoding; Finish collects it.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

namespace kvr {

class RowFeed {
public:
    // Starts `decode` on a new thread (std::system_error when there is none). It is given
    // the feed to publish its rows to and answers the decoding's result.
    RowFeed(int32_t rows, std::function<int(RowFeed&)> decode);
    ~RowFeed();
    RowFeed(const RowFeed&) = delete;
    RowFeed& operator=(const RowFeed&) = delete;

    // From the decoding thread: the first `rows` rows are complete.
    void Publish(int32_t rows);
    // Whether row `row` (from 0) is complete, waiting for it while decoding goes on; false
    // when decoding ended without it.
    bool WaitFor(int32_t row);
    // Waits for the decoding to end and answers its result.
    int Finish();

private:
    // A caller that has to wait is woken only when this many more rows are there (or the
    // decoding has ended), not for every row.
    static constexpr int32_t kBatch = 32;

    const int32_t total_;
    std::atomic<int32_t> done_{0};
    std::mutex mutex_;
    std::condition_variable changed_;
    int32_t wanted_ = INT32_MAX;  // under mutex_
    bool ended_ = false;          // under mutex_
    int result_ = 0;
    std::thread thread_;  // last: everything above exists before it starts
};

}  // namespace kvr
