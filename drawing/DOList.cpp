#include "drawing/DOList.h"

#include "document/stream/ComponentStream.h"
#include "document/stream/Stream.h"
#include "drawing/DrawObject.h"

#include <algorithm>
#include <set>

TDOList::~TDOList() = default;

void TDOList::AddOwned(std::unique_ptr<TDrawObject> object) {
    items_.push_back(object.get());
    owned_.push_back(std::move(object));
}

void TDOList::Insert(int index, TDrawObject* object) {
    index = std::clamp(index, 0, Count());
    items_.insert(items_.begin() + index, object);
}

void TDOList::Delete(int index) {
    TDrawObject* o = items_.at(size_t(index));
    items_.erase(items_.begin() + index);
    // An owned object leaves with its entry, unless the list holds it once more.
    if (IndexOf(o) < 0)
        std::erase_if(owned_, [o](const std::unique_ptr<TDrawObject>& p) { return p.get() == o; });
}

void TDOList::Remove(TDrawObject* object) {
    if (const int i = IndexOf(object); i >= 0) Delete(i);
}

int TDOList::IndexOf(const TDrawObject* object) const {
    const auto it = std::find(items_.begin(), items_.end(), object);
    return it == items_.end() ? -1 : int(it - items_.begin());
}

void TDOList::Clear() {
    items_.clear();
    owned_.clear();
}

void TDOList::FreeAll() {
    std::vector<TDrawObject*> items;
    items.swap(items_);
    std::set<TDrawObject*> freed;
    for (const auto& p : owned_) freed.insert(p.get());
    owned_.clear();
    for (TDrawObject* o : items)
        if (freed.insert(o).second) delete o;  // a component leaves its owner as it goes
}

void TDOList::Reverse() {
    std::reverse(items_.begin(), items_.end());
}

bool TDOList::Owns(const TDrawObject* object) const {
    return std::any_of(owned_.begin(), owned_.end(),
                       [object](const auto& p) { return p.get() == object; });
}

std::vector<std::unique_ptr<TDrawObject>> TDOList::TakeOwned() {
    std::vector<std::unique_ptr<TDrawObject>> result;
    for (TDrawObject* o : items_) {
        const auto it =
            std::find_if(owned_.begin(), owned_.end(), [o](const auto& p) { return p.get() == o; });
        if (it != owned_.end()) {
            result.push_back(std::move(*it));
            owned_.erase(it);
        }
    }
    return result;
}

void TDOList::SaveToStream(TStream& stream) const {
    std::vector<TComponent*> components(items_.begin(), items_.end());
    WriteObjectList(stream, components);
}

void TDOList::LoadFromStream(TStream& stream) {
    Clear();
    std::vector<std::unique_ptr<TComponent>> read;
    ReadObjectList(read, stream);
    for (auto& c : read) {
        if (auto* o = dynamic_cast<TDrawObject*>(c.get())) {
            c.release();
            AddOwned(std::unique_ptr<TDrawObject>(o));
        }
    }
}

void GiveFreshNames(const TDOList& list, const TComponent* owner) {
    std::set<QString> used;  // lower case: names compare without regard to case
    if (owner)
        for (int i = 0; i < owner->ComponentCount(); ++i)
            used.insert(owner->Components(i)->Name().toLower());
    for (TDrawObject* o : list) {
        o->SetName(QString());
        QString base = o->ClassName();
        if (base.startsWith(u'T')) base.remove(0, 1);
        for (int n = 1;; ++n) {
            const QString name = base + QString::number(n);
            if (used.insert(name.toLower()).second) {
                o->SetName(name);
                break;
            }
        }
    }
}
