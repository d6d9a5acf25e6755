#include "library/ImageCacheItem.h"

#include "document/stream/PropertyBuilder.h"
#include "document/stream/Stream.h"
#include "imaging/picture/PictureData.h"
#include "imaging/picture/PictureEx.h"
#include "library/Messages.h"
#include "platform/ByteCursor.h"

#include <sys/stat.h>
#include <QFile>
#include <QtEndian>

VELLUMO_DEFINE_PERSISTENT(TImageCacheItem)

int64_t FileTimeOf(const QString& path, uint64_t* size, bool* ok) {
    struct stat st {};
    const bool found = ::stat(QFile::encodeName(path).constData(), &st) == 0;
    if (ok) *ok = found;
    if (!found) return 0;
    if (size) *size = uint64_t(st.st_size);
    // Seconds from 1601 to 1970, then 100 ns ticks.
    constexpr int64_t kEpochDelta = 11644473600LL;
    return (int64_t(st.st_mtim.tv_sec) + kEpochDelta) * 10000000LL + st.st_mtim.tv_nsec / 100;
}

TImageCacheItem::TImageCacheItem(TComponent* owner)
    : TComponent(owner), picture_(std::make_unique<TPictureEx>()) {}

TImageCacheItem::~TImageCacheItem() = default;

void TImageCacheItem::SetPicture(const TPictureEx& picture) {
    picture_->AssignGraphic(picture.Graphic());
}

bool TImageCacheItem::IsValidFor(const QString& path) const {
    if (picture_->Empty()) return false;
    uint64_t size = 0;
    bool ok = false;
    const int64_t time = FileTimeOf(path, &size, &ok);
    return ok && uint32_t(size) == size_ && time == time_;
}

bool TImageCacheItem::SetSourceFile(const QString& path) {
    picture_->Clear();
    uint64_t size = 0;
    bool ok = false;
    const int64_t time = FileTimeOf(path, &size, &ok);
    if (!ok) return false;
    size_ = uint32_t(size);
    time_ = time;
    return true;
}

void TImageCacheItem::ReadFrom(const QByteArray& bytes) {
    platform::ByteCursor cursor(bytes, msg::cacheItemDamaged());
    const auto marker = int32_t(cursor.u32le());
    if (marker > 0) {
        size_ = 0;
        time_ = 0;
        picture_->Clear();
        return;
    }
    const uint32_t size = cursor.u32le();
    const uint32_t low = cursor.u32le(), high = cursor.u32le();
    TMemoryStream stream(bytes.sliced(cursor.position()));
    std::unique_ptr<TGraphic> graphic = ReadPictureData(stream);
    size_ = size;
    time_ = int64_t((uint64_t(high) << 32) | low);
    picture_->SetGraphic(std::move(graphic));
}

QByteArray TImageCacheItem::Write() const {
    TMemoryStream stream;
    char head[16];
    qToLittleEndian<int32_t>(0, head);
    qToLittleEndian<uint32_t>(size_, head + 4);
    qToLittleEndian<uint32_t>(uint32_t(uint64_t(time_) & 0xFFFFFFFFu), head + 8);
    qToLittleEndian<uint32_t>(uint32_t(uint64_t(time_) >> 32), head + 12);
    stream.WriteBuffer(head, 16);
    WritePictureData(picture_->Graphic(), stream);
    return stream.Data();
}
