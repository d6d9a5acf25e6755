#include "document/stream/References.h"

#include "document/stream/Component.h"

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
