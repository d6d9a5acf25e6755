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

QString invalidPrinterName() {
    return QStringLiteral("プリンタ名が無効です。");
}
QString printJobFailed(const QString& reason) {
    return QStringLiteral("印刷ジョブを送れません: %1").arg(reason);
}
QString pdfPrinterName() {
    return QStringLiteral("PDFファイル");
}
QString devModeInvalid() {
    return QStringLiteral("デバイスモードが正しくありません");
}
QString borderlessBin(const QString& source) {
    return QStringLiteral("%1 (フチなし)").arg(source);
}
QString albumSheetBin() {
    return QStringLiteral("アルバム用紙");
}
QString userDefinedForm() {
    return QStringLiteral("ユーザー定義サイズ");
}
QString mediaTypeName(int id) {
    static const struct {
        int id;
        const char16_t* name;
    } table[] = {
        {1, u"普通紙"},
        {257, u"ﾌｧｲﾝ紙"},
        {260, u"高品位専用紙"},
        {258, u"ﾌｫﾄ用紙(専用光沢紙)"},
        {259, u"専用光沢ﾌｨﾙﾑ"},
        {2, u"専用OHPｼｰﾄ"},
        {261, u"ﾊﾞｯｸﾗｲﾄﾌｨﾙﾑ"},
        {262, u"ｷｬﾝﾊﾞｽｸﾛｽ"},
        {266, u"ｱｲﾛﾝﾌﾟﾘﾝﾄﾍﾟｰﾊﾟｰ"},
        {267, u"ﾏｯﾄ紙"},
        {268, u"半光沢ﾌｫﾄ紙"},
        {280, u"光沢ﾌｨﾙﾑ"},
        {283, u"CD-R ﾚｰﾍﾞﾙ"},
        {285, u"ﾏｯﾄﾎﾞｰﾄﾞ紙"},
        {271, u"ﾍﾞﾘｵﾝ写真用紙<光沢>"},
        {272, u"ﾍﾞﾘｵﾝ写真用紙<絹目調>"},
        {273, u"ﾍﾞﾘｵﾝﾏｯﾄ紙<厚手>"},
        {274, u"ﾍﾞﾘｵﾝ光沢紙<厚手>"},
        {275, u"ﾍﾞﾘｵﾝｱｰﾄ紙"},
        {276, u"ﾍﾞﾘｵﾝ合成紙"},
        {277, u"ﾍﾞﾘｵﾝﾊﾞｯｸﾗｲﾄﾌｨﾙﾑ"},
        {278, u"ﾍﾞﾘｵﾝｸﾛｽ"},
        {279, u"ﾍﾞﾘｵﾝ写真用紙<半光沢>"},
        {281, u"ﾍﾞﾘｵﾝ写真用紙<微光沢>"},
        {282, u"ﾍﾞﾘｵﾝﾏｯﾄ紙<両面>"},
        {286, u"ﾍﾞﾘｵﾝｱｰﾄ紙<厚手>"},
        {287, u"ﾍﾞﾘｵﾝ合成紙<粘着>"},
        {288, u"ﾍﾞﾘｵﾝｸﾛｽ<厚手>"},
        {337, u"ｱﾙﾊﾞﾑ用紙"},
        {326, u"ｱﾙﾊﾞﾑ表紙"},
    };
    for (const auto& row : table)
        if (row.id == id) return QString::fromUtf16(row.name);
    return {};
}
QString unknownMediaType(int id) {
    return platform::format(QStringLiteral("不明な用紙種類(%d)"), id);
}

}  // namespace msg
