#include "printing/InterfaceArray.h"

#include "document/Messages.h"
#include "platform/Exception.h"
#include "printing/Messages.h"

#include <algorithm>

int TInterfaceArray::compare(const IInterface* a, const IInterface* b,
                             const IInterfaceComparer* with) const {
    if (with) return with->Compare(a, b);
    const auto x = reinterpret_cast<std::uintptr_t>(a), y = reinterpret_cast<std::uintptr_t>(b);
    return x < y ? -1 : x > y ? 1 : 0;
}

void TInterfaceArray::check(int index) const {
    if (index < 0 || index >= Count()) throw Exception(msg::listIndexOutOfRange(index));
}

void TInterfaceArray::notSorted() const {
    if (sorted_) throw Exception(msg::sortedListOperation());
}

IInterfacePtr TInterfaceArray::Item(int index) const {
    check(index);
    return items_[size_t(index)];
}

void TInterfaceArray::SetComparer(std::shared_ptr<IInterfaceComparer> comparer) {
    comparer_ = std::move(comparer);
    if (sorted_) Sort(nullptr);
}

void TInterfaceArray::SetSorted(bool sorted) {
    if (sorted && !sorted_) Sort(nullptr);
    sorted_ = sorted;
}

void TInterfaceArray::SetCount(int count) {
    notSorted();
    if (count < 0) throw Exception(msg::listIndexOutOfRange(count));
    items_.resize(size_t(count));
}

void TInterfaceArray::Put(int index, IInterfacePtr item) {
    notSorted();
    check(index);
    items_[size_t(index)] = std::move(item);
}

void TInterfaceArray::Delete(int index) {
    check(index);
    items_.erase(items_.begin() + index);
}

void TInterfaceArray::Move(int from, int to) {
    notSorted();
    check(from);
    check(to);
    IInterfacePtr item = std::move(items_[size_t(from)]);
    items_.erase(items_.begin() + from);
    items_.insert(items_.begin() + to, std::move(item));
}

int TInterfaceArray::lowerBound(const IInterface* item, bool* found) const {
    int lo = 0, hi = Count() - 1;
    *found = false;
    while (lo <= hi) {
        const int mid = (lo + hi) / 2;
        const int c = compare(items_[size_t(mid)].get(), item, comparer_.get());
        if (c < 0)
            lo = mid + 1;
        else {
            hi = mid - 1;
            if (c == 0) *found = true;
        }
    }
    return lo;
}

int TInterfaceArray::IndexOf(const IInterfacePtr& item) const {
    if (sorted_) {
        bool found = false;
        const int at = lowerBound(item.get(), &found);
        return found ? at : -1;
    }
    for (int i = 0; i < Count(); ++i)
        if (compare(items_[size_t(i)].get(), item.get(), comparer_.get()) == 0) return i;
    return -1;
}

int TInterfaceArray::Add(IInterfacePtr item) {
    if (!sorted_) {
        items_.push_back(std::move(item));
        return Count() - 1;
    }
    bool found = false;
    const int at = lowerBound(item.get(), &found);
    if (found) throw Exception(msg::listDuplicates());
    items_.insert(items_.begin() + at, std::move(item));
    return at;
}

void TInterfaceArray::Insert(int index, IInterfacePtr item) {
    notSorted();
    if (index != Count()) check(index);
    items_.insert(items_.begin() + index, std::move(item));
}

void TInterfaceArray::Sort(const IInterfaceComparer* comparer) {
    const IInterfaceComparer* with = comparer ? comparer : comparer_.get();
    std::sort(items_.begin(), items_.end(), [&](const IInterfacePtr& a, const IInterfacePtr& b) {
        return compare(a.get(), b.get(), with) < 0;
    });
}

int TInterfaceArray::FindSorted(const IItemComparer& comparer) const {
    int lo = 0, hi = Count() - 1, match = -1;
    while (lo <= hi) {
        const int mid = (lo + hi) / 2;
        const int c = comparer.Compare(items_[size_t(mid)].get());
        if (c < 0)
            lo = mid + 1;
        else {
            if (c == 0) match = mid;  // keep going left for the first of equal items
            hi = mid - 1;
        }
    }
    return match;
}

int TInterfaceArray::FindFirst(const IItemComparer& comparer) const {
    for (int i = 0; i < Count(); ++i)
        if (comparer.Compare(items_[size_t(i)].get()) == 0) return i;
    return -1;
}
