#include "library/CacheElementName.h"

#include <QStringList>

namespace {

constexpr int kMaxName = 31;

bool fits(const QString& s) {
    return s.size() <= kMaxName && s.toUtf8().size() <= kMaxName;
}

uint32_t fnv1a(const QByteArray& bytes) {
    uint32_t h = 2166136261u;
    for (char c : bytes) {
        h ^= uint8_t(c);
        h *= 16777619u;
    }
    return h;
}

}  // namespace

QString CacheComponentName(const QString& component) {
    QString name = component;
    name.replace(u':', QStringLiteral("?Drive"))
        .replace(u'!', u'*')
        .replace(u'\\', QStringLiteral("?5C"));
    if (fits(name)) return name;
    const qsizetype dot = name.lastIndexOf(u'.');
    QString ext = dot > 0 ? name.mid(dot) : QString();
    if (ext.size() > 12 || !fits(QStringLiteral("~00000000") + ext)) ext.clear();
    const QString tail =
        QStringLiteral("~%1").arg(fnv1a(component.toUtf8()), 8, 16, QChar(u'0')).toUpper() + ext;
    const QString base = ext.isEmpty() ? name : name.left(dot);
    // Whole characters only: a surrogate pair is never cut.
    QString prefix;
    for (qsizetype i = 0; i < base.size();) {
        const qsizetype len = base.at(i).isHighSurrogate() && i + 1 < base.size() ? 2 : 1;
        const QString next = prefix + base.mid(i, len);
        if (!fits(next + tail)) break;
        prefix = next;
        i += len;
    }
    return prefix + tail;
}

QString CacheElementName(const QString& path) {
    const QStringList parts = path.split(u'/', Qt::SkipEmptyParts);
    QStringList names;
    names.reserve(parts.size());
    for (const QString& part : parts) names.append(CacheComponentName(part));
    return names.join(u'\\');
}
