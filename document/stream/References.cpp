#include "document/stream/References.h"

#include "document/stream/Component.h"
#include "document/stream/GlobalComponents.h"
#include "document/stream/PendingReferences.h"

#include <algorithm>

QString referencePath(const TComponent* target, const TComponent* root) {
    if (!target) return {};
    if (target == root) return QStringLiteral("Owner");
    if (target->Name().isEmpty()) return {};
    const TComponent* owner = target->Owner();
    if (owner && owner == root) return target->Name();
    if (owner && !owner->Name().isEmpty()) return owner->Name() + u'.' + target->Name();
    return target->Name() + QStringLiteral(".Owner");
}

TComponent* resolveWithin(TComponent* base, const QStringList& segments, qsizetype first) {
    TComponent* cur = base;
    for (qsizetype i = first; cur && i < segments.size(); ++i) {
        if (i == first && segments[i].compare(u"Owner", Qt::CaseInsensitive) == 0) continue;
        cur = cur->FindComponent(segments[i]);
    }
    return cur;
}

void assignReference(TPersistent& holder, const PropInfo& property, TComponent* target) {
    // A component of another class than declared is never stored in the property.
    if (target && property.classType && !target->InheritsFrom(*property.classType))
        target = nullptr;
    if (property.setObject) property.setObject(holder, target);
}

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
