#include "album/LDObjects.h"

#include "document/stream/PropertyBuilder.h"
#include "drawing/DrawObject.h"
#include "objects/BackImage.h"

VELLUMO_DEFINE_PERSISTENT(TLDObjects)

void TLDObjects::EnumStreamChildren(const std::function<void(TComponent&)>& proc) {
    for (auto it = list_.rbegin(); it != list_.rend(); ++it) {
        const auto* back = dynamic_cast<const TLOBackImage*>(*it);
        if (back && back->IsBlank()) continue;
        proc(**it);
    }
}
