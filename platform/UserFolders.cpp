#include "platform/UserFolders.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTextStream>
#include <cstdlib>

namespace platform {
namespace {

QString env(const char* name) {
    const char* v = std::getenv(name);
    return v ? QString::fromLocal8Bit(v) : QString();
}

QString clean(const QString& path) {
    QString p = QDir::cleanPath(path);
    while (p.size() > 1 && p.endsWith(u'/')) p.chop(1);
    return p;
}

// An XDG base variable counts only when it is an absolute path.
QString xdg(const char* name, const QString& fallbackUnderHome) {
    const QString v = env(name);
    if (!v.isEmpty() && QDir::isAbsolutePath(v)) return clean(v);
    return clean(homeFolder() + u'/' + fallbackUnderHome);
}

}  // namespace

QString homeFolder() {
    const QString h = env("HOME");
    return h.isEmpty() ? QStringLiteral("/") : clean(h);
}

QString configHome() {
    return xdg("XDG_CONFIG_HOME", QStringLiteral(".config"));
}
QString dataHome() {
    return xdg("XDG_DATA_HOME", QStringLiteral(".local/share"));
}
QString cacheHome() {
    return xdg("XDG_CACHE_HOME", QStringLiteral(".cache"));
}

QString tempFolder() {
    const QString t = env("TMPDIR");
    if (!t.isEmpty() && QDir::isAbsolutePath(t) && QFileInfo(t).isDir()) return clean(t);
    return QStringLiteral("/tmp");
}

bool runtimeFolderIsOwn() {
    const QString r = env("XDG_RUNTIME_DIR");
    return !r.isEmpty() && QDir::isAbsolutePath(r) && QFileInfo(r).isDir() && isFolderWritable(r);
}

QString runtimeFolder() {
    return runtimeFolderIsOwn() ? clean(env("XDG_RUNTIME_DIR")) : tempFolder();
}

QString documentsFolder() {
    QString v = env("XDG_DOCUMENTS_DIR");
    if (v.isEmpty()) {
        // user-dirs.dirs holds lines like XDG_DOCUMENTS_DIR="$HOME/Documents".
        QFile f(configHome() + QStringLiteral("/user-dirs.dirs"));
        if (f.open(QIODevice::ReadOnly | QIODevice::Text)) {
            static const QRegularExpression re(
                QStringLiteral(R"(^\s*XDG_DOCUMENTS_DIR\s*=\s*"([^"]*)\")"));
            QTextStream in(&f);
            while (!in.atEnd()) {
                const auto m = re.match(in.readLine());
                if (m.hasMatch()) {
                    v = m.captured(1);
                    v.replace(QStringLiteral("$HOME"), homeFolder());
                    break;
                }
            }
        }
    }
    if (!v.isEmpty() && QDir::isAbsolutePath(v) && QFileInfo(v).isDir()) return clean(v);
    const QString docs = homeFolder() + QStringLiteral("/Documents");
    return QFileInfo(docs).isDir() ? clean(docs) : homeFolder();
}

bool makePrivateFolder(const QString& path) {
    const QString p = clean(path);
    if (QFileInfo(p).isDir()) return true;
    const QString parent = QFileInfo(p).path();
    if (parent != p && !makePrivateFolder(parent)) return false;
    if (::mkdir(QFile::encodeName(p).constData(), 0700) != 0 && errno != EEXIST) return false;
    return QFileInfo(p).isDir();
}

bool isFolderWritable(const QString& path) {
    QByteArray tmpl = QFile::encodeName(clean(path) + QStringLiteral("/.vellumo-probe-XXXXXX"));
    const int fd = ::mkstemp(tmpl.data());
    if (fd < 0) return false;
    const bool ok = ::write(fd, "x", 1) == 1;
    ::close(fd);
    ::unlink(tmpl.constData());
    return ok;
}

}  // namespace platform
