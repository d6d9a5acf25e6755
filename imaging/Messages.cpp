#include "imaging/Messages.h"

#include "platform/Format.h"

namespace msg {

using platform::format;

QString cannotCreateFile(const QString& path) {
    return format(QStringLiteral("ファイル %s を作成できません"), path);
}

QString invalidBitmap() {
    return QStringLiteral("ビットマップイメージが不正です");
}
QString invalidBitmap(const QString& reason) {
    return format(QStringLiteral("%s: %s"), invalidBitmap(), reason);
}
QString invalidJpeg(const QString& reason) {
    return format(QStringLiteral("JPEG イメージが不正です: %s"), reason);
}
QString invalidPng(const QString& reason) {
    return format(QStringLiteral("PNG イメージが不正です: %s"), reason);
}
QString cannotDecompress(const QString& reason) {
    return format(QStringLiteral("圧縮データを展開できません: %s"), reason);
}

QString fieldValueInvalid(const QString& field, const QString& value) {
    return format(QStringLiteral("%s の値 %s は使えません"), field, value);
}
QString dataEndsAt(qint64 position) {
    return format(QStringLiteral("データが %d バイト目で終わっています"), position);
}
QString fileShorterThanDeclared(qint64 needed, qint64 present) {
    return format(
        QStringLiteral("ヘッダーの示す %d バイトに対してデータは %d バイトしかありません"), needed,
        present);
}
QString pictureTooLarge(qint64 width, qint64 height, qint64 limit) {
    return format(QStringLiteral("%d × %d ピクセルは上限の %d ピクセルを超えています"), width,
                  height, limit);
}
QString pixelsExceedData(qint64 width, qint64 height, qint64 bytes) {
    return format(QStringLiteral("%d × %d ピクセルは %d バイトの画像データからは作れません"), width,
                  height, bytes);
}
QString libraryRefused(const QString& library, const QString& text) {
    return format(QStringLiteral("%s がデータを読めません (%s)"), library, text);
}
QString signatureMissing() {
    return QStringLiteral("先頭に形式の署名がありません");
}
QString noData() {
    return QStringLiteral("データがありません");
}
QString arithmeticCodingUnsupported() {
    return QStringLiteral("算術符号化には対応していません");
}
QString declaredLengthTooLarge(qint64 declared, qint64 limit) {
    return format(QStringLiteral("展開後の長さ %d バイトは上限の %d バイトを超えています"),
                  declared, limit);
}
QString declaredLengthExceedsData(qint64 declared, qint64 bytes) {
    return format(QStringLiteral("展開後の長さ %d バイトは %d バイトの圧縮データからは作れません"),
                  declared, bytes);
}
QString lengthMismatch(qint64 declared, qint64 actual) {
    return format(QStringLiteral("展開後の長さが宣言の %d バイトと違います (%d バイト)"), declared,
                  actual);
}
QString compressedDataEnded() {
    return QStringLiteral("圧縮データが途中で終わっています");
}
QString pictureLoadFailed() {
    return QStringLiteral("イメージの読み込みに失敗しました");
}
QString invalidMetafile() {
    return QStringLiteral("メタファイルが不正です");
}
QString pixelCount(int pixels) {
    return format(QStringLiteral("%dピクセル"), pixels);
}

namespace {
// "... 色調補正を解除して「Kivrana」補整を実行しますか？" after the reason.
QString removeAdjustmentsQuestion(const QString& reason, bool colourMatching) {
    // clang-format off
    return format(QStringLiteral("%s\r\n\r\n色調補正を解除して「%s」補整を実行しますか？"), reason,
                  colourMatching ? QStringLiteral("Kivrana") : QStringLiteral("ExifPrint"));
    // clang-format on
}
}  // namespace

QString adjustedPhotoQuestion(bool colourMatching) {
    // clang-format off
    return removeAdjustmentsQuestion(QStringLiteral("この写真は色調補正されているため最適な補整結果が得られません。"), colourMatching);
    // clang-format on
}
QString adjustedPhotosQuestion(bool colourMatching) {
    // clang-format off
    return removeAdjustmentsQuestion(QStringLiteral("色調補正されている写真では最適な補整結果が得られません。"), colourMatching);
    // clang-format on
}

QString fileHasNoExif() {
    return QStringLiteral("この画像ファイルはExif情報に対応していません");
}
QString photoHasNoExif() {
    return QStringLiteral("この写真はExif情報に対応していません");
}

QString modifiedDateTime() {
    return QStringLiteral("更新日時");
}
QString previewInProgress() {
    return QStringLiteral("プレビュー作成中...");
}

}  // namespace msg
