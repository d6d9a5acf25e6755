#pragma once
// Nodes of a compound document: TDocStorage is one storage (folder) of the tree,
// addressed by its path from the root; TRootStorage is the top of a tree, on a named
// file (TFileStorage) or on a temporary working copy (TTemporaryStorage, in
// TemporaryStorage.h).
//
//     TFileStorage file(path, storagemode::ReadWrite);
//     TDocStorage sheets(file, true, QStringLiteral("Sheets\\NameList0"));
//     if (sheets.StreamExists(QStringLiteral("Preview"))) ...
//
// Paths follow StoragePath.h. A node registers itself with its root while it exists;
// opening a node reuses the opened storages of the registered node that shares the
// longest leading part of its path, and opens only the rest. Nodes keep the root's
// file open: the file is closed when the root and every node on it are gone, so nodes
// are meant to live for one operation.
//
// Failures of the compound file raise its errors (platform/cfb/CfbError.h); the exists
// tests never raise.

#include "platform/cfb/CompoundFile.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <vector>

class TStrings;
class TDocStorage;

namespace storagedetail {
// What a root and the nodes on it share: the open file and the registry of open nodes.
struct RootState {
    std::unique_ptr<platform::cfb::CompoundFile> file;
    int mode = 0;
    QString deleteOnRelease;  // a temporary file removed when the state goes
    std::vector<const TDocStorage*> nodes;
    ~RootState();
};
}  // namespace storagedetail

class TDocStorage {
public:
    // Opens the storage at `path` resolved against `parent`'s path, creating the missing
    // storages along it when `createMissing` is set. Raises when a storage is missing
    // (and not to be created) or cannot be opened.
    TDocStorage(const TDocStorage& parent, bool createMissing, const QString& path);
    virtual ~TDocStorage();
    TDocStorage(const TDocStorage&) = delete;
    TDocStorage& operator=(const TDocStorage&) = delete;

    // The path relative to the root ("" for the root), its names joined with "\".
    QString Path() const;
    const QStringList& Segments() const { return segments_; }
    // The segments of `path` resolved against this node.
    QStringList Resolve(const QString& path) const;
    // True when the root was opened for writing.
    bool Writable() const;
    // The storage of this node in the compound file.
    platform::cfb::Storage Handle() const;
    platform::cfb::CompoundFile& File() const { return *state_->file; }

    // Copies every element of this node, recursively, into `other` (streams of the same
    // name there are replaced).
    void CopyAllTo(TDocStorage& other) const;
    // Destroys the stream or storage at `path`: true when it existed, false when it did
    // not; other failures raise.
    bool DeleteElement(const QString& path);
    bool StreamExists(const QString& path) const noexcept;
    bool StorageExists(const QString& path) const noexcept;
    // Append the names of the sub-storages (streams) of this node, in enumeration order.
    void ListStorages(TStrings& list) const;
    void ListStreams(TStrings& list) const;
    // Moves and renames an element within the tree; the target's storage must exist.
    void MoveElement(const QString& fromPath, const QString& toPath);

protected:
    // For roots: the state is attached by the derived class.
    TDocStorage() = default;
    // Opens the storage at the absolute `segments` (see the class comment).
    platform::cfb::Storage OpenAt(const QStringList& segments, bool createMissing,
                                  std::vector<platform::cfb::Storage>* chain = nullptr) const;

    std::shared_ptr<storagedetail::RootState> state_;

private:
    // The parent storage of the element at `path` and the element's name.
    std::pair<platform::cfb::Storage, QString> ParentOf(const QString& path,
                                                        bool createMissing) const;

    QStringList segments_;
    // The opened storages from the root's child down to this node (empty for the root).
    std::vector<platform::cfb::Storage> chain_;
};

// Copies every element below `from` into `to`, recursively; storages keep their class
// ids and state bits.
void CopyStorageTree(const platform::cfb::Storage& from, platform::cfb::Storage to);

class TRootStorage : public TDocStorage {
public:
    ~TRootStorage() override;

    int Mode() const { return state_->mode; }
    // Writes the directory and allocation tables now (raising what fails).
    void Commit();

    // The change snapshot: tells whether the tree was changed through this root, or the
    // file was replaced or rewritten by another program, since the snapshot was taken.
    // Without a snapshot (after ClearSnapshot) the answer is true.
    void TakeSnapshot();
    void ClearSnapshot();
    bool ChangedSinceSnapshot() const;

protected:
    TRootStorage() = default;
    // Makes `file` the root of this tree.
    void Attach(std::unique_ptr<platform::cfb::CompoundFile> file, int mode,
                QString deleteOnRelease = {});

private:
    struct FileStamp {
        uint64_t device = 0, inode = 0, size = 0;
        int64_t mtimeSec = 0, mtimeNsec = 0;
        bool operator==(const FileStamp&) const = default;
    };
    static FileStamp StampOf(const QString& path);

    bool snapshotValid_ = false;
    uint64_t snapshotChanges_ = 0;
    FileStamp snapshotStamp_;
};

class TFileStorage : public TRootStorage {
public:
    // Mode -1 creates (or truncates) the file, which is then open read/write; any other
    // mode opens an existing file (see StorageMode.h). A snapshot is taken.
    TFileStorage(const QString& fileName, int mode);
    const QString& FileName() const { return fileName_; }

private:
    QString fileName_;
};
