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

QString noPhotoFramesOnPage() {
    return QStringLiteral("写真枠の無いページでは実行できません");
}

QString noPhotoFramesForFill() {
    return QStringLiteral("写真枠の無いページでは一括貼込は実行できません");
}

QString sequenceWaitCaption() {
    return QStringLiteral("処理中です。少しお待ちください．．．");
}

QString sequenceStop() {
    return QStringLiteral("中 断");
}

QString overwriteCoverQuestion() {
    return QStringLiteral(
        "表紙デザインの選択をすると、現在の表紙ページに上書きされます。\r\nよろしいですか？");
}

QString autoImgNormCaption() {
    return QStringLiteral("イメージの自動調整");
}
QString originalPictureHeading() {
    return QStringLiteral("元画像");
}
QString correctedPictureHeading() {
    return QStringLiteral("補整後画像");
}
QString correctionMethodName(int method) {
    switch (method) {
        case 1:
            return QStringLiteral("Vellumo補整");
        case 2:
            return QStringLiteral("ExifPrint補整");
        case 3:
            return QStringLiteral("Kivrana");
        default:
            return QStringLiteral("補整しない");
    }
}
QString correctionMethodButton() {
    return QStringLiteral("補整方法");
}
QString setAllMenu() {
    return QStringLiteral("一括設定");
}
QString setAllEntry(int method) {
    switch (method) {
        case 1:
            return QStringLiteral("すべてVellumo補整");
        case 2:
            return QStringLiteral("すべてExifPrint補整");
        case 3:
            return QStringLiteral("すべてKivrana");
        default:
            return QStringLiteral("すべて補整しない");
    }
}
QString okButton() {
    return QStringLiteral("OK");
}

}  // namespace msg
