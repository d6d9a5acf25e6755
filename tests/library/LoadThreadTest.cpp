// The thumbnail worker: last-in-first-out loading, results in the order finished, one
// request per key, clearing while an image is in hand, and stopping.
#include "imaging/pack/CachedImagePack.h"
#include "imaging/picture/PictureEx.h"
#include "imaging/picture/SafetyBitmap.h"
#include "library/ImageLoadThread.h"

#include <gtest/gtest.h>
#include <atomic>
#include <semaphore>

using namespace std::chrono_literals;

namespace {

// A pack whose image i is a bitmap i + 1 pixels wide; loading can be held at a gate.
struct CountingPack : TCustomImagePack {
    CountingPack() {
        OnGetCount = [](TImagePack*, int& n) { n = 100; };
        OnGetImage = [this](TImagePack*, TPictureEx& p, int index) {
            if (gated) gate.acquire();
            ++loads;
            if (index == 13) throw Exception(QStringLiteral("unreadable"));
            QImage img(index + 1, 1, QImage::Format_RGB32);
            img.fill(Qt::gray);
            p.SetGraphic(std::make_unique<TSafetyBitmap>(img));
        };
    }
    std::atomic<bool> gated{false};
    std::counting_semaphore<100> gate{0};
    std::atomic<int> loads{0};
};

std::vector<int> takeAll(TImageLoadThread& t, size_t n) {
    std::vector<int> keys;
    while (keys.size() < n && t.WaitForResult(5s)) {
        TPictureEx p;
        const int key = t.TakeResult(p);
        if (key < 0) continue;
        EXPECT_EQ(p.Width(), key + 1);
        keys.push_back(key);
    }
    return keys;
}

}  // namespace

TEST(ImageLoadThread, RequestsMadeBeforeTheWorkerWakesAreLoadedNewestFirstAndOnce) {
    CountingPack pack;
    TImageLoadThread t;
    t.Request(1);
    t.Request(2);
    t.Request(2);  // queued once
    t.Request(3);
    TPictureEx p;
    EXPECT_EQ(t.TakeResult(p), -1);  // no pack: nothing is loaded
    t.SetPack(&pack);
    EXPECT_EQ(takeAll(t, 3), (std::vector<int>{3, 2, 1}));
    EXPECT_EQ(t.LoadOrder(), (std::vector<int>{3, 2, 1}));
    EXPECT_EQ(pack.loads.load(), 3);
    EXPECT_FALSE(t.WaitForResult(20ms));
}

TEST(ImageLoadThread, AFailedLoadIsDroppedAndLaterRequestsAreStillServed) {
    CountingPack pack;
    TImageLoadThread t;
    t.SetPack(&pack);
    t.Request(13);
    t.Request(4);
    EXPECT_EQ(takeAll(t, 1), std::vector<int>{4});
    EXPECT_FALSE(t.WaitForResult(100ms));
    // Requests made one at a time while the worker sleeps are all served (no lost
    // wake-ups).
    for (int i = 20; i < 60; ++i) {
        t.Request(i);
        ASSERT_EQ(takeAll(t, 1), std::vector<int>{i});
    }
}

TEST(ImageLoadThread, ClearQueuesWaitsForTheImageInHandAndDropsEverything) {
    CountingPack pack;
    pack.gated = true;
    TImageLoadThread t;
    t.SetPack(&pack);
    for (int i = 0; i < 5; ++i) t.Request(i);
    std::thread release([&] {
        std::this_thread::sleep_for(50ms);
        pack.gate.release(5);
    });
    t.ClearQueues();
    release.join();
    TPictureEx p;
    EXPECT_EQ(t.TakeResult(p), -1);
    EXPECT_LE(pack.loads.load(), 1);  // at most the one in hand
    pack.gated = false;
    t.Request(7);
    EXPECT_EQ(takeAll(t, 1), std::vector<int>{7});
    t.Stop();
    EXPECT_TRUE(t.Finished());
    t.Request(8);  // kept, never served
    EXPECT_FALSE(t.WaitForResult(20ms));
}

TEST(ImageLoadThread, ProcessWidePicturesAreBuiltOnceWhicheverThreadAsksFirst) {
    std::vector<const QImage*> seen(8);
    std::vector<std::thread> threads;
    for (size_t i = 0; i < seen.size(); ++i)
        threads.emplace_back([&seen, i] { seen[i] = &PlaceholderPictureImage(); });
    for (auto& t : threads) t.join();
    for (const QImage* p : seen) EXPECT_EQ(p, seen.front());
    EXPECT_FALSE(seen.front()->isNull());
    // A pack that is not a cached one is loaded through SafeGetImage.
    TImagePack plain;
    TImageLoadThread t;
    t.SetPack(&plain);
    t.Request(0);
    ASSERT_TRUE(t.WaitForResult(5s));
    TPictureEx p;
    EXPECT_EQ(t.TakeResult(p), 0);
    EXPECT_TRUE(p.Empty());  // a plain pack has no images
}
