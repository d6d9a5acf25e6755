#pragma once
// TCachedImagePack: a pack that keeps the most recently used pictures (at most
// CacheLimit of them, least recently used first in the list) so that repainting does not
// load them again. TCustomImagePack: the images come from its owner through events.

#include "imaging/pack/ImagePack.h"

#include <cstdint>
#include <memory>
#include <vector>

class TCachedImagePack : public TImagePack {
    VELLUMO_PERSISTENT(TCachedImagePack, TImagePack)
public:
    explicit TCachedImagePack(TComponent* owner = nullptr);
    ~TCachedImagePack() override;

    static void DeclareProperties(PropertyBuilder<TCachedImagePack>& p);

    // 1 .. 65535; a smaller value counts as 1. Lowering it evicts at once.
    int CacheLimit() const { return cacheLimit_; }
    void SetCacheLimit(int limit);

    // Cleared picture; nothing for an empty index; else the cached picture, loaded with
    // LoadImage when it is not there yet (the error picture when that fails).
    void GetImage(TPictureEx& picture, int index) override;

    virtual void ClearCache();
    // The picture cached under `key`, now the most recent; a miss adds an empty entry and
    // evicts the least recent ones beyond the limit.
    virtual TPictureEx& CacheEntry(int key);
    // Loads image `index` into `picture`, bypassing the cache. The load thread calls it.
    virtual void LoadImage(TPictureEx& picture, int index);

    // Copies `picture` into the entry of `key`.
    void PutImage(const TPictureEx& picture, int key);
    void ClearAndNotify();
    // The keys in the cache, least recent first.
    std::vector<int> CachedKeys() const;

private:
    void evict();
    struct Entry {
        int key;
        std::unique_ptr<TPictureEx> picture;
    };
    std::vector<Entry> entries_;
    uint16_t cacheLimit_ = 1;
};

class TCustomImagePack : public TCachedImagePack {
    VELLUMO_PERSISTENT(TCustomImagePack, TCachedImagePack)
public:
    explicit TCustomImagePack(TComponent* owner = nullptr) : TCachedImagePack(owner) {}

    int GetCount() override;
    // (0, 0, width, height) of the image; empty for an empty index.
    TRect GetImageRect(int index) override;
    void LoadImage(TPictureEx& picture, int index) override;

    std::function<void(TImagePack* sender, int& count)> OnGetCount;
    std::function<void(TImagePack* sender, TPictureEx& picture, int index)> OnGetImage;
};
