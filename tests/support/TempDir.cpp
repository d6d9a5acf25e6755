#include "tests/support/TempDir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdlib>
#include <stdexcept>

TempDir::TempDir() {
    const char* base = std::getenv("TMPDIR");
    QByteArray tmpl = QByteArray(base && *base ? base : "/tmp") + "/vellumo-test-XXXXXX";
    if (!::mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
    path_ = QFile::decodeName(tmpl);
}

TempDir::~TempDir() { QDir(path_).removeRecursively(); }

QString TempDir::write(const QString& name, const QByteArray& content) const {
    const QString p = file(name);
    QDir().mkpath(QFileInfo(p).path());
    QFile f(p);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(content) != content.size())
        throw std::runtime_error("cannot write test file");
    return p;
}

ScopedEnv::ScopedEnv(const char* name, const QString& value) : name_(name) {
    const char* old = std::getenv(name);
    had_ = old != nullptr;
    if (had_) old_ = old;
    ::setenv(name, value.toLocal8Bit().constData(), 1);
}

ScopedEnv::~ScopedEnv() {
    if (had_)
        ::setenv(name_.constData(), old_.constData(), 1);
    else
        ::unsetenv(name_.constData());
}
