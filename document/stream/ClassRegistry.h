#pragma once
// The class registry: stored class names → classes, with aliases for old names.
// Names compare without regard to case. Thread-safe.

#include "document/stream/PersistentClass.h"

#include <QString>

// Registers `cls` and every ancestor below TPersistent not yet registered; a name that
// another class already has fails with "クラス名 %s はすでに使われています".
void RegisterPersistentClass(const PersistentClass& cls);
// Removes that one class (not its ancestors, not aliases to it).
void UnregisterPersistentClass(const PersistentClass& cls);
// Maps the extra name `alias` to `cls`.
void RegisterClassAlias(const PersistentClass& cls, const QString& alias);
// Registered classes by name first, then aliases; null when neither has it.
const PersistentClass* LookupClass(QStringView name);

template <class T>
void RegisterPersistentClass() {
    RegisterPersistentClass(T::StaticClass());
}
