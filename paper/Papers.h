#pragma once
// TPapers: a paper catalogue, a compound file (".ppr") holding one component stream per
// paper in the storage "Papers", named "$" and eight upper-case hexadecimal digits, and
// the catalogue's purpose list in "PurposeList\PurposeList".
//
// The catalogue is edited in a temporary working copy: opening loads the file into it
// and closes the file again; Close() writes the working copy back (through a sibling
// temporary file and a rename) when it changed and the catalogue is not read-only.
// Destroying a catalogue that was not closed discards its changes.
//
// A paper stream that cannot be read does not stop the catalogue from opening: it is
// left out of the papers and reported (DamagedPapers, DamageReport), and its bytes stay
// in the file as they are. It is never overwritten, renamed or deleted, and its stream
// number is never given to a new paper.

#include "paper/PaperInfo.h"
#include "paper/Purpose.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

class TDocStorage;
class TStrings;
class TTemporaryStorage;

class TPapers {
public:
    TPapers();
    virtual ~TPapers();
    TPapers(const TPapers&) = delete;
    TPapers& operator=(const TPapers&) = delete;

    // Opens `fileName`; a missing file gives an empty catalogue that becomes the file at
    // Close (unless read-only). A paper stream that fails to read, or holds something
    // other than a paper, is reported as damaged; any other failure makes Open fail and
    // leaves the catalogue closed. An open catalogue is closed first.
    virtual void Open(const QString& fileName, bool readOnly);
    // Writes the working copy back when needed, then frees everything. When writing
    // fails the error propagates and the catalogue stays open with its changes.
    virtual void Close();
    bool IsOpen() const { return storage_ != nullptr; }
    const QString& FileName() const { return fileName_; }
    bool ReadOnly() const { return readOnly_; }

    // The papers in ascending stream order; they belong to the catalogue.
    int Count() const { return int(entries_.size()); }
    TPaperInfo* Papers(int i) const;
    const QString& StreamName(int i) const;
    // The index of the first paper whose PaperName equals `name` exactly, or -1.
    int IndexOfPaper(const QString& name) const;
    // The paper's stream as stored.
    QByteArray PaperStream(int i) const;

    // The paper streams the last Open could not read, in stream order. `message` names the
    // stream and why it could not be read.
    struct DamagedPaper {
        QString streamName;
        QString message;
    };
    const std::vector<DamagedPaper>& DamagedPapers() const { return damaged_; }
    // The text that tells the user about the damaged papers, one line each below a line
    // naming the file; empty when every paper was read.
    QString DamageReport() const;

    // Adds a copy of `paper`, or replaces the paper of the same name keeping its stream
    // name and position. The new stream is complete before the old one goes.
    void StorePaper(const TPaperInfo& paper);
    virtual void DeletePaper(int i);
    // Gives the papers the order of `names` (one per paper): their streams get new,
    // consecutive numbers above every previous one. A name that is not in the catalogue
    // raises "Bad paper name"; streams renamed before keep their new names.
    void ReorderPapers(const QStringList& names);
    // Appends each paper's group name unless `strings` holds it (without regard to case).
    void GetGroupNames(TStrings& strings) const;

    const TPurposeList& PurposeList() const { return *purposes_; }
    // Copies the list in and writes it at once.
    void SetPurposeList(const TPurposeList& list);

    // The first face whose bounds are empty or not wholly inside the paper, or -1.
    static int FindFaceOutsidePaper(const TPaperInfo& paper);
    // The first face whose outline (with its margin, hole included) meets the outlines of
    // the faces before it, or -1.
    static int FindOverlappingFace(const TPaperInfo& paper);

    // "$%.8X" of `number`.
    static QString StreamNameOf(qint64 number);

protected:
    TTemporaryStorage& WorkingStorage() const;

private:
    struct Entry {
        QString streamName;
        std::unique_ptr<TPaperInfo> paper;
    };
    void CheckIndex(int i) const;
    void SortEntries();
    static std::unique_ptr<TPaperInfo> ReadPaper(TDocStorage& node, const QString& name,
                                                 const TPurposeList& purposes);
    qint64 NextStreamNumber() const;
    void WritePurposeList();
    void WritePaper(const QString& streamName, TPaperInfo& copy, bool replacing);

    QString fileName_;
    bool readOnly_ = false;
    std::unique_ptr<TTemporaryStorage> storage_;
    std::unique_ptr<TDocStorage> papersNode_;  // released before the storage
    std::vector<Entry> entries_;
    std::vector<DamagedPaper> damaged_;
    std::unique_ptr<TPurposeList> purposes_;
};
