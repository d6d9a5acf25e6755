#pragma once
// TImageCacheStorage: the persistent image cache, a compound file with one stream element
// per source file (CacheElementName.h), pruned to a size limit in MiB.
//
// Safety:
// - Opened for writing the file is locked exclusively (flock): a second program instance
//   cannot open it and runs without the cache (Open raises CfbLocked; the caller decides).
// - Every Store is flushed at once, so the file on disk is consistent between stores.
// - A file that is damaged (after a crash during a store, say) is moved aside to
//   "<name>.damaged" and a new cache is started: a damaged cache never stops the program.
// - Compaction writes the whole tree into "<name>$", flushes it to disk and renames it
//   over the cache file, while the lock on the new file is held: a crash at any moment
//   leaves either the old cache or the new one.
// - Pruning stops as soon as the excess is gone.
// The object is not thread-safe: its users serialise every use (the thumbnail cache lock).

#include "platform/cfb/CompoundFile.h"

#include <QString>
#include <climits>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class TImageCacheItem;

class TImageCacheStorage {
public:
    TImageCacheStorage();
    ~TImageCacheStorage();
    TImageCacheStorage(const TImageCacheStorage&) = delete;
    TImageCacheStorage& operator=(const TImageCacheStorage&) = delete;

    // Opens (creates, unless read-only) the cache file; a root already open is released
    // first. Read-only opens share reading and deny writing. A damaged file opened for
    // writing is set aside (see above; SetAsideFile() tells where).
    void Open(const QString& fileName, bool readOnly);
    void Close();
    bool IsOpen() const { return root_ != nullptr; }
    const QString& FileName() const { return fileName_; }
    bool ReadOnly() const { return readOnly_; }
    // Where the last damaged file was moved (empty when none was).
    const QString& SetAsideFile() const { return setAside_; }
    // Moves the open file aside as damaged and starts an empty one.
    void SetAsideAndRecreate();

    // False when there is no element for `path`. A damaged element is deleted and the
    // error passed on.
    bool Load(const QString& path, TImageCacheItem& item);
    // The same by element path (names joined with "\").
    bool LoadElement(const QString& element, TImageCacheItem& item);
    // Writes the item when the file is below the size limit; false when not stored.
    bool Store(const QString& path, TImageCacheItem& item);

    int MaxSize() const { return maxSize_; }
    // Sets the limit in MiB; unless read-only, a file above it is pruned and compacted.
    void SetMaxSize(int mib);
    // The file's size on disk; 0 when it cannot be found.
    int64_t FileSize() const;

    // Deletes elements (storages depth first, then streams, in listed order) until
    // `excess` bytes of streams are gone; true when the storage is left empty.
    bool Prune(platform::cfb::Storage storage, int64_t& excess);
    // Prunes the whole tree by `excess` bytes (without compacting) and flushes; answers
    // what is left of the excess (0 or below once it is gone).
    int64_t PruneRoot(int64_t excess);
    // Rewrites the file without its free space (see above).
    void Compact();

    // Every stream element: its path ("\" between names) and its size.
    struct Entry {
        QString path;
        uint64_t size;
    };
    std::vector<Entry> List() const;

    // Called after the tree was copied in Compact, before the rename (tests stop here).
    std::function<void()> OnCompactCopied;

private:
    void openRoot();

    std::unique_ptr<platform::cfb::CompoundFile> root_;
    QString fileName_;
    QString setAside_;
    bool readOnly_ = false;
    int maxSize_ = INT_MAX;
};
