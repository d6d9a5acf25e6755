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

inline QString driverExtensionUnavailable(const QString& printer) {
    return platform::format(QStringLiteral("プリンタ %s ではドライバ拡張を使えません"), printer);
}
inline QString driverExtensionRefused(const QString& what) {
    return platform::format(QStringLiteral("ドライバ拡張が設定を受け付けません: %s"), what);
}

}  // namespace msg
