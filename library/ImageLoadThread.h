#pragma once
// TImageLoadThread: the thumbnail worker. The main thread requests images by key; the
// worker loads the most recent request first (last in, first out) from its source pack
// and queues the result; the main thread takes results oldest first.
//
// The worker sleeps on a condition variable whenever it has no pack or no request, so it
// never spins, and every request made, or pack set, under the request lock wakes it: a
// wake-up cannot be lost between its test and its sleep. The request and result queues
// have a lock each and nothing holds both. ClearQueues and Stop wait for the worker while
// holding no lock; the worker never waits for the main thread.

#include <QImage>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class TImagePack;
class TPictureEx;

class TImageLoadThread {
public:
    TImageLoadThread();
    // Stops the worker and frees what is left in both queues.
    ~TImageLoadThread();
    TImageLoadThread(const TImageLoadThread&) = delete;
    TImageLoadThread& operator=(const TImageLoadThread&) = delete;

    // The source pack (not owned); the worker loads nothing while there is none. A cached
    // pack is loaded with LoadImage, bypassing its own cache; others with SafeGetImage.
    // The owner changes it only with the queues cleared.
    void SetPack(TImagePack* pack);
    TImagePack* Pack() const { return pack_.load(); }

    // Queues a request for `key` unless one is already queued, and wakes the worker.
    void Request(int key);
    // Copies the oldest result into `picture` and answers its key; -1 when there is none.
    int TakeResult(TPictureEx& picture);
    // Waits up to `timeout` until a result is queued (or the worker stopped); true when
    // there is one. For callers without an event loop (the tool, tests).
    bool WaitForResult(std::chrono::milliseconds timeout);
    // Frees the queued requests, waits until the worker has finished the image in hand,
    // then frees the queued results.
    void ClearQueues();
    // Ends the worker and waits for it; later requests are kept but never served.
    void Stop();
    bool Finished() const { return finished_.load(); }

    // Called on the worker after each result is queued (e.g. to wake an event loop).
    std::function<void()> OnResult;

    // The keys in the order the worker started loading them (for tests and diagnosis).
    std::vector<int> LoadOrder() const;

private:
    struct Item {
        std::unique_ptr<TPictureEx> picture;
        int key;
    };
    void run(std::stop_token stop);
    void load(Item& item, TImagePack* pack);

    mutable std::mutex requestLock_;
    std::condition_variable_any wake_;
    std::condition_variable_any idle_;
    std::deque<Item> requests_;
    bool busy_ = false;  // under requestLock_: an image is in hand
    std::vector<int> loadOrder_;

    std::mutex resultLock_;
    std::condition_variable resultReady_;
    std::deque<Item> results_;

    std::atomic<TImagePack*> pack_{nullptr};
    std::atomic<bool> finished_{false};
    std::jthread worker_;
};
