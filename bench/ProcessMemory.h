#pragma once
// The process's resident memory as the kernel reports it, for benchmarks with memory goals.

#include <QByteArray>
#include <QFile>
#include <QList>

namespace bench {

// A size field of /proc/self/status ("VmRSS:", "VmHWM:") in megabytes; 0 when unreadable.
inline double statusMegabytes(const char* key) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(qsizetype(qstrlen(key))).trimmed().split(' ').front().toDouble() / 1024;
    return 0;
}

// Lets the peak resident size ("VmHWM:") start again from the present one.
inline void resetPeak() {
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly)) clear.write("5");
}

}  // namespace bench
