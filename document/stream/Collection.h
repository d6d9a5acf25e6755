#pragma once
// TCollection: an ordered list of items of one item class, which it owns; and
// TCollectionItem, the base of those items.

#include "document/stream/Persistent.h"

#include <vector>

class TCollection;

class TCollectionItem : public TPersistent {
    VELLUMO_PERSISTENT(TCollectionItem, TPersistent)
public:
    TCollectionItem() = default;
    ~TCollectionItem() override;  // leaves its collection

    TCollection* Collection() const { return collection_; }
    int Index() const;

private:
    friend class TCollection;
    TCollection* collection_ = nullptr;
};

class TCollection : public TPersistent {
    VELLUMO_PERSISTENT(TCollection, TPersistent)
public:
    // `itemClass` must derive from TCollectionItem and not be abstract.
    explicit TCollection(const PersistentClass& itemClass);
    ~TCollection() override;

    const PersistentClass& ItemClass() const { return itemClass_; }
    int Count() const { return int(items_.size()); }
    TCollectionItem* Items(int index) const { return items_.at(size_t(index)); }

    // Appends a new item of the item class.
    TCollectionItem* Add();
    void Delete(int index);
    void Clear();

    // Update bracketing: Update() runs once when the outermost EndUpdate closes.
    void BeginUpdate() { ++updateCount_; }
    void EndUpdate();
    // Ends one bracket without calling Update(); used while an exception unwinds.
    void AbandonUpdate() noexcept {
        if (updateCount_ > 0) --updateCount_;
    }
    int UpdateCount() const { return updateCount_; }

    // Copies the items of another collection (each item through Assign).
    void Assign(const TPersistent& source) override;

protected:
    // Called after a change (`item` null: the collection as a whole), unless updating.
    virtual void Update(TCollectionItem* item);
    void Changed();

private:
    friend class TCollectionItem;
    void detach(TCollectionItem* item);

    const PersistentClass& itemClass_;
    std::vector<TCollectionItem*> items_;
    int updateCount_ = 0;
};

template <class Item>
class TOwnedCollection : public TCollection {
public:
    TOwnedCollection() : TCollection(Item::StaticClass()) {}
    Item* Items(int index) const { return static_cast<Item*>(TCollection::Items(index)); }
    Item* Add() { return static_cast<Item*>(TCollection::Add()); }
};
