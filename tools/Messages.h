#pragma once
// Message texts the command-line tools share. Each text is written once, here; texts
// shared with the program's folders live in their catalogues (document/Messages.h, ...),
// all in namespace msg.

#include "platform/Format.h"

#include <QString>

namespace msg {

inline QString paperNotFound(const QString& name) {
    return platform::format(QStringLiteral("用紙 %s が見つかりません"), name);
}

inline QString folderNotFound(const QString& path) {
    return platform::format(QStringLiteral("フォルダ %s が見つかりません"), path);
}
inline QString thumbnailFailed(const QString& file) {
    return platform::format(QStringLiteral("%s のサムネイルを作れません"), file);
}

}  // namespace msg
