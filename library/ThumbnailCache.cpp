#include "library/ThumbnailCache.h"

#include "imaging/codecs/Jpeg.h"
#include "imaging/pack/Thumbnail.h"
#include "imaging/picture/JpegImage.h"
#include "imaging/picture/PictureEx.h"
#include "library/ImageCacheItem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <climits>

using namespace platform::cfb;

void MakeFileThumbnail(const QString& fileName, TPictureEx& picture) {
    TPictureEx source;
    source.LoadFromFile(fileName);
    const QImage thumb = MakeThumbnail(source, {200, 200});
    picture.Clear();
    if (thumb.isNull()) return;  // a 0 x 0 picture has an empty thumbnail
    auto jpeg = std::make_unique<TSafetyJPEGImage>();
    jpeg->SetBytes(codecs::EncodeJpeg(thumb, 90));
    picture.SetGraphic(std::move(jpeg));
}

bool TThumbnailCache::Open(const QString& fileName) {
    std::lock_guard lock(lock_);
    fileName_ = fileName;
    try {
        storage_.Open(fileName, false);
        return true;
    } catch (const CfbLocked&) {
        storage_.Close();
        return false;
    }
}

void TThumbnailCache::Close() {
    std::lock_guard lock(lock_);
    storage_.Close();
}

bool TThumbnailCache::lookUp(const QString& fileName, TPictureEx& picture) {
    TImageCacheItem item;
    try {
        if (!storage_.Load(fileName, item) || !item.IsValidFor(fileName)) return false;
    } catch (const CfbCorrupt&) {
        storage_.SetAsideAndRecreate();
        return false;
    } catch (...) {
        return false;  // the damaged element is gone; the thumbnail is made again
    }
    picture.AssignGraphic(item.Picture().Graphic());
    return true;
}

void TThumbnailCache::store(const QString& fileName, const TPictureEx& picture) {
    TImageCacheItem item;
    if (!item.SetSourceFile(fileName)) return;
    item.SetPicture(picture);
    try {
        storage_.Store(fileName, item);
    } catch (const CfbCorrupt&) {
        try {
            storage_.SetAsideAndRecreate();
        } catch (...) {
        }
    } catch (...) {
        // A thumbnail that cannot be stored is made again next time.
    }
}

TThumbnailCache::Source TThumbnailCache::LoadThumbnail(const QString& fileName,
                                                       TPictureEx& picture) {
    std::lock_guard lock(lock_);
    picture.Clear();
    const QFileInfo info(fileName);
    const QString preview = info.dir().filePath(QStringLiteral("Preview.ic"));
    if (QFileInfo::exists(preview)) {
        try {
            TImageCacheStorage previews;
            previews.Open(preview, true);
            TImageCacheItem item;
            if (previews.Load(info.fileName(), item) && !item.Picture().Empty()) {
                picture.AssignGraphic(item.Picture().Graphic());
                return Source::Preview;
            }
        } catch (...) {
            // A preview cache that cannot be read is not used.
        }
    }
    if (lookUp(fileName, picture)) return Source::Cache;
    MakeFileThumbnail(fileName, picture);
    if (!picture.Empty()) store(fileName, picture);
    return Source::Made;
}

void TThumbnailCache::ApplyCacheSettings(bool enabled, int limitMiB) {
    std::lock_guard lock(lock_);
    storage_.SetMaxSize(enabled ? (limitMiB <= 0 ? INT_MAX : limitMiB) : 0);
}

void TThumbnailCache::ClearImageCache() {
    std::lock_guard lock(lock_);
    if (!storage_.IsOpen()) return;  // held by another instance: its file is not ours
    const int limit = storage_.MaxSize();
    storage_.Close();
    QFile::remove(fileName_);
    storage_.Open(fileName_, false);
    storage_.SetMaxSize(limit);
}
