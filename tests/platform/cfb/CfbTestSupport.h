#pragma once
// Helpers shared by the compound file tests.

#include "platform/cfb/CompoundFile.h"

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <random>

namespace cfbtest {

// `n` pseudo-random bytes, the same for the same seed.
inline QByteArray pattern(qsizetype n, uint32_t seed) {
    QByteArray b(n, Qt::Uninitialized);
    std::mt19937 rng(seed);
    for (qsizetype i = 0; i < n; ++i) b[i] = char(rng());
    return b;
}

// Reads every element of the storage and below; returns normally only when nothing
// is wrong.
inline void readEverything(const platform::cfb::Storage& s) {
    for (const platform::cfb::ElementInfo& e : s.children()) {
        if (e.isStorage())
            readEverything(s.openStorage(e.name));
        else
            s.openStream(e.name).readAll();
    }
}

struct ProcessResult {
    int code = -1;  // -1: did not start, crashed or timed out
    QByteArray out;
    QByteArray err;
};

inline ProcessResult runProcess(const QString& program, const QStringList& args,
                                const QByteArray& input = {}) {
    QProcess p;
    p.start(program, args);
    ProcessResult r;
    if (!p.waitForStarted(30000)) return r;
    if (!input.isEmpty()) p.write(input);
    p.closeWriteChannel();
    if (!p.waitForFinished(120000)) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

}  // namespace cfbtest
