#pragma once
// Product and creator records: the information about the product being labelled and its
// creator that documents carry and text objects show as fields. A record is a list of
// items (a label and a value of one or more lines) with a 16-byte GUID as its identity;
// two records are the same record when their GUIDs are equal.

#include "document/Strings.h"
#include "document/stream/Collection.h"
#include "document/stream/Component.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

class TProductItem : public TCollectionItem {
    VELLUMO_PERSISTENT(TProductItem, TCollectionItem)
public:
    TProductItem() = default;
    static void DeclareProperties(PropertyBuilder<TProductItem>& p);

    // The value, possibly several lines.
    TStringList& Info() const { return info_; }
    const QString& FieldName() const { return fieldName_; }
    void SetFieldName(const QString& v) { fieldName_ = v; }

    void Assign(const TPersistent& source) override;

private:
    TStrings* InfoPtr() const { return &info_; }
    mutable TStringList info_;
    QString fieldName_;
};

class TProductItemCollection : public TOwnedCollection<TProductItem> {
    VELLUMO_PERSISTENT(TProductItemCollection, TCollection)
public:
    TProductItemCollection() = default;
};

class TProductInfo : public TComponent {
    VELLUMO_PERSISTENT(TProductInfo, TComponent)
public:
    // A new product record: a new GUID and the ten product items.
    TProductInfo();
    ~TProductInfo() override;
    static void DeclareProperties(PropertyBuilder<TProductInfo>& p);

    TProductItemCollection& Items() const { return *items_; }
    // The identity: exactly 16 bytes.
    const QByteArray& GUID() const { return guid_; }
    // Raises unless `guid` has 16 bytes.
    void SetGUID(const QByteArray& guid);
    void NewGUID();
    bool SameRecord(const TProductInfo& other) const { return guid_ == other.guid_; }

    // Adds empty items up to ten, labels items 0 to 6 with the product field names and
    // items 7 to 9, where they have no label, with the remaining ones. Values stay.
    void CompleteAsProduct();
    // Replaces the items by the eleven empty creator items.
    void MakeCreatorDefaults();
    // The item labels and values, for listing.
    QStringList FieldNames() const;

    void Assign(const TPersistent& source) override;
    void DefineCustomProperties(TFiler& filer) override;

    static const QStringList& ProductFieldNames();
    static const QStringList& CreatorFieldNames();

private:
    TProductItemCollection* ItemsPtr() const { return items_.get(); }
    std::unique_ptr<TProductItemCollection> items_;
    QByteArray guid_;
};

// Registers TProductInfo (once).
void RegisterProductClasses();
