#include "document/stream/PersistentClass.h"

#include <cstdio>
#include <cstdlib>

void misdeclaredProperties(const char* className) {
    std::fprintf(stderr, "%s::DeclareProperties must take PropertyBuilder<%s>&\n", className,
                 className);
    std::abort();
}

PersistentClass::PersistentClass(const char* name, const PersistentClass* parent, Factory factory,
                                 Declarer declarer)
    : name_(QString::fromLatin1(name)), parent_(parent), factory_(factory), declarer_(declarer) {}

bool PersistentClass::inheritsFrom(const PersistentClass& other) const {
    for (const PersistentClass* c = this; c; c = c->parent_)
        if (c == &other) return true;
    return false;
}

const PropertyTable& PersistentClass::properties() const {
    std::call_once(built_, [this] {
        if (parent_) table_ = parent_->properties();
        if (declarer_) declarer_(table_);
    });
    return table_;
}
