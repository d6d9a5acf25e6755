#pragma once
// A scratch folder for one test, removed with everything in it when the test ends.

#include <QByteArray>
#include <QString>

#include "tests/support/QtPrinters.h"

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const QString& path() const { return path_; }
    QString file(const QString& name) const { return path_ + u'/' + name; }
    // Writes `content` to `name` (creating folders) and returns the full path.
    QString write(const QString& name, const QByteArray& content) const;

private:
    QString path_;
};

// Sets an environment variable for the life of the object, then restores it.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const QString& value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    QByteArray name_;
    QByteArray old_;
    bool had_;
};
