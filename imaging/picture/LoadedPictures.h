#pragma once
// The few pictures of a long photo list that are kept in memory: the list reads a photo's
// picture when it is asked for and drops the one used longest ago when the slots are full.
// A slot also keeps the photo's display picture once it has been built.

#include "imaging/picture/PictureEx.h"

#include <deque>
#include <functional>
#include <memory>

struct TLoadedPicture {
    TPictureEx Picture;
    TPictureEx Display;
    bool HasDisplay = false;
};

class TLoadedPictures {
public:
    explicit TLoadedPictures(size_t capacity = 4) : capacity_(capacity ? capacity : 1) {}

    // The slot of photo `index`; when it is not kept, `load` fills a new one. The slot
    // stays valid until `capacity` other photos have been loaded.
    TLoadedPicture& Get(int index, const std::function<void(TPictureEx&)>& load) {
        for (auto it = slots_.begin(); it != slots_.end(); ++it) {
            if (it->first != index) continue;
            if (it != slots_.begin()) {
                auto kept = std::move(*it);
                slots_.erase(it);
                slots_.push_front(std::move(kept));
            }
            return *slots_.front().second;
        }
        auto slot = std::make_unique<TLoadedPicture>();
        load(slot->Picture);  // may raise: nothing is kept then
        if (slots_.size() >= capacity_) slots_.pop_back();
        slots_.emplace_front(index, std::move(slot));
        return *slots_.front().second;
    }
    // How many photos are kept now.
    size_t Kept() const { return slots_.size(); }
    void Clear() { slots_.clear(); }

private:
    size_t capacity_;
    std::deque<std::pair<int, std::unique_ptr<TLoadedPicture>>> slots_;
};
