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

}  // namespace msg
