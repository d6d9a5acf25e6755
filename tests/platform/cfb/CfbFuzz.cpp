// Fuzz target for the compound file engine: the input is a file's bytes. The file is
// opened read-only and every element read, then opened read-write, changed, flushed
// and read again. Only the engine's own errors may come out; anything else (a crash,
// a sanitizer report, another exception, a hang) is a finding.
#include "platform/cfb/CompoundFile.h"

#include <QString>

#include <sys/mman.h>
#include <unistd.h>
#include <cstdint>
#include <cstdio>
#include <string>

using namespace platform::cfb;

namespace {

void readAll(const Storage& s, int depth) {
    for (const ElementInfo& e : s.children()) {
        if (e.isStorage()) {
            if (depth < 64) readAll(s.openStorage(e.name), depth + 1);
        } else {
            Stream st = s.openStream(e.name);
            char buf[4096];
            for (uint64_t off = 0; off < st.size(); off += sizeof buf)
                st.read(off, buf, sizeof buf);
        }
    }
}

void change(CompoundFile& f) {
    Storage root = f.root();
    const auto children = root.children();
    if (!children.empty()) {
        const ElementInfo& first = children.front();
        if (first.type == ElementType::Stream) {
            Stream s = root.openStream(first.name);
            s.write(s.size() / 2, "fuzz", 4);
            s.setSize(s.size() < 4096 ? 5000 : 100);
        }
        root.remove(children.back().name);
    }
    root.createStorage(QStringLiteral("fuzz-new"))
        .createStream(QStringLiteral("s"))
        .write(0, "x", 1);
    f.flush();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const int fd = memfd_create("cfb-fuzz", 0);
    if (fd < 0) return 0;
    if (ftruncate(fd, 0) != 0 || pwrite(fd, data, size, 0) != ssize_t(size)) return 0;
    const QString path = QString::fromStdString("/proc/self/fd/" + std::to_string(fd));
    try {
        auto f = CompoundFile::open(path, Access::Read, Share::DenyWrite);
        readAll(f->root(), 0);
    } catch (const CfbError&) {
        return 0;  // rejected cleanly; the writable pass would see the same
    }
    try {
        auto f = CompoundFile::open(path, Access::ReadWrite);
        change(*f);
        f->close();
        auto again = CompoundFile::open(path, Access::Read);
        readAll(again->root(), 0);
    } catch (const CfbError&) {
    }
    return 0;
}
