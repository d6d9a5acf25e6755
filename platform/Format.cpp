#include "platform/Format.h"

namespace platform {

QString formatList(const QString& pattern, const QStringList& args) {
    QString out;
    out.reserve(pattern.size() + 32);
    qsizetype next = 0;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern[i];
        if (c == u'%' && i + 1 < pattern.size()) {
            const QChar k = pattern[i + 1];
            if (k == u'%') {
                out += u'%';
                ++i;
                continue;
            }
            if ((k == u's' || k == u'd') && next < args.size()) {
                out += args[next++];
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}

}  // namespace platform
