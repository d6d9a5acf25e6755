// corvane-tool cfb: looks into and changes compound files.
//   ls FILE                 every element, depth first in enumeration order:
//                           "D path" for storages, "S path size" for streams
//   cat FILE PATH           the stream's bytes to standard output
//   put FILE PATH SRCFILE   creates or replaces the stream with the file's bytes,
//                           creating FILE and missing storages on the way
//   mkdir FILE PATH         creates the storage (and missing ones above it)
//   rm FILE PATH            removes the element (storages with their content)
//   mv FILE FROM TO         moves or renames; TO naming a storage moves into it
// Paths are names joined with "\" ("/" is accepted too); errors print the engine's
// message and exit 1, usage errors exit 2.
#include "platform/cfb/CompoundFile.h"
#include "tools/corvane-tool/CommandTable.h"
#include "tools/corvane-tool/Tool.h"

#include <QFile>
#include <QFileInfo>
#include <cstdio>

using namespace platform::cfb;

namespace {

QStringList splitPath(const QString& path) {
    QStringList parts;
    for (const QString& p : QString(path).replace(u'/', u'\\').split(u'\\', Qt::SkipEmptyParts))
        parts << p;
    return parts;
}

// The storage that holds the last segment of `parts` (created when `create`).
Storage parentOf(const Storage& root, const QStringList& parts, bool create) {
    Storage s = root;
    for (qsizetype i = 0; i + 1 < parts.size(); ++i)
        s = create ? s.openOrCreateStorage(parts[i]) : s.openStorage(parts[i]);
    return s;
}

void list(const Storage& s, const QString& prefix) {
    for (const ElementInfo& e : s.children()) {
        const QString path = prefix.isEmpty() ? e.name : prefix + u'\\' + e.name;
        if (e.isStorage()) {
            out(QStringLiteral("D ") + path);
            list(s.openStorage(e.name), path);
        } else {
            out(QStringLiteral("S %1 %2").arg(path).arg(e.size));
        }
    }
}

std::unique_ptr<CompoundFile> openForChange(const QString& file) {
    if (!QFileInfo::exists(file)) return CompoundFile::create(file);
    return CompoundFile::open(file, Access::ReadWrite);
}

int cat(const QString& file, const QString& path) {
    const QStringList parts = splitPath(path);
    auto f = CompoundFile::open(file, Access::Read, Share::DenyWrite);
    const Stream s = parentOf(f->root(), parts, false).openStream(parts.back());
    std::vector<char> buf(1 << 20);
    for (uint64_t off = 0;;) {
        const size_t n = s.read(off, buf.data(), buf.size());
        if (n == 0) break;
        if (std::fwrite(buf.data(), 1, n, stdout) != n) return 1;
        off += n;
    }
    std::fflush(stdout);
    return 0;
}

int put(const QString& file, const QString& path, const QString& source) {
    const QStringList parts = splitPath(path);
    QFile src(source);
    if (!src.open(QIODevice::ReadOnly)) {
        err(QStringLiteral("ファイル「%1」を読めません").arg(source));
        return 1;
    }
    auto f = openForChange(file);
    Stream s = parentOf(f->root(), parts, true).createStream(parts.back());
    uint64_t off = 0;
    while (!src.atEnd()) {
        const QByteArray chunk = src.read(1 << 20);
        if (chunk.isEmpty()) break;
        s.write(off, chunk);
        off += uint64_t(chunk.size());
    }
    f->close();
    return 0;
}

int mkdir(const QString& file, const QString& path) {
    const QStringList parts = splitPath(path);
    auto f = openForChange(file);
    parentOf(f->root(), parts, true).createStorage(parts.back());
    f->close();
    return 0;
}

int rm(const QString& file, const QString& path) {
    const QStringList parts = splitPath(path);
    auto f = CompoundFile::open(file, Access::ReadWrite);
    parentOf(f->root(), parts, false).remove(parts.back());
    f->close();
    return 0;
}

int mv(const QString& file, const QString& from, const QString& to) {
    const QStringList src = splitPath(from);
    const QStringList dst = splitPath(to);
    auto f = CompoundFile::open(file, Access::ReadWrite);
    Storage root = f->root();
    Storage srcParent = parentOf(root, src, false);
    // Into an existing storage keeping the name, or to a new path.
    Storage target = root;
    QString name = src.back();
    if (!dst.isEmpty()) {
        Storage dstParent = parentOf(root, dst, false);
        if (dstParent.containsStorage(dst.back())) {
            target = dstParent.openStorage(dst.back());
        } else {
            target = dstParent;
            name = dst.back();
        }
    }
    srcParent.moveTo(src.back(), target, name);
    f->close();
    return 0;
}

}  // namespace

int runCfb(const ToolCommand& command, const QStringList& args) {
    const auto plain = plainArguments(command, args);
    if (!plain || plain->isEmpty()) return usageError(command);
    const QStringList& words = *plain;
    const QString cmd = words.front();
    const qsizetype n = words.size();
    // Every verb but ls names an element in its second word.
    if (n >= 3 && splitPath(words[2]).isEmpty()) return usageError(command);
    try {
        if (cmd == u"ls" && n == 2) {
            auto f = CompoundFile::open(words[1], Access::Read, Share::DenyWrite);
            list(f->root(), {});
            return 0;
        }
        if (cmd == u"cat" && n == 3) return cat(words[1], words[2]);
        if (cmd == u"put" && n == 4) return put(words[1], words[2], words[3]);
        if (cmd == u"mkdir" && n == 3) return mkdir(words[1], words[2]);
        if (cmd == u"rm" && n == 3) return rm(words[1], words[2]);
        if (cmd == u"mv" && n == 4) return mv(words[1], words[2], words[3]);
    } catch (const CfbError& e) {
        err(e.message());
        return 1;
    }
    return usageError(command);
}
