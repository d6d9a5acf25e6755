#pragma once
// An ordered list of element names kept in a list stream of a compound document.
// Entries are the list stream's own name followed by a number: a list stored as
// "Sheets\NameList" names its elements NameList0, NameList1, ... as siblings of the
// list stream inside "Sheets". Numbers are never reused.
//
// The list stream holds a 32-bit little-endian next number, then the entries, each
// followed by CR LF (Shift-JIS text). Every change of the list rewrites it.
//
// TDocStreamList and TDocStorageList name the kind of element the entries are.

#include "document/Strings.h"
#include "document/storage/DocStream.h"

#include <memory>

class TDocNameList : public TStringList {
public:
    // Opens the list stream at `listPath` (relative to `node`) and loads it. On a
    // writable root a missing list stream is created; on a read-only root it raises.
    TDocNameList(const TDocStorage& node, const QString& listPath);
    ~TDocNameList() override;

    // Appends the prefix followed by the next number, and counts the number up.
    int AddElement();
    // The path of entry `index`: the list stream's folder joined with the entry.
    QString ElementPath(int index) const;
    std::unique_ptr<TDocStream> OpenElementStream(int index, int mode) const;
    // False when `index` is beyond the list or no element of that name exists.
    bool ElementExists(int index) const;
    // Destroys the element; the entry stays.
    void DeleteElement(int index);
    // Destroys the element and removes the entry.
    void Remove(int index);

    const QString& Prefix() const { return prefix_; }
    int NextNumber() const { return next_; }
    // The node the list was opened on.
    const TDocStorage& Node() const { return list_->Parent(); }

    void Put(int index, const QString& line) override;
    void Insert(int index, const QString& line) override;
    void Delete(int index) override;
    void Clear() override;
    void Move(int from, int to) override;

private:
    void Load();
    void Rewrite();

    std::unique_ptr<TDocStream> list_;
    QString folder_;  // the list stream's folder, absolute
    QString prefix_;
    int next_ = 0;
    int quiet_ = 0;  // while above 0 (loading, compound changes) the stream is not rewritten
};

class TDocStreamList : public TDocNameList {
public:
    using TDocNameList::TDocNameList;
};

class TDocStorageList : public TDocNameList {
public:
    using TDocNameList::TDocNameList;
};
