// Finding application files that may live beside the program or on installation media.
#include "app/frame/AppFrame.h"
#include "platform/Format.h"
#include "platform/SettingsStore.h"

#include <QDir>
#include <QFileInfo>
#include <cstdlib>

namespace {

QString join(const QString& folder, const QString& name) {
    if (folder.isEmpty()) return name;
    return folder.endsWith(u'/') ? folder + name : folder + u'/' + name;
}

// The file `relative` (which may hold * and ?) inside `folder`, or empty.
QString holds(const QString& folder, const QString& relative) {
    if (folder.isEmpty() || relative.isEmpty()) return {};
    if (!relative.contains(u'*') && !relative.contains(u'?')) {
        const QString path = join(folder, relative);
        return QFileInfo(path).isFile() ? path : QString();
    }
    const QFileInfo rel(join(folder, relative));
    const QStringList matches =
        QDir(rel.path()).entryList({rel.fileName()}, QDir::Files | QDir::Hidden, QDir::Name);
    return matches.isEmpty() ? QString() : join(rel.path(), matches.front());
}

}  // namespace

QStringList TAppFrame::mediaRoots() const {
    if (mediaRoots_) return *mediaRoots_;
    QStringList roots;
    const QString user = QString::fromLocal8Bit(std::getenv("USER"));
    QStringList bases{QStringLiteral("/media"), QStringLiteral("/mnt")};
    if (!user.isEmpty())
        bases = QStringList{QStringLiteral("/run/media/") + user, QStringLiteral("/media/") + user} + bases;
    for (const QString& b : bases)
        for (const QString& e : QDir(b).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name))
            roots << join(b, e);
    return roots;
}

QString TAppFrame::searchOnce(const QString& relativeName) {
    QString rel = relativeName;
    rel.replace(u'\\', u'/');
    const QString keyFile = ExpandOrKeep(QStringLiteral("$(SysKeyFile:inessential)"));
    auto isDisc = [&](const QString& folder) {
        return !folder.isEmpty() && !keyFile.isEmpty() && QFileInfo(join(folder, keyFile)).isFile();
    };
    // A folder that is the disc and holds the file; a "diskN" folder also tries disk1..disk9.
    auto onMedia = [&](const QString& folder) -> QString {
        if (!isDisc(folder)) return {};
        if (QString r = holds(folder, rel); !r.isEmpty()) return r;
        const QFileInfo info(QDir::cleanPath(folder));
        if (!info.fileName().startsWith(QStringLiteral("disk"), Qt::CaseInsensitive)) return {};
        for (int k = 1; k <= 9; ++k) {
            const QString sibling = join(info.path(), QStringLiteral("disk%1").arg(k));
            if (isDisc(sibling))
                if (QString r = holds(sibling, rel); !r.isEmpty()) return r;
        }
        return {};
    };

    if (QString r = holds(ExpandOrKeep(QStringLiteral("$(ExeDir:inessential)")), rel); !r.isEmpty())
        return r;
    if (QString r = onMedia(ReadString(QStringLiteral("CDPath"), QString())); !r.isEmpty()) return r;
    if (QString r = onMedia(mediaFolder_); !r.isEmpty()) return r;

    // The installation source an installer may record: "srcDir" and "srcDir0".."srcDir9".
    const QString installKey = QStringLiteral("Software\\Classes\\") +
                               ExpandOrKeep(QStringLiteral("$(SysInstallKey:inessential)")) +
                               QStringLiteral("\\srcDir");
    QStringList sources;
    if (auto d = Settings().readString(installKey, QString()); d && !d->isEmpty()) sources << *d;
    for (int k = 0; k <= 9; ++k) {
        const auto v = Settings().readString(installKey, QStringLiteral("srcDir%1").arg(k));
        if (!v || v->isEmpty()) break;
        sources << *v;
    }
    for (const QString& s : sources)
        if (QString r = onMedia(s); !r.isEmpty()) {
            mediaFolder_ = s;
            return r;
        }

    // Mounted media, then the application folder on each of them.
    const QString appFolder = ExpandOrKeep(QStringLiteral("$(SysApplicationFolder:inessential)"));
    QStringList candidates = mediaRoots();
    if (!appFolder.isEmpty())
        for (const QString& root : mediaRoots()) candidates << join(root, appFolder);
    for (const QString& c : candidates)
        if (isDisc(c)) {
            mediaFolder_ = c;
            return onMedia(c);
        }
    return {};
}

QString TAppFrame::FindApplicationFile(const QString& displayName, const QString& relativeName) {
    const QString shown = displayName == QStringLiteral("@") ? QStringLiteral("必要なファイル")
                          : displayName.isEmpty()            ? relativeName
                                                             : displayName;
    for (;;) {
        if (QString r = searchOnce(relativeName); !r.isEmpty()) return r;
        if (relativeName.isEmpty()) return {};
        const bool again =
            OnCDNotFound ? OnCDNotFound(shown)
                         : MessageBox(platform::format(ExpandOrKeep(QStringLiteral("$(SysMsgCDNotFound)")),
                                                       shown),
                                      {mbYes, mbCancel}, 0, 1) != mbCancel;
        if (!again) return {};
    }
}
