#include "drawing/DrawObjectClasses.h"

#include "document/stream/ClassRegistry.h"
#include "document/stream/ComponentStream.h"
#include "drawing/LORectBase.h"
#include "drawing/Transformer.h"

#include <mutex>

void RegisterDrawObjectClasses() {
    static std::once_flag once;
    std::call_once(once, [] {
        RegisterPersistentClass<TLORectBase>();  // with TLabelObject and TDrawObject
        RegisterPersistentClass<TRotator>();
        // By C++ type, so objects kept as data under their stored class count too.
        SetObjectListFilter(
            [](const TComponent& c) { return dynamic_cast<const TDrawObject*>(&c) != nullptr; });
    });
}
