#pragma once
// The element of the image cache that holds a file's thumbnail.
//
// The path's components become nested storages ("\" between them); the leading "/" of an
// absolute path is dropped (Linux paths have no drive). In every component ":" becomes
// "?Drive", "!" becomes "*" and "\" (legal in Linux names) becomes "?5C" (none may appear
// in an element name). A component that
// is then longer than 31 characters, counted as UTF-16 units or as UTF-8 bytes, gets a
// short form of its own: the longest prefix of its name (whole characters) that fits, "~",
// the 8 upper-case hex digits of the FNV-1a hash of the whole original component's UTF-8
// bytes, and the extension (last "." and what follows, kept when at most 12 units). The
// rule only depends on the name, so every run finds the same element.
//
//     /home/u/Photos/a.jpg  ->  home\u\Photos\a.jpg
//     /x/C:!.jpg            ->  x\C?Drive*.jpg

#include <QString>

QString CacheElementName(const QString& path);
// The short form of one component (see above); the component itself when it fits.
QString CacheComponentName(const QString& component);
