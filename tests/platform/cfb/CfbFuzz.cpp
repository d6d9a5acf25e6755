// Fuzz target for the compound file engine: the input is a file's bytes. Only the
// engine's own errors may come out; anything else (a crash, a sanitizer report, another
// exception, a hang) is a finding. Besides, a write must not damage what was readable:
//   - the file is opened read-only and every element read;
//   - when that reading met damage, opening for writing must be refused;
//   - when it succeeded, the file is opened for writing (or refused as corrupt), changed
//     and closed, then opened again: it must open, and every element must read back as
//     the reading before and the changes made predict. A break of that promise aborts.
#include "platform/cfb/CompoundFile.h"

#include <QString>

#include <sys/mman.h>
#include <unistd.h>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

using namespace platform::cfb;

namespace {

// Every element by path ("\" between names); storages hold no bytes.
struct Element {
    bool storage = false;
    QByteArray bytes;
    bool operator==(const Element&) const = default;
};
using Contents = std::map<QString, Element>;

void readAll(const Storage& s, const QString& prefix, int depth, Contents& out) {
    for (const ElementInfo& e : s.children()) {
        const QString path = prefix + u'\\' + e.name;
        if (e.isStorage()) {
            out[path] = Element{true, {}};
            if (depth < 64) readAll(s.openStorage(e.name), path, depth + 1, out);
        } else {
            out[path] = Element{false, s.openStream(e.name).readAll()};
        }
    }
}

Contents contentsOf(const CompoundFile& f) {
    Contents c;
    readAll(f.root(), QString(), 0, c);
    return c;
}

void forget(Contents& c, const QString& path) {
    c.erase(path);
    const QString below = path + u'\\';
    for (auto it = c.lower_bound(below); it != c.end() && it->first.startsWith(below);)
        it = c.erase(it);
}

[[noreturn]] void finding(const char* what, const QString& detail = {}) {
    std::fprintf(stderr, "cfb_fuzz: %s %s\n", what, detail.toUtf8().constData());
    std::abort();
}

// Changes the file the way the tool's commands do and records the changes in `model`.
void change(CompoundFile& f, Contents& model) {
    Storage root = f.root();
    const auto children = root.children();
    if (!children.empty()) {
        const ElementInfo& first = children.front();
        if (first.type == ElementType::Stream) {
            Stream s = root.openStream(first.name);
            QByteArray& bytes = model[u'\\' + first.name].bytes;
            const uint64_t at = s.size() / 2;
            s.write(at, "fuzz", 4);
            bytes.replace(qsizetype(at), 4, "fuzz", 4);
            const uint64_t size = s.size() < 4096 ? 5000 : 100;
            s.setSize(size);
            bytes.resize(qsizetype(size), '\0');
        }
        if (children.size() > 1) {
            root.remove(children.back().name);
            forget(model, u'\\' + children.back().name);
        }
    }
    for (const QString& name : {QStringLiteral("fuzz-new"), QStringLiteral("fuzz-big")})
        if (root.find(name)) {
            root.remove(name);
            forget(model, u'\\' + name);
        }
    root.createStorage(QStringLiteral("fuzz-new"))
        .createStream(QStringLiteral("s"))
        .write(0, "x", 1);
    model[QStringLiteral("\\fuzz-new")] = Element{true, {}};
    model[QStringLiteral("\\fuzz-new\\s")] = Element{false, QByteArray("x")};
    // Large enough to take new sectors and, in small files, grow the FAT.
    QByteArray big(70000, Qt::Uninitialized);
    for (qsizetype i = 0; i < big.size(); ++i) big[i] = char(i * 7 + i / 251);
    root.createStream(QStringLiteral("fuzz-big")).write(0, big);
    model[QStringLiteral("\\fuzz-big")] = Element{false, big};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const int fd = memfd_create("cfb-fuzz", 0);
    if (fd < 0) return 0;
    if (ftruncate(fd, 0) != 0 || pwrite(fd, data, size, 0) != ssize_t(size)) return 0;
    const QString path = QString::fromStdString("/proc/self/fd/" + std::to_string(fd));
    Contents model;
    bool damaged = false;
    try {
        auto f = CompoundFile::open(path, Access::Read, Share::DenyWrite);
        model = contentsOf(*f);
    } catch (const CfbCorrupt&) {
        damaged = true;
    } catch (const CfbError&) {
        return 0;  // refused for another reason (a name the engine does not take, ...)
    }
    std::unique_ptr<CompoundFile> f;
    try {
        f = CompoundFile::open(path, Access::ReadWrite);
    } catch (const CfbCorrupt&) {
        return 0;  // refused for writing: nothing was changed
    }
    if (damaged) finding("opened for writing although reading met damage");
    try {
        change(*f, model);
        f->close();
    } catch (const CfbError& e) {
        finding("write failed:", e.message());
    }
    try {
        auto again = CompoundFile::open(path, Access::Read);
        if (contentsOf(*again) != model) finding("contents differ after the write");
    } catch (const CfbError& e) {
        finding("unreadable after the write:", e.message());
    }
    return 0;
}
