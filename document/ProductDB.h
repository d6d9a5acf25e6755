#pragma once
// TProductDB: the product database, a compound file beside the program (".cdb") whose list
// "Infos\NameList" holds one record stream per entry: 0 the Japanese creator record, 1 the
// English one, 2 to 4 reserved, 5 onwards the products. It is read into a working copy at
// start-up; a file that does not exist gives the default records in memory only.
//
// New documents take their records from it (FillNewDocument): product 0 when there is one,
// and the creator records from entries 0 and 1 whenever those exist; whatever the database
// lacks stays at the document's own defaults.

#include <QString>
#include <memory>

class TDocStreamList;
class TProductInfo;
class TTemporaryStorage;

class TProductDB {
public:
    // The number of entries before the first product.
    static constexpr int kReservedEntries = 5;

    TProductDB();
    ~TProductDB();
    TProductDB(const TProductDB&) = delete;
    TProductDB& operator=(const TProductDB&) = delete;

    // Loads `fileName` when it exists, else makes the default records in memory. Errors of
    // the file (not a compound file) propagate.
    void OpenProductDB(const QString& fileName);
    bool IsOpen() const { return list_ != nullptr; }
    const QString& FileName() const { return fileName_; }

    int EntryCount() const;
    // EntryCount() minus the reserved entries, never below 0.
    int ProductCount() const;
    // Read entry k + 5, 0 or 1 into `record` (its items and GUID replaced). An entry
    // beyond the stored ones raises "リストのインデックスが範囲を超えています (%d)".
    void ReadProduct(int k, TProductInfo& record) const;
    void ReadCreatorJapanese(TProductInfo& record) const;
    void ReadCreatorEnglish(TProductInfo& record) const;
    void ReadEntry(int index, TProductInfo& record) const;
    // Writes `record` over the entry of the same GUID, or appends it.
    void StoreRecord(TProductInfo& record);
    bool Changed() const { return changed_; }
    // Saves the working copy over the file when it was changed.
    void Close();

    // Fills a new document's records: see the class comment.
    void FillNewDocument(TProductInfo& product, TProductInfo& japanese,
                         TProductInfo& english) const;

private:
    QString fileName_;
    std::unique_ptr<TTemporaryStorage> storage_;
    std::unique_ptr<TDocStreamList> list_;
    bool changed_ = false;
};
