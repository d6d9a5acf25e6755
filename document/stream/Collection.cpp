#include "document/stream/Collection.h"

#include "document/Messages.h"
#include "document/UpdateBracket.h"
#include "document/stream/PropertyBuilder.h"
#include "document/stream/StreamErrors.h"

#include <algorithm>
#include <memory>

VELLUMO_DEFINE_PERSISTENT(TCollectionItem)
VELLUMO_DEFINE_PERSISTENT(TCollection)

TCollectionItem::~TCollectionItem() {
    if (collection_) collection_->detach(this);
}

int TCollectionItem::Index() const {
    if (!collection_) return -1;
    const auto& items = collection_->items_;
    return int(std::find(items.begin(), items.end(), this) - items.begin());
}

TCollection::TCollection(const PersistentClass& itemClass) : itemClass_(itemClass) {}

TCollection::~TCollection() {
    ++updateCount_;  // no notifications while tearing down
    Clear();
}

TCollectionItem* TCollection::Add() {
    if (!itemClass_.inheritsFrom(TCollectionItem::StaticClass()) || itemClass_.isAbstract())
        throw EFilerError(msg::invalidPropertyValue());
    std::unique_ptr<TPersistent> created(itemClass_.create());
    auto* item = static_cast<TCollectionItem*>(created.release());
    items_.push_back(item);
    item->collection_ = this;
    Changed();
    return item;
}

void TCollection::Delete(int index) {
    delete items_.at(size_t(index));  // the item detaches itself
}

void TCollection::Clear() {
    if (items_.empty()) return;
    UpdateBracket update(*this);
    while (!items_.empty()) delete items_.back();
}

void TCollection::detach(TCollectionItem* item) {
    items_.erase(std::remove(items_.begin(), items_.end(), item), items_.end());
    item->collection_ = nullptr;
    Changed();
}

void TCollection::EndUpdate() {
    if (updateCount_ > 0 && --updateCount_ == 0) Changed();
}

void TCollection::Changed() {
    if (updateCount_ == 0) Update(nullptr);
}

void TCollection::Update(TCollectionItem*) {}

void TCollection::Assign(const TPersistent& source) {
    const auto* other = dynamic_cast<const TCollection*>(&source);
    if (!other) return TPersistent::Assign(source);
    if (other == this) return;
    UpdateBracket update(*this);
    Clear();
    for (TCollectionItem* item : other->items_) Add()->Assign(*item);
}
