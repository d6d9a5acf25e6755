#pragma once
// An ordered list of shared interface references with an optional comparer; a sorted list
// keeps its order by the comparer and finds by halving.

#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

// The common base of the interfaces kept in lists.
class IInterface {
public:
    virtual ~IInterface() = default;
};
using IInterfacePtr = std::shared_ptr<IInterface>;

// Orders two items: <0, 0, >0.
class IInterfaceComparer {
public:
    virtual ~IInterfaceComparer() = default;
    virtual int Compare(const IInterface* a, const IInterface* b) const = 0;
};
// Compares one item with the value it holds: 0 for a match.
class IItemComparer {
public:
    virtual ~IItemComparer() = default;
    virtual int Compare(const IInterface* item) const = 0;
};

class IInterfaceArray {
public:
    virtual ~IInterfaceArray() = default;
    virtual std::shared_ptr<IInterfaceComparer> Comparer() const = 0;
    virtual bool Sorted() const = 0;
    virtual int Count() const = 0;
    virtual IInterfacePtr Item(int index) const = 0;
    virtual void SetComparer(std::shared_ptr<IInterfaceComparer> comparer) = 0;
    virtual void SetSorted(bool sorted) = 0;
    virtual void SetCount(int count) = 0;
    virtual void Put(int index, IInterfacePtr item) = 0;
    virtual void Clear() = 0;
    virtual void Delete(int index) = 0;
    virtual void Move(int from, int to) = 0;
    virtual int IndexOf(const IInterfacePtr& item) const = 0;
    virtual int Add(IInterfacePtr item) = 0;
    virtual void Insert(int index, IInterfacePtr item) = 0;
    virtual void Sort(const IInterfaceComparer* comparer) = 0;
    virtual int FindSorted(const IItemComparer& comparer) const = 0;
    virtual int FindFirst(const IItemComparer& comparer) const = 0;
};

class TInterfaceArray : public IInterfaceArray {
public:
    std::shared_ptr<IInterfaceComparer> Comparer() const override { return comparer_; }
    bool Sorted() const override { return sorted_; }
    int Count() const override { return int(items_.size()); }
    IInterfacePtr Item(int index) const override;
    void SetComparer(std::shared_ptr<IInterfaceComparer> comparer) override;
    void SetSorted(bool sorted) override;
    void SetCount(int count) override;
    void Put(int index, IInterfacePtr item) override;
    void Clear() override { items_.clear(); }
    void Delete(int index) override;
    void Move(int from, int to) override;
    int IndexOf(const IInterfacePtr& item) const override;
    int Add(IInterfacePtr item) override;
    void Insert(int index, IInterfacePtr item) override;
    void Sort(const IInterfaceComparer* comparer) override;
    int FindSorted(const IItemComparer& comparer) const override;
    int FindFirst(const IItemComparer& comparer) const override;

private:
    int compare(const IInterface* a, const IInterface* b, const IInterfaceComparer* with) const;
    void check(int index) const;
    void notSorted() const;
    // The first position whose item is not less than `item`; `found` when one is equal.
    int lowerBound(const IInterface* item, bool* found) const;

    std::vector<IInterfacePtr> items_;
    std::shared_ptr<IInterfaceComparer> comparer_;
    bool sorted_ = false;
};
