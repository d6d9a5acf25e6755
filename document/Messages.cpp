#include "document/Messages.h"

#include "platform/Format.h"

namespace msg {

using platform::format;

QString cannotOpenFile(const QString& path) {
    return format(QStringLiteral("ファイル %s を開けません"), path);
}
QString listIndexOutOfRange(int index) {
    return format(QStringLiteral("リストのインデックスが範囲を超えています (%d)"), index);
}

QString streamReadError() {
    return QStringLiteral("ストリームからの読み込みエラー");
}
QString streamWriteError() {
    return QStringLiteral("ストリームへの書き込みエラー");
}
QString invalidStreamFormat() {
    return QStringLiteral("不正なストリーム フォーマット");
}
QString atStreamOffset(const QString& message, qint64 offset) {
    return format(QStringLiteral("%s (オフセット %d)"), message, offset);
}
QString classNotFound(const QString& className) {
    return format(QStringLiteral("クラス %s が見つかりません"), className);
}
QString unknownProperty() {
    return QStringLiteral("プロパティが存在しません");
}
QString invalidPropertyPath() {
    return QStringLiteral("不正なプロパティのパスです");
}
QString invalidPropertyValue() {
    return QStringLiteral("不正なプロパティの値です");
}
QString readOnlyProperty() {
    return QStringLiteral("プロパティは書き込み禁止です");
}
QString propertyReadError(const QString& owner, const QString& path, const QString& reason) {
    return format(QStringLiteral("%s%s%s の読み込み中のエラー : %s"), owner, QStringLiteral("."),
                  path, reason);
}
QString invalidComponentName(const QString& name) {
    return format(QStringLiteral("コンポーネント名に ''%s'' は使えません"), name);
}
QString duplicateComponentName(const QString& name) {
    return format(QStringLiteral("コンポーネント名 %s はすでに使われています"), name);
}
QString duplicateClassName(const QString& className) {
    return format(QStringLiteral("クラス名 %s はすでに使われています"), className);
}
QString cannotAssign(const QString& sourceClass, const QString& targetClass) {
    return format(QStringLiteral("%s を %s に代入できません"), sourceClass, targetClass);
}

QString missingCharacter(QChar c) {
    return QStringLiteral("'%1' がありません").arg(c);
}
QString invalidNumber(const QString& text) {
    return QStringLiteral("数値 %1 が不正です").arg(text);
}
QString invalidHex() {
    return QStringLiteral("16進数が不正です");
}
QString missingValue() {
    return QStringLiteral("値がありません");
}
QString missingString() {
    return QStringLiteral("文字列がありません");
}
QString nameTooLong() {
    return QStringLiteral("名前が長すぎます");
}
QString missingEnd() {
    return QStringLiteral("end がありません");
}

QString tooManyParents() {
    return QStringLiteral("too many \"..\"");
}
QString streamReadOnly(const QString& name) {
    return format(QStringLiteral("ストリーム「%s」は読み込み専用で開かれています"), name);
}
QString noElementName() {
    return QStringLiteral("要素の名前がありません");
}

}  // namespace msg
