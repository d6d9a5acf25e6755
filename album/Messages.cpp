#include "album/Messages.h"

#include "platform/Format.h"

namespace msg {

using platform::format;

QString defaultSheetName() {
    return QStringLiteral("新規シート%d");
}
QString pageLimitExceeded(int limit) {
    return format(QStringLiteral("この用紙の制限ページ数（%dページ）を超えました"), limit);
}

}  // namespace msg
