#include "document/stream/GlobalComponents.h"

#include "document/stream/Component.h"

#include <algorithm>
#include <mutex>
#include <vector>

namespace {
std::mutex& globalsLock() {
    static std::mutex m;
    return m;
}
std::vector<TComponent*>& globals() {
    static std::vector<TComponent*> list;
    return list;
}
}  // namespace

void RegisterGlobalComponent(TComponent* component) {
    if (!component) return;
    std::lock_guard lock(globalsLock());
    auto& list = globals();
    if (std::find(list.begin(), list.end(), component) == list.end()) list.push_back(component);
    component->global_ = true;
}

void UnregisterGlobalComponent(TComponent* component) {
    std::lock_guard lock(globalsLock());
    auto& list = globals();
    list.erase(std::remove(list.begin(), list.end(), component), list.end());
    component->global_ = false;
}

TComponent* FindGlobalComponent(QStringView name) {
    if (name.isEmpty()) return nullptr;
    std::lock_guard lock(globalsLock());
    for (TComponent* c : globals())
        if (c->Name().compare(name, Qt::CaseInsensitive) == 0) return c;
    return nullptr;
}
