#pragma once
// Run-time class information of persisted classes: name, base class, factory and
// property table. Every persisted class names itself with VELLUMO_PERSISTENT in its
// body and VELLUMO_DEFINE_PERSISTENT in its source file; its stored properties come
// from its static DeclareProperties(PropertyBuilder<Self>&), if it has one.

#include "document/stream/PropertyTable.h"

#include <QString>
#include <mutex>

class TPersistent;
template <class T>
class PropertyBuilder;

class PersistentClass {
public:
    using Factory = TPersistent* (*)();
    using Declarer = void (*)(PropertyTable&);

    PersistentClass(const char* name, const PersistentClass* parent, Factory factory,
                    Declarer declarer);
    PersistentClass(const PersistentClass&) = delete;
    PersistentClass& operator=(const PersistentClass&) = delete;

    const QString& name() const { return name_; }
    const PersistentClass* parent() const { return parent_; }
    bool inheritsFrom(const PersistentClass& other) const;
    bool isAbstract() const { return factory_ == nullptr; }
    // A new object of this class, or null for an abstract class.
    TPersistent* create() const { return factory_ ? factory_() : nullptr; }
    // The base class's table followed by this class's own entries; built on first use.
    const PropertyTable& properties() const;

private:
    QString name_;
    const PersistentClass* parent_;
    Factory factory_;
    Declarer declarer_;
    mutable std::once_flag built_;
    mutable PropertyTable table_;
};

template <class T>
PersistentClass::Factory persistentFactory() {
    if constexpr (!std::is_abstract_v<T> && std::is_default_constructible_v<T>)
        return +[]() -> TPersistent* { return new T; };
    else
        return nullptr;
}

// Reports a DeclareProperties whose builder names another class than its own; its
// entries would otherwise be lost without a word.
[[noreturn]] void misdeclaredProperties(const char* className);

template <class T>
PersistentClass::Declarer propertyDeclarer(const char* className) {
    // Only a class that declares its own DeclareProperties adds entries; otherwise the
    // name finds the base's function, whose builder type differs.
    if constexpr (std::is_same_v<decltype(&T::DeclareProperties), void (*)(PropertyBuilder<T>&)>) {
        return +[](PropertyTable& table) {
            PropertyBuilder<T> builder(table);
            T::DeclareProperties(builder);
        };
    } else {
        if constexpr (requires { typename T::inherited; }) {
            if (&T::DeclareProperties != &T::inherited::DeclareProperties)
                misdeclaredProperties(className);
        }
        return nullptr;
    }
}

#define VELLUMO_PERSISTENT(Self, Base)                  \
public:                                                 \
    using inherited = Base;                             \
    static const PersistentClass& StaticClass();        \
    const PersistentClass& ClassType() const override { \
        return Self::StaticClass();                     \
    }                                                   \
                                                        \
private:

// In the class's source file, after including document/stream/PropertyBuilder.h.
#define VELLUMO_DEFINE_PERSISTENT(Self)                                           \
    const PersistentClass& Self::StaticClass() {                                  \
        static const PersistentClass info(#Self, &Self::inherited::StaticClass(), \
                                          persistentFactory<Self>(),              \
                                          propertyDeclarer<Self>(#Self));         \
        return info;                                                              \
    }
