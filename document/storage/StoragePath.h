#pragma once
// Paths of elements inside a compound document: names separated by "\", resolved
// against the path of the storage they are given to.
//
//   "a\b"     relative to the base          "\a\b"  from the root
//   "."       ignored                       ".."    removes the last name so far
//   ""        empty segments are dropped
//
// A ".." with no name left to remove raises EDocStorage ("too many \"..\"").
// Storage element names are compared without regard to case.

#include <QString>
#include <QStringList>

namespace storagepath {

// The segments of `path` resolved against the segments `base`.
QStringList Resolve(const QStringList& base, const QString& path);
// The segments of a path relative to the root.
inline QStringList Split(const QString& path) {
    return Resolve({}, path);
}
// Segments joined with "\" (no leading one).
QString Join(const QStringList& segments);
// `folder` and `name` joined with one "\" unless the folder is empty or already ends in one.
QString JoinName(const QString& folder, const QString& name);
// All but the last segment of `path`, and the last segment.
QString FolderOf(const QString& path);
QString LastName(const QString& path);
// How many leading segments the two lists share, names compared without regard to case.
int SharedPrefix(const QStringList& a, const QStringList& b);

}  // namespace storagepath
