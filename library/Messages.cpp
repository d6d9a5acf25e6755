#include "library/Messages.h"

#include "imaging/Messages.h"
#include "platform/Format.h"

using platform::format;

namespace msg {

QString cacheItemDamaged() {
    return QStringLiteral("イメージキャッシュの項目が壊れています");
}
QString cacheSetAside(const QString& file, const QString& aside) {
    return format(
        QStringLiteral("イメージキャッシュ「%s」が壊れていたため「%s」に移し、作り直しました"),
        file, aside);
}
QString cacheInUse(const QString& file) {
    return format(QStringLiteral("イメージキャッシュ「%s」は他で使用中のため使いません"), file);
}

QString columnName() {
    return QStringLiteral("名前");
}
QString columnSize() {
    return QStringLiteral("サイズ");
}
QString columnType() {
    return QStringLiteral("種類");
}
QString columnModified() {
    return modifiedDateTime();
}

}  // namespace msg
