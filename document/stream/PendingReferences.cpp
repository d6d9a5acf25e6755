#include "document/stream/PendingReferences.h"

#include "document/stream/Component.h"
#include "document/stream/GlobalComponents.h"
#include "document/stream/References.h"

#include <algorithm>

PendingReferences& PendingReferences::instance() {
    static PendingReferences p;
    return p;
}

void PendingReferences::add(TPersistent* holder, const PropInfo* property, const QString& path) {
    std::lock_guard lock(lock_);
    entries_.push_back({holder, property, path});
    holder->hasPendingReference_ = true;
}

void PendingReferences::dropHolder(TPersistent* holder) {
    std::lock_guard lock(lock_);
    std::erase_if(entries_, [holder](const Entry& e) { return e.holder == holder; });
}

size_t PendingReferences::size() {
    std::lock_guard lock(lock_);
    return entries_.size();
}

void PendingReferences::resolveAvailable() {
    std::vector<Entry> ready;
    {
        std::lock_guard lock(lock_);
        auto it = std::stable_partition(entries_.begin(), entries_.end(), [](const Entry& e) {
            return !FindGlobalComponent(QStringView(e.path).left(e.path.indexOf(u'.')));
        });
        ready.assign(it, entries_.end());
        entries_.erase(it, entries_.end());
    }
    for (const Entry& e : ready) {
        const QStringList segs = e.path.split(u'.');
        assignReference(*e.holder, *e.property,
                        resolveWithin(FindGlobalComponent(segs[0]), segs, 1));
    }
}
