#pragma once
// TLDObjects: the root of a face stream. It writes the draw objects of a list it does not
// own as its children, from the last to the first (front-to-back lists are stored back-most
// first), leaving out blank backgrounds. Objects read from a face stream are owned by it.

#include "document/stream/Component.h"

#include <vector>

class TDrawObject;

class TLDObjects : public TComponent {
    VELLUMO_PERSISTENT(TLDObjects, TComponent)
public:
    TLDObjects() = default;
    explicit TLDObjects(std::vector<TDrawObject*> frontToBack) : list_(std::move(frontToBack)) {}

    void EnumStreamChildren(const std::function<void(TComponent&)>& proc) override;

private:
    std::vector<TDrawObject*> list_;
};
