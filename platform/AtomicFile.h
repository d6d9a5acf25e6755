#pragma once
// Replacing a file without ever truncating the only good copy: the new content is
// written to a sibling temporary file, flushed to disk, then renamed over the target.

#include <QByteArray>
#include <QString>

namespace platform {

// Writes `content` to `path` atomically; the file gets `mode` when it is new and keeps
// its mode when it existed. Returns false (and leaves the old file untouched) on failure;
// `error` then holds the system's reason.
bool writeFileAtomically(const QString& path, const QByteArray& content, QString* error = nullptr,
                         unsigned mode = 0600);

}  // namespace platform
