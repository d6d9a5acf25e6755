#include "paper/Messages.h"

namespace msg {

QString badPaperName() {
    return QStringLiteral("Bad paper name");
}
QString invalidCast() {
    return QStringLiteral("無効なクラス型キャスト");
}
QString papersNotOpen() {
    return QStringLiteral("用紙情報が開かれていません");
}
QString faceOutsidePaper() {
    return QStringLiteral("写真枠が用紙からはみ出しています");
}
QString facesOverlap() {
    return QStringLiteral("写真枠が重なっています。よろしいですか？");
}

}  // namespace msg
