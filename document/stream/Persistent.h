#pragma once
// TPersistent: the base of every persisted class. It knows its class (name, base,
// property table) and offers the DefineCustomProperties hook through which a class
// stores extra data written by its own code.

#include "document/stream/PersistentClass.h"

class TFiler;

class TPersistent {
public:
    TPersistent() = default;
    virtual ~TPersistent();
    TPersistent(const TPersistent&) = delete;
    TPersistent& operator=(const TPersistent&) = delete;

    static const PersistentClass& StaticClass();
    virtual const PersistentClass& ClassType() const { return StaticClass(); }
    QString ClassName() const { return ClassType().name(); }
    bool InheritsFrom(const PersistentClass& cls) const { return ClassType().inheritsFrom(cls); }
    const PropertyTable& Properties() const { return ClassType().properties(); }
    // TPersistent stores no properties; derived classes declare their own.
    static void DeclareProperties(PropertyBuilder<TPersistent>&) {}

    // Declares custom properties with filer.DefineValueProperty / DefineBlobProperty.
    // A class that extends its base's custom data calls the base's version first.
    virtual void DefineCustomProperties(TFiler& filer);

    // Copies `source` into this object; fails with "%s を %s に代入できません" unless
    // one of the two knows how.
    virtual void Assign(const TPersistent& source);

protected:
    // Copies this object into `dest`; false when it does not know how.
    virtual bool AssignTo(TPersistent& dest) const;

private:
    friend class PendingReferences;
    friend class TReader;
    bool hasPendingReference_ = false;
};
