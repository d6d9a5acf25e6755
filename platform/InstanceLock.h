#pragma once
// A lock held for the life of its owner that at most one process can hold at a time:
// flock() on a lock file in the runtime folder, named after the given identifier.
// The kernel releases it when the process ends, however it ends.

#include <QString>
#include <memory>

namespace platform {

class InstanceLock {
public:
    // Returns the lock, or null when another process holds it (or the file cannot be made).
    static std::unique_ptr<InstanceLock> tryAcquire(const QString& name);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    const QString& path() const { return path_; }

    // The lock file used for `name` (characters unsafe in file names are replaced).
    static QString lockFilePath(const QString& name);

private:
    InstanceLock(int fd, QString path) : fd_(fd), path_(std::move(path)) {}
    int fd_;
    QString path_;
};

}  // namespace platform
