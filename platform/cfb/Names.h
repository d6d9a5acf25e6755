#pragma once
// Internal: element names. The format orders the names of one storage's children by
// length in UTF-16 units first, then by comparing the code units after mapping each
// to upper case (simple per-unit mapping, no locale); two names that compare equal
// are the same name, so lookups ignore case.

#include <QString>
#include <string>

namespace platform::cfb {

// The comparison key of a name: its UTF-16 units upper-cased one by one.
std::u16string nameKey(const QString& name);

// The format's order of keys: shorter first, then by code unit.
struct NameLess {
    bool operator()(const std::u16string& a, const std::u16string& b) const {
        if (a.size() != b.size()) return a.size() < b.size();
        return a < b;
    }
};

// True when `name` may be given to a new element: not empty, at most 31 UTF-16
// units, none of / \ : !
bool isValidName(const QString& name);
// Raises CfbInvalidName unless isValidName(name).
void checkName(const QString& name);

}  // namespace platform::cfb
