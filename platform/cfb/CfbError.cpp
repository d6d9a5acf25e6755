#include "platform/cfb/CfbError.h"

#include "platform/Format.h"

#include <cstring>

namespace platform::cfb {

void throwCorrupt(const QString& detail) {
    throw CfbCorrupt(format(QStringLiteral("複合ファイルが壊れています: %s"), detail));
}

void throwIo(const QString& path, int err) {
    throw CfbIoError(format(QStringLiteral("複合ファイル「%s」を読み書きできません: %s"), path,
                            QString::fromLocal8Bit(std::strerror(err))));
}

void throwLocked(const QString& path) {
    throw CfbLocked(format(QStringLiteral("複合ファイル「%s」は他で使用中です"), path));
}

void throwStreamNotFound(const QString& name) {
    throw CfbNotFound(format(QStringLiteral("ストリーム「%s」が見つかりません"), name));
}

void throwStorageNotFound(const QString& name) {
    throw CfbNotFound(format(QStringLiteral("ストレージ「%s」が見つかりません"), name));
}

void throwElementNotFound(const QString& name) {
    throw CfbNotFound(format(QStringLiteral("要素「%s」が見つかりません"), name));
}

void throwExists(const QString& name) {
    throw CfbExists(format(QStringLiteral("「%s」は既に存在します"), name));
}

void throwInvalidName(const QString& name) {
    throw CfbInvalidName(format(QStringLiteral("名前「%s」は使えません"), name));
}

void throwReadOnly() {
    throw CfbAccessDenied(QStringLiteral("複合ファイルは読み取り専用で開かれています"));
}

void throwInvalidOperation(const QString& message) {
    throw CfbInvalidOperation(message);
}

}  // namespace platform::cfb
