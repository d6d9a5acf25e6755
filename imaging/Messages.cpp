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
QString invalidJpeg(const QString& detail) {
    return format(QStringLiteral("JPEG イメージが不正です: %s"), detail);
}
QString invalidPng(const QString& detail) {
    return format(QStringLiteral("PNG イメージが不正です: %s"), detail);
}
QString pictureLoadFailed() {
    return QStringLiteral("イメージの読み込みに失敗しました");
}
QString pixelCount(int pixels) {
    return format(QStringLiteral("%dピクセル"), pixels);
}

}  // namespace msg
