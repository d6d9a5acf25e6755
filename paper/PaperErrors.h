#pragma once
// Errors and message texts of the paper catalogue.

#include "document/stream/StreamErrors.h"  // EListError, EInvalidCast

VELLUMO_DECLARE_EXCEPTION(EPaperError, Exception);

namespace papermsg {
inline QString badPaperName() {
    return QStringLiteral("Bad paper name");
}
inline QString listIndex() {
    return QStringLiteral("リストのインデックスが範囲を超えています (%d)");
}
inline QString invalidCast() {
    return QStringLiteral("無効なクラス型キャスト");
}
// A catalogue used before Open or after Close.
inline QString notOpen() {
    return QStringLiteral("用紙情報が開かれていません");
}
inline QString faceOutside() {
    return QStringLiteral("写真枠が用紙からはみ出しています");
}
inline QString facesOverlap() {
    return QStringLiteral("写真枠が重なっています。よろしいですか？");
}
}  // namespace papermsg
