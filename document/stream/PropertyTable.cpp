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
    for (PropInfo& existing : entries_)
        if (existing.name.compare(info.name, Qt::CaseInsensitive) == 0)
            return existing = std::move(info);
    entries_.push_back(std::move(info));
    return entries_.back();
}

const PropInfo* PropertyTable::find(QStringView name, size_t* hint) const {
    const size_t n = entries_.size();
    const size_t start = hint && *hint < n ? *hint : 0;
    for (size_t k = 0; k < n; ++k) {
        const size_t i = (start + k) % n;
        const QString& candidate = entries_[i].name;
        if (candidate.size() == name.size() && name.compare(candidate, Qt::CaseInsensitive) == 0) {
            if (hint) *hint = i + 1;
            return &entries_[i];
        }
    }
    return nullptr;
}
