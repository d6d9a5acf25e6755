#pragma once
// TThumbnailCache: the program's thumbnail source for file packs. LoadThumbnail is the
// file-load handler of the photo, image-file and background browsers; it may run on the
// thumbnail worker and on the main thread at once: the cache lock (the data module's)
// serialises every call and with it every use of the cache storage.
//
// A thumbnail comes from "Preview.ic" beside the file, else from the cache when the file
// did not change, else it is made (a 200 x 200 fitted JPEG of quality 90) and stored.
// When the cache file cannot be used (held by another program instance) thumbnails are
// made every time; a damaged one is set aside and started again.

#include "library/ImageCacheStorage.h"

#include <QString>
#include <mutex>

class TPictureEx;

class TThumbnailCache {
public:
    enum class Source { None, Preview, Cache, Made };

    explicit TThumbnailCache(std::mutex& lock) : lock_(lock) {}

    // Opens the cache file. A file held by another program leaves the cache closed (the
    // answer is then false); a damaged one is set aside. Other failures raise.
    bool Open(const QString& fileName);
    void Close();
    TImageCacheStorage& Storage() { return storage_; }
    std::mutex& Lock() { return lock_; }

    // Fills `picture` with the thumbnail of `fileName` and says where it came from.
    // Raises when the file cannot be read as a picture.
    Source LoadThumbnail(const QString& fileName, TPictureEx& picture);
    // Enabled: the limit in MiB (0: no limit); disabled: the file is emptied and nothing
    // more is stored, while lookups go on.
    void ApplyCacheSettings(bool enabled, int limitMiB);
    // Deletes the cache file and starts an empty one.
    void ClearImageCache();

private:
    bool lookUp(const QString& fileName, TPictureEx& picture);
    void store(const QString& fileName, const TPictureEx& picture);

    std::mutex& lock_;
    TImageCacheStorage storage_;
    QString fileName_;
};

// The thumbnail of a picture file as the cache keeps it: fitted into 200 x 200 and
// compressed as JPEG (quality 90). Raises when the file cannot be read.
void MakeFileThumbnail(const QString& fileName, TPictureEx& picture);
