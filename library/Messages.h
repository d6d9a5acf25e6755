#pragma once
// Message texts of the image library (packs on files, the thumbnail loader, the image
// cache). Each text is written once, here.

#include <QString>

namespace msg {

// A cache element whose bytes are not a cache item.
QString cacheItemDamaged();
// The cache file was damaged and was moved aside to `aside`; a new one was started.
QString cacheSetAside(const QString& file, const QString& aside);
// Another program holds the cache file: thumbnails are made without it.
QString cacheInUse(const QString& file);

// Column captions of the detail view of the thumbnail lists.
QString columnName();
QString columnSize();
QString columnType();
QString columnModified();

}  // namespace msg
