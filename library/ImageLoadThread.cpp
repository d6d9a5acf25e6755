#include "library/ImageLoadThread.h"

#include "imaging/pack/CachedImagePack.h"
#include "imaging/picture/PictureEx.h"

#include <algorithm>

TImageLoadThread::TImageLoadThread() {
    worker_ = std::jthread([this](std::stop_token stop) { run(stop); });
}

TImageLoadThread::~TImageLoadThread() {
    Stop();
}

void TImageLoadThread::SetPack(TImagePack* pack) {
    {
        std::lock_guard lock(requestLock_);
        pack_.store(pack);
    }
    wake_.notify_all();
}

void TImageLoadThread::Request(int key) {
    {
        std::lock_guard lock(requestLock_);
        const bool queued = std::any_of(requests_.begin(), requests_.end(),
                                        [key](const Item& i) { return i.key == key; });
        if (!queued) requests_.push_back({std::make_unique<TPictureEx>(), key});
    }
    wake_.notify_all();
}

int TImageLoadThread::TakeResult(TPictureEx& picture) {
    Item item;
    {
        std::lock_guard lock(resultLock_);
        if (!results_.empty()) {
            item = std::move(results_.front());
            results_.pop_front();
        }
    }
    if (!item.picture) {
        // Nothing to take: make sure queued requests are being served.
        bool pending;
        {
            std::lock_guard lock(requestLock_);
            pending = !requests_.empty();
        }
        if (pending) wake_.notify_all();
        return -1;
    }
    picture.AssignGraphic(item.picture->Graphic());
    return item.key;
}

bool TImageLoadThread::WaitForResult(std::chrono::milliseconds timeout) {
    std::unique_lock lock(resultLock_);
    return resultReady_.wait_for(lock, timeout, [this] {
        return !results_.empty() || finished_.load();
    }) && !results_.empty();
}

void TImageLoadThread::ClearQueues() {
    std::deque<Item> dropped;
    {
        std::unique_lock lock(requestLock_);
        dropped.swap(requests_);
        idle_.wait(lock, [this] { return !busy_; });
    }
    std::deque<Item> results;
    {
        std::lock_guard lock(resultLock_);
        results.swap(results_);
    }
}

void TImageLoadThread::Stop() {
    if (worker_.joinable()) {
        worker_.request_stop();
        wake_.notify_all();
        worker_.join();
    }
    std::lock_guard lock(resultLock_);
    resultReady_.notify_all();
}

std::vector<int> TImageLoadThread::LoadOrder() const {
    std::lock_guard lock(requestLock_);
    return loadOrder_;
}

void TImageLoadThread::run(std::stop_token stop) {
    while (!stop.stop_requested()) {
        Item item;
        TImagePack* pack = nullptr;
        {
            std::unique_lock lock(requestLock_);
            if (!wake_.wait(lock, stop,
                            [this] { return pack_.load() != nullptr && !requests_.empty(); }))
                break;  // asked to stop
            item = std::move(requests_.back());
            requests_.pop_back();
            pack = pack_.load();
            busy_ = true;
            loadOrder_.push_back(item.key);
        }
        load(item, pack);
        if (item.picture) {
            {
                std::lock_guard lock(resultLock_);
                results_.push_back(std::move(item));
            }
            resultReady_.notify_all();
            if (OnResult) OnResult();
        }
        {
            std::lock_guard lock(requestLock_);
            busy_ = false;
        }
        idle_.notify_all();
    }
    finished_.store(true);
    std::lock_guard lock(resultLock_);
    resultReady_.notify_all();
}

void TImageLoadThread::load(Item& item, TImagePack* pack) {
    try {
        if (auto* cached = dynamic_cast<TCachedImagePack*>(pack))
            cached->LoadImage(*item.picture, item.key);
        else
            pack->SafeGetImage(*item.picture, item.key);
    } catch (...) {
        item.picture.reset();  // the request is dropped; the placeholder stays
    }
}
