#include "objects/Messages.h"

namespace msg {

QString textEntryMissing() {
    return QStringLiteral("未入力項目");
}

}  // namespace msg
