#include "app/frame/Messages.h"

namespace msg {

QString helpCaption() {
    return QStringLiteral("ヘルプ(&H)");
}

QString cancelCaption() {
    return QStringLiteral("キャンセル");
}

}  // namespace msg
