#include "document/stream/ClassRegistry.h"

#include "document/Messages.h"
#include "document/stream/Persistent.h"
#include "document/stream/StreamErrors.h"

#include <QHash>
#include <mutex>

namespace {
struct Registry {
    std::mutex lock;
    QHash<QString, const PersistentClass*> classes;  // case-folded name
    QHash<QString, const PersistentClass*> aliases;
};

Registry& registry() {
    static Registry r;
    return r;
}

QString key(QStringView name) {
    return name.toString().toCaseFolded();
}
}  // namespace

void RegisterPersistentClass(const PersistentClass& cls) {
    Registry& r = registry();
    std::lock_guard lock(r.lock);
    for (const PersistentClass* c = &cls; c && c != &TPersistent::StaticClass(); c = c->parent()) {
        const QString k = key(c->name());
        const PersistentClass* existing = r.classes.value(k);
        if (existing == c) break;
        if (existing) throw EFilerError(msg::duplicateClassName(c->name()));
        r.classes.insert(k, c);
    }
}

void UnregisterPersistentClass(const PersistentClass& cls) {
    Registry& r = registry();
    std::lock_guard lock(r.lock);
    const QString k = key(cls.name());
    if (r.classes.value(k) == &cls) r.classes.remove(k);
}

void RegisterClassAlias(const PersistentClass& cls, const QString& alias) {
    Registry& r = registry();
    std::lock_guard lock(r.lock);
    r.aliases.insert(key(alias), &cls);
}

const PersistentClass* LookupClass(QStringView name) {
    Registry& r = registry();
    const QString k = key(name);
    std::lock_guard lock(r.lock);
    if (const PersistentClass* c = r.classes.value(k)) return c;
    return r.aliases.value(k);
}
