#include "paper/Messages.h"

#include "platform/Format.h"

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
QString damagedPaperStream(const QString& streamName, const QString& reason) {
    return platform::format(QStringLiteral("用紙ストリーム %s を読み込めません: %s"), streamName,
                            reason);
}
QString damagedPapersIn(const QString& fileName) {
    return platform::format(
        QStringLiteral("用紙情報 %s の次の用紙は読み込めません (ファイルにはそのまま残ります)"),
        fileName);
}
QString paperInfoUpdateError(const QString& paperName) {
    return platform::format(QStringLiteral("用紙情報更新エラー(%s)"), paperName);
}
QString badFaceListStream(const QString& streamName) {
    return platform::format(QStringLiteral("画像情報のストリーム %s は写真枠の番号ではありません"),
                            streamName);
}
QString unsetCompany() {
    return QStringLiteral("未設定");
}

}  // namespace msg
