#include "imaging/pack/CachedImagePack.h"

#include "document/stream/PropertyBuilder.h"
#include "imaging/picture/PictureEx.h"

#include <algorithm>

VELLUMO_DEFINE_PERSISTENT(TCachedImagePack)
VELLUMO_DEFINE_PERSISTENT(TCustomImagePack)

TCachedImagePack::TCachedImagePack(TComponent* owner) : TImagePack(owner) {}

TCachedImagePack::~TCachedImagePack() {
    ClearCache();
}

void TCachedImagePack::DeclareProperties(PropertyBuilder<TCachedImagePack>& p) {
    p.integer("CacheLimit", &TCachedImagePack::CacheLimit, &TCachedImagePack::SetCacheLimit)
        .defaultValue(1);
}

void TCachedImagePack::SetCacheLimit(int limit) {
    const auto clamped = uint16_t(std::clamp(limit, 1, 65535));
    if (clamped == cacheLimit_) return;
    cacheLimit_ = clamped;
    evict();
}

void TCachedImagePack::evict() {
    const size_t excess = entries_.size() > cacheLimit_ ? entries_.size() - cacheLimit_ : 0;
    entries_.erase(entries_.begin(), entries_.begin() + std::ptrdiff_t(excess));
}

void TCachedImagePack::ClearCache() {
    while (!entries_.empty()) entries_.pop_back();  // most recent first
}

TPictureEx& TCachedImagePack::CacheEntry(int key) {
    for (auto it = entries_.rbegin(); it != entries_.rend(); ++it) {
        if (it->key != key) continue;
        auto at = std::prev(it.base());
        std::rotate(at, std::next(at), entries_.end());
        return *entries_.back().picture;
    }
    entries_.push_back({key, std::make_unique<TPictureEx>()});
    TPictureEx* added = entries_.back().picture.get();
    evict();
    return *added;
}

void TCachedImagePack::LoadImage(TPictureEx& picture, int) {
    picture.Clear();
}

void TCachedImagePack::GetImage(TPictureEx& picture, int index) {
    picture.Clear();
    if (IsEmpty(index)) return;
    TPictureEx& cached = CacheEntry(index);
    if (cached.Empty()) {
        try {
            LoadImage(cached, index);
        } catch (...) {
            AssignErrorPicture(cached);
        }
    }
    picture.AssignGraphic(cached.Graphic());
}

void TCachedImagePack::PutImage(const TPictureEx& picture, int key) {
    CacheEntry(key).AssignGraphic(picture.Graphic());
}

void TCachedImagePack::ClearAndNotify() {
    ClearCache();
    Changed();
}

std::vector<int> TCachedImagePack::CachedKeys() const {
    std::vector<int> keys;
    for (const Entry& e : entries_) keys.push_back(e.key);
    return keys;
}

int TCustomImagePack::GetCount() {
    int count = 0;
    if (OnGetCount) OnGetCount(this, count);
    return std::max(0, count);
}

TRect TCustomImagePack::GetImageRect(int index) {
    if (IsEmpty(index)) return {};
    TPictureEx picture;
    SafeGetImage(picture, index);
    return {0, 0, picture.Width(), picture.Height()};
}

void TCustomImagePack::LoadImage(TPictureEx& picture, int index) {
    if (OnGetImage) OnGetImage(this, picture, index);
}
