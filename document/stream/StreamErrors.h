#pragma once
// Error classes and message texts of the component stream framework.

#include "platform/Exception.h"

VELLUMO_DECLARE_EXCEPTION(EStreamError, Exception);
VELLUMO_DECLARE_EXCEPTION(EFilerError, EStreamError);
VELLUMO_DECLARE_EXCEPTION(EReadError, EFilerError);
VELLUMO_DECLARE_EXCEPTION(EWriteError, EFilerError);
VELLUMO_DECLARE_EXCEPTION(EClassNotFound, EFilerError);
VELLUMO_DECLARE_EXCEPTION(EFOpenError, EStreamError);
VELLUMO_DECLARE_EXCEPTION(EComponentError, Exception);
VELLUMO_DECLARE_EXCEPTION(EConvertError, Exception);
// An index outside a list.
VELLUMO_DECLARE_EXCEPTION(EListError, Exception);
// A stored object of another class than the one expected ("無効なクラス型キャスト").
VELLUMO_DECLARE_EXCEPTION(EInvalidCast, Exception);

namespace streammsg {
inline QString readError() {
    return QStringLiteral("ストリームからの読み込みエラー");
}
inline QString writeError() {
    return QStringLiteral("ストリームへの書き込みエラー");
}
inline QString invalidFormat() {
    return QStringLiteral("不正なストリーム フォーマット");
}
inline QString classNotFound() {
    return QStringLiteral("クラス %s が見つかりません");
}
inline QString unknownProperty() {
    return QStringLiteral("プロパティが存在しません");
}
inline QString invalidPath() {
    return QStringLiteral("不正なプロパティのパスです");
}
inline QString invalidValue() {
    return QStringLiteral("不正なプロパティの値です");
}
inline QString readOnlyProperty() {
    return QStringLiteral("プロパティは書き込み禁止です");
}
inline QString propertyError() {
    return QStringLiteral("%s%s%s の読み込み中のエラー : %s");
}
inline QString invalidName() {
    return QStringLiteral("コンポーネント名に ''%s'' は使えません");
}
inline QString duplicateName() {
    return QStringLiteral("コンポーネント名 %s はすでに使われています");
}
inline QString duplicateClass() {
    return QStringLiteral("クラス名 %s はすでに使われています");
}
inline QString cannotAssign() {
    return QStringLiteral("%s を %s に代入できません");
}
inline QString cannotOpen() {
    return QStringLiteral("ファイル %s を開けません");
}
}  // namespace streammsg

// Raise the stream errors with their fixed messages.
[[noreturn]] void throwReadError();
[[noreturn]] void throwWriteError();
[[noreturn]] void throwInvalidFormat();
