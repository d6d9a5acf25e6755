#include "app/frame/Messages.h"

namespace msg {

QString helpCaption() {
    return QStringLiteral("ヘルプ(&H)");
}

}  // namespace msg
