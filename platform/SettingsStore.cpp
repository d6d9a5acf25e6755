#include "platform/SettingsStore.h"

#include "platform/AtomicFile.h"
#include "platform/Exception.h"
#include "platform/Format.h"
#include "platform/UserFolders.h"

#include <QFile>
#include <QFileInfo>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace platform {

struct SettingsStore::Node {
    QString name;
    std::vector<std::pair<QString, QString>> values;
    std::vector<std::unique_ptr<Node>> children;

    Node* child(const QString& n) const {
        for (const auto& c : children)
            if (c->name.compare(n, Qt::CaseInsensitive) == 0) return c.get();
        return nullptr;
    }
    Node* childOrNew(const QString& n) {
        if (Node* c = child(n)) return c;
        children.push_back(std::make_unique<Node>());
        children.back()->name = n;
        return children.back().get();
    }
    const QString* value(const QString& n) const {
        for (const auto& [k, v] : values)
            if (k.compare(n, Qt::CaseInsensitive) == 0) return &v;
        return nullptr;
    }
};

namespace {

using Node = SettingsStore::Node;

QStringList segments(const QString& key) { return key.split(u'\\', Qt::SkipEmptyParts); }

// Percent-escapes '%', line breaks and the characters in `extra`.
QString escape(const QString& s, QStringView extra) {
    QString out;
    for (QChar c : s) {
        if (c == u'%' || c == u'\n' || c == u'\r' || extra.contains(c))
            out += u'%' + QStringLiteral("%1").arg(c.unicode(), 2, 16, QChar(u'0')).toUpper();
        else
            out += c;
    }
    return out;
}

QString unescape(QStringView s) {
    QString out;
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i] == u'%' && i + 2 < s.size()) {
            bool ok = false;
            const int code = s.mid(i + 1, 2).toInt(&ok, 16);
            if (ok) {
                out += QChar(code);
                i += 2;
                continue;
            }
        }
        out += s[i];
    }
    return out;
}

void serialise(const Node& n, const QString& path, QString& out) {
    // A key gets a header when it holds values or is a leaf (so empty keys persist).
    if (!path.isEmpty() && (!n.values.empty() || n.children.empty())) {
        out += u'[' + path + QStringLiteral("]\n");
        for (const auto& [k, v] : n.values)
            out += escape(k, u"=[#;") + u'=' + escape(v, u"") + u'\n';
    }
    for (const auto& c : n.children)
        serialise(*c, path.isEmpty() ? escape(c->name, u"]\\")
                                     : path + u'\\' + escape(c->name, u"]\\"),
                  out);
}

std::unique_ptr<Node> parse(const QByteArray& bytes) {
    auto root = std::make_unique<Node>();
    Node* current = nullptr;
    const QString text = QString::fromUtf8(bytes);
    for (QStringView line : QStringView(text).split(u'\n')) {
        if (line.endsWith(u'\r')) line.chop(1);
        if (line.isEmpty() || line.startsWith(u'#') || line.startsWith(u';')) continue;
        if (line.startsWith(u'[') && line.endsWith(u']')) {
            current = root.get();
            for (QStringView seg : line.mid(1, line.size() - 2).split(u'\\', Qt::SkipEmptyParts))
                current = current->childOrNew(unescape(seg));
            if (current == root.get()) current = nullptr;
            continue;
        }
        const qsizetype eq = line.indexOf(u'=');
        if (!current || eq < 0) continue;
        const QString name = unescape(line.left(eq));
        const QString value = unescape(line.mid(eq + 1));
        bool replaced = false;
        for (auto& [k, v] : current->values)
            if (k.compare(name, Qt::CaseInsensitive) == 0) {
                v = value;
                replaced = true;
            }
        if (!replaced) current->values.emplace_back(name, value);
    }
    return root;
}

const Node* find(const Node* root, const QString& key) {
    const Node* n = root;
    for (const QString& s : segments(key)) {
        n = n->child(s);
        if (!n) return nullptr;
    }
    return n;
}

Node* findOrCreate(Node* root, const QString& key) {
    Node* n = root;
    for (const QString& s : segments(key)) n = n->childOrNew(s);
    return n;
}

void dumpNode(const Node& n, const QString& path, QStringList& out) {
    for (const auto& [k, v] : n.values) out << path + u'\\' + k + u'=' + v;
    for (const auto& c : n.children) dumpNode(*c, path.isEmpty() ? c->name : path + u'\\' + c->name, out);
}

// An exclusive flock on "<file>.lock" for the duration of one change.
class FileLock {
public:
    explicit FileLock(const QString& path)
        : fd_(::open(QFile::encodeName(path + QStringLiteral(".lock")).constData(),
                     O_RDWR | O_CREAT | O_CLOEXEC, 0600)) {
        if (fd_ >= 0) ::flock(fd_, LOCK_EX);
    }
    ~FileLock() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

private:
    int fd_;
};

}  // namespace

SettingsStore::SettingsStore(QString filePath)
    : path_(std::move(filePath)), root_(std::make_unique<Node>()) {}

SettingsStore::~SettingsStore() = default;

void SettingsStore::refresh() const {
    struct stat st {};
    Stamp now;
    if (::stat(QFile::encodeName(path_).constData(), &st) == 0)
        now = {st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec, (long long)st.st_size,
               (long long)st.st_ino};
    if (now == stamp_) return;
    QFile f(path_);
    root_ = f.open(QIODevice::ReadOnly) ? parse(f.readAll()) : std::make_unique<Node>();
    stamp_ = now;
}

template <class F>
void SettingsStore::modify(F&& change) {
    const QString folder = QFileInfo(path_).path();
    if (!makePrivateFolder(folder))
        throw Exception(format(QStringLiteral("設定ファイル「%s」を作成できません"), path_));
    FileLock lock(path_);
    stamp_ = {};
    refresh();
    change(*root_);
    QString text = QStringLiteral("# Vellumo settings\n");
    serialise(*root_, QString(), text);
    QString why;
    if (!writeFileAtomically(path_, text.toUtf8(), &why)) {
        stamp_ = {};  // re-read what is really on disk next time
        throw Exception(format(QStringLiteral("設定ファイル「%s」に書き込めません: %s"), path_, why));
    }
    stamp_ = {};
}

bool SettingsStore::keyExists(const QString& key) const {
    refresh();
    return find(root_.get(), key) != nullptr;
}

std::optional<QString> SettingsStore::readString(const QString& key, const QString& name) const {
    refresh();
    const Node* n = find(root_.get(), key);
    if (!n) return std::nullopt;
    if (const QString* v = n->value(name)) return *v;
    return std::nullopt;
}

QStringList SettingsStore::valueNames(const QString& key) const {
    refresh();
    QStringList out;
    if (const Node* n = find(root_.get(), key))
        for (const auto& [k, v] : n->values) out << k;
    return out;
}

QStringList SettingsStore::subKeys(const QString& key) const {
    refresh();
    QStringList out;
    if (const Node* n = find(root_.get(), key))
        for (const auto& c : n->children) out << c->name;
    return out;
}

void SettingsStore::writeString(const QString& key, const QString& name, const QString& value) {
    modify([&](Node& root) {
        Node* n = findOrCreate(&root, key);
        for (auto& [k, v] : n->values)
            if (k.compare(name, Qt::CaseInsensitive) == 0) {
                v = value;
                return;
            }
        n->values.emplace_back(name, value);
    });
}

void SettingsStore::createKey(const QString& key) {
    modify([&](Node& root) { findOrCreate(&root, key); });
}

void SettingsStore::deleteValue(const QString& key, const QString& name) {
    modify([&](Node& root) {
        if (Node* n = const_cast<Node*>(find(&root, key)))
            std::erase_if(n->values, [&](const auto& kv) {
                return kv.first.compare(name, Qt::CaseInsensitive) == 0;
            });
    });
}

void SettingsStore::deleteKey(const QString& key) {
    QStringList segs = segments(key);
    if (segs.isEmpty()) return;
    const QString leaf = segs.takeLast();
    modify([&](Node& root) {
        if (Node* parent = const_cast<Node*>(find(&root, segs.join(u'\\'))))
            std::erase_if(parent->children, [&](const auto& c) {
                return c->name.compare(leaf, Qt::CaseInsensitive) == 0;
            });
    });
}

QStringList SettingsStore::dump() const {
    refresh();
    QStringList out;
    dumpNode(*root_, QString(), out);
    return out;
}

}  // namespace platform
