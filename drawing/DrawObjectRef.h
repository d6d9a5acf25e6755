#pragma once
// Weak references to draw objects: a reference reads null once its object is destroyed,
// so records that outlive the objects they name (undo records, recorded orders, handles)
// never reach a destroyed object.

#include "drawing/DrawObject.h"

#include <memory>

// Shared between an object and the references to it; the object clears it as its
// destruction begins.
struct TDrawObjectLife {
    TDrawObject* object = nullptr;
};

template <class T = TDrawObject>
class TDrawObjectRef {
public:
    TDrawObjectRef() = default;
    TDrawObjectRef(T* object) {  // NOLINT: converts like a pointer
        if (object) life_ = static_cast<const TDrawObject*>(object)->Life();
    }

    // The object, or null when there is none or it was destroyed.
    T* Get() const { return life_ && life_->object ? static_cast<T*>(life_->object) : nullptr; }
    T* operator->() const { return Get(); }
    explicit operator bool() const { return Get() != nullptr; }
    // True when the reference was set to an object that has been destroyed since.
    bool Expired() const { return life_ && !life_->object; }
    void Reset() { life_.reset(); }

    friend bool operator==(const TDrawObjectRef& a, const TDrawObjectRef& b) {
        return a.Get() == b.Get();
    }
    friend bool operator==(const TDrawObjectRef& a, const T* b) { return a.Get() == b; }

private:
    std::shared_ptr<const TDrawObjectLife> life_;
};
