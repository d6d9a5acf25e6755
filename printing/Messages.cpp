#include "printing/Messages.h"

namespace msg {

QString listDuplicates() {
    return QStringLiteral("文字列リストは重複を許しません");
}
QString sortedListOperation() {
    return QStringLiteral("ソートされる文字列リストに対しては許されない動作です");
}

QString qualityName(int value) {
    switch (value) {
        case 1:
            return QStringLiteral("きれい");
        case 2:
            return QStringLiteral("標準");
        case 3:
            return QStringLiteral("はやい");
        default:
            return QStringLiteral("カスタム");
    }
}

}  // namespace msg
