#pragma once
// The table of stored properties of a persisted class: name, kind, type-erased
// accessors, stored predicate and default. Tables are built once per class by
// PropertyBuilder (see PropertyBuilder.h) and shared by all its objects.

#include "document/stream/Extended80.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <vector>

class TPersistent;
class PersistentClass;
class IdentMap;

enum class PropKind { Integer, Char, Enumeration, Float, String, Set, Class, Method };

// The value names of an enumeration (ordinal = index), or the member names of a set.
struct EnumType {
    QString name;
    QStringList values;
    bool boolean = false;

    // Ordinal of `value` compared without regard to case, or -1.
    int ordinalOf(QStringView value) const;
};

// The enumeration False, True; stored as the codes False and True.
const EnumType& booleanType();

// The default that no value equals: such properties are always written.
constexpr int32_t kNoDefault = INT32_MIN;

struct PropInfo {
    QString name;
    PropKind kind = PropKind::Integer;
    const IdentMap* idents = nullptr;            // integer: names of values
    const EnumType* enumType = nullptr;          // enumeration, set: value names
    const PersistentClass* classType = nullptr;  // class: declared class
    int32_t defaultValue = kNoDefault;
    bool storedConst = true;                         // used when `stored` is empty
    std::function<bool(const TPersistent&)> stored;  // per-object test

    // Integer, character, enumeration (ordinal) and set (bit n = ordinal n).
    std::function<int32_t(const TPersistent&)> getOrd;
    std::function<void(TPersistent&, int32_t)> setOrd;
    std::function<Extended80(const TPersistent&)> getFloat;
    std::function<void(TPersistent&, const Extended80&)> setFloat;
    std::function<QString(const TPersistent&)> getString;
    std::function<void(TPersistent&, const QString&)> setString;
    std::function<TPersistent*(const TPersistent&)> getObject;
    std::function<void(TPersistent&, TPersistent*)> setObject;

    bool hasGetter() const;
    bool hasSetter() const;
    bool isStored(const TPersistent& object) const { return stored ? stored(object) : storedConst; }
};

class PropertyTable {
public:
    // Adds an entry; one that redeclares a name already present replaces it in place.
    PropInfo& add(PropInfo info);
    PropInfo& at(size_t index) { return entries_[index]; }

    // The entry named `name` (compared without regard to case), or null. `hint`, when
    // given, is where the search starts and is left after the entry found: stored
    // properties come in table order, so a reader finds each next one at once.
    const PropInfo* find(QStringView name, size_t* hint = nullptr) const;
    const std::vector<PropInfo>& entries() const { return entries_; }
    size_t size() const { return entries_.size(); }

private:
    std::vector<PropInfo> entries_;
};
