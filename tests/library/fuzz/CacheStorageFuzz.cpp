// Fuzz target for the image cache file reader: the bytes are a cache file, opened
// read-only as a "Preview.ic" beside a photo is, listed, and every element read as a
// cache item. Reading may raise but must never crash, read outside the input or allocate
// what the input merely declares.
#include "document/stream/Stream.h"
#include "imaging/picture/PictureEx.h"
#include "library/ImageCacheItem.h"
#include "library/ImageCacheStorage.h"
#include "platform/Exception.h"

#include <unistd.h>
#include <QDir>
#include <QFile>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const QString path =
        QDir::temp().filePath(QStringLiteral("cache-fuzz-%1.ic").arg(::getpid()));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 0;
        f.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    try {
        TImageCacheStorage storage;
        storage.Open(path, true);
        int read = 0;
        for (const auto& entry : storage.List()) {
            if (++read > 64) break;
            try {
                TImageCacheItem item;
                storage.LoadElement(entry.path, item);
                if (item.Picture().Graphic() && item.Picture().Graphic()->IsBitmapLike())
                    (void)item.Picture().Graphic()->ToImage();
                TImageCacheItem again;
                again.ReadFrom(item.Write());
                if (again.Size() != item.Size() || again.Time() != item.Time()) __builtin_trap();
            } catch (const Exception&) {
            }
        }
    } catch (const Exception&) {
    }
    QFile::remove(path);
    return 0;
}
