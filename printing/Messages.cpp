#include "printing/Messages.h"

#include "platform/Format.h"

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

QString colourModeRefused(int mode) {
    return platform::format(QStringLiteral("プリンタドライバがカラーモード %d を受け付けません"),
                            mode);
}

QString printerPropertiesTitle(const QString& device) {
    return platform::format(QStringLiteral("%s のプロパティ"), device);
}
QString paperCaption() {
    return QStringLiteral("用紙");
}
QString orientationCaption() {
    return QStringLiteral("印刷の向き");
}
QString portraitCaption() {
    return QStringLiteral("縦");
}
QString landscapeCaption() {
    return QStringLiteral("横");
}
QString paperSourceCaption() {
    return QStringLiteral("給紙方法");
}
QString mediaTypeCaption() {
    return QStringLiteral("用紙種類:");
}
QString printQualityCaption() {
    return QStringLiteral("印字品質:");
}
QString colourCaption() {
    return QStringLiteral("色");
}
QString colourValue() {
    return QStringLiteral("カラー");
}
QString monochromeValue() {
    return QStringLiteral("モノクロ");
}

QString sheetListInvalid(const QString& list) {
    return QStringLiteral("印刷するシートの指定が正しくありません: %1").arg(list);
}
QString waitPrintJobText() {
    return QStringLiteral("スプールされたページの印刷完了を待っています．．．");
}
QString spoolAllCaption() {
    return QStringLiteral("残りページをすべてスプール");
}
QString abortPrintCaption() {
    return QStringLiteral("印刷中止");
}
QString printingProgressCaption() {
    return QStringLiteral("印刷中です。少しお待ちください．．．");
}

QString bothCoversItem() {
    return QStringLiteral("表表紙+裏表紙");
}
QString frontCoverOnlyItem() {
    return QStringLiteral("表表紙のみ");
}
QString backCoverOnlyItem() {
    return QStringLiteral("裏表紙のみ");
}

}  // namespace msg
