#pragma once
// TImageCacheItem: one thumbnail of the image cache with what identifies the version of
// its source file (the low 32 bits of its size and its last-write time).
//
// Stored form (little-endian): int32 format marker (0), uint32 size, the time as low then
// high 32 bits, then the picture data record. A positive marker is an item of a later
// format: it reads as empty.

#include "document/stream/Component.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <memory>

class TPictureEx;

// A file's last-write time as a file time (100 ns units since 1601-01-01 UTC), from
// stat(); nullopt-like 0 with `ok` false when the file cannot be found.
int64_t FileTimeOf(const QString& path, uint64_t* size = nullptr, bool* ok = nullptr);

class TImageCacheItem : public TComponent {
    VELLUMO_PERSISTENT(TImageCacheItem, TComponent)
public:
    explicit TImageCacheItem(TComponent* owner = nullptr);
    ~TImageCacheItem() override;

    uint32_t Size() const { return size_; }
    void SetSize(uint32_t size) { size_ = size; }
    int64_t Time() const { return time_; }
    void SetTime(int64_t time) { time_ = time; }
    TPictureEx& Picture() const { return *picture_; }
    void SetPicture(const TPictureEx& picture);

    // The picture is not empty and the file exists with the stored size and time.
    bool IsValidFor(const QString& path) const;
    // Clears the picture; takes the file's size and time and answers true when it exists.
    bool SetSourceFile(const QString& path);

    // Raises the picture reader's message (or the cache's) for damaged bytes.
    void ReadFrom(const QByteArray& bytes);
    QByteArray Write() const;

private:
    uint32_t size_ = 0;
    int64_t time_ = 0;
    std::unique_ptr<TPictureEx> picture_;
};
