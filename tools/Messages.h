#pragma once
// Message texts the command-line tools share. Each text is written once, here; texts
// shared with the program's folders live in their catalogues (document/Messages.h, ...),
// all in namespace msg.

#include "platform/Format.h"

#include <QString>

namespace msg {

inline QString paperNotFound(const QString& name) {
    return platform::format(QStringLiteral("用紙 %s が見つかりません"), name);
}

inline QString driverExtensionUnavailable(const QString& printer) {
    return platform::format(QStringLiteral("プリンタ %s ではドライバ拡張を使えません"), printer);
}
inline QString driverExtensionRefused(const QString& what) {
    return platform::format(QStringLiteral("ドライバ拡張が設定を受け付けません: %s"), what);
}

inline QString cannotWriteFile(const QString& path, const QString& reason) {
    return platform::format(QStringLiteral("ファイル %s を書き込めません: %s"), path, reason);
}

inline QString kvrLibraryMissing(const QString& path) {
    return platform::format(QStringLiteral("色合わせライブラリ %s を読み込めません"), path);
}

inline QString kvrEngineMissing(const QString& path) {
    return platform::format(QStringLiteral("色合わせエンジン %s を読み込めません"), path);
}

inline QString kvrCorrectionFailed(int code) {
    return platform::format(QStringLiteral("色合わせ補正に失敗しました (結果 %d)"), code);
}

inline QString kvrConversionFailed(int code) {
    return platform::format(QStringLiteral("プリンタ色変換に失敗しました (結果 %d)"), code);
}

inline QString folderNotFound(const QString& path) {
    return platform::format(QStringLiteral("フォルダ %s が見つかりません"), path);
}
inline QString thumbnailFailed(const QString& file) {
    return platform::format(QStringLiteral("%s のサムネイルを作れません"), file);
}

inline QString noStoredPreview(int sheet, int face) {
    return platform::format(QStringLiteral("シート %d の面 %d にはプレビューがありません"), sheet,
                            face);
}

}  // namespace msg
