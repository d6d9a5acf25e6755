#include "document/stream/PropertyTable.h"

int EnumType::ordinalOf(QStringView value) const {
    for (qsizetype i = 0; i < values.size(); ++i)
        if (value.compare(values[i], Qt::CaseInsensitive) == 0) return int(i);
    return -1;
}

const EnumType& booleanType() {
    static const EnumType type{
        QStringLiteral("Boolean"), {QStringLiteral("False"), QStringLiteral("True")}, true};
    return type;
}

bool PropInfo::hasGetter() const {
    switch (kind) {
        case PropKind::Integer:
        case PropKind::Char:
        case PropKind::Enumeration:
        case PropKind::Set:
            return bool(getOrd);
        case PropKind::Float:
            return bool(getFloat);
        case PropKind::String:
            return bool(getString);
        case PropKind::Class:
            return bool(getObject);
        case PropKind::Method:
            return false;
    }
    return false;
}

bool PropInfo::hasSetter() const {
    switch (kind) {
        case PropKind::Integer:
        case PropKind::Char:
        case PropKind::Enumeration:
        case PropKind::Set:
            return bool(setOrd);
        case PropKind::Float:
            return bool(setFloat);
        case PropKind::String:
            return bool(setString);
        case PropKind::Class:
            return bool(setObject);
        case PropKind::Method:
            return false;
    }
    return false;
}

PropInfo& PropertyTable::add(PropInfo info) {
    const QString key = info.name.toCaseFolded();
    const auto it = index_.constFind(key);
    if (it != index_.cend()) {
        entries_[*it] = std::move(info);
        return entries_[*it];
    }
    index_.insert(key, entries_.size());
    entries_.push_back(std::move(info));
    return entries_.back();
}

const PropInfo* PropertyTable::find(QStringView name) const {
    const auto it = index_.constFind(name.toString().toCaseFolded());
    return it == index_.cend() ? nullptr : &entries_[*it];
}
