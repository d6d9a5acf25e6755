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


QString printDialogTitle() {
    return QStringLiteral("印刷");
}
QString pageSelectionGroup() {
    return QStringLiteral("印刷ページ選択");
}
QString allPagesChoice() {
    return QStringLiteral("すべてのページ");
}
QString pageRangeChoice() {
    return QStringLiteral("指定ページ");
}
QString firstPageCaption() {
    return QStringLiteral("最初のページ");
}
QString lastPageCaption() {
    return QStringLiteral("最後のページ");
}
QString coversChoice() {
    return QStringLiteral("表表紙・裏表紙");
}
QString frontCoverName() {
    return QStringLiteral("表表紙");
}
QString backCoverName() {
    return QStringLiteral("裏表紙");
}
QString pageName(int page) {
    return QStringLiteral("%1ページ").arg(page);
}
QString printOffsetGroup() {
    return QStringLiteral("印刷位置微調整");
}
QString fromTopCaption() {
    return QStringLiteral("上から");
}
QString fromLeftCaption() {
    return QStringLiteral("左から");
}
QString printerCaption() {
    return QStringLiteral("プリンタ");
}
QString copiesCaption() {
    return QStringLiteral("部数");
}
QString printerSetupCaption() {
    return QStringLiteral("プリンタ設定");
}
QString startPrintCaption() {
    return QStringLiteral("印刷開始");
}
QString selectMediaType() {
    return QStringLiteral("用紙種類を選択してください");
}
QString paperSizeDiffersQuestion() {
    return QStringLiteral("プリンタ設定とアルバムデータの用紙サイズが異なります。\r\nこのまま印刷しますか？");
}
QString noPagesToPrint() {
    return QStringLiteral("印刷するページがありません。印刷ページを正しく選択してください。");
}
QString albumSheetPaperNotice() {
    return QStringLiteral("12枚つづりのフォトアルバム用紙に印刷します。\r\n\r\n用紙が正しくセットされていることを確認してください");
}
QString printWithoutKvrQuestion() {
    return QStringLiteral("写真の補整方法に「Kivrana」が設定されていますが、\r\n現在のプリンタ設定では最適な印刷結果が得られません。\r\n\r\n「Kivrana」補整を解除して印刷を続行しますか？");
}

}  // namespace msg
