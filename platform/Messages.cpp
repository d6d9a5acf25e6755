#include "platform/Messages.h"

#include "platform/Format.h"

namespace msg {

QString fileTooShort() {
    return QStringLiteral("ファイルが短すぎます");
}
QString sectorSizeInvalid() {
    return QStringLiteral("セクタサイズが正しくありません");
}
QString directoryEntryTypeInvalid(quint32 index) {
    return platform::format(QStringLiteral("ディレクトリ項目 %d の種類が正しくありません"), index);
}
QString storageNestingTooDeep() {
    return QStringLiteral("ストレージの入れ子が深すぎます");
}
QString streamTooLarge() {
    return QStringLiteral("ストリームが大きすぎます");
}
QString compoundFileTooLarge() {
    return QStringLiteral("複合ファイルの大きさが上限を超えます");
}

}  // namespace msg
