#pragma once
// Component references that named a top-level component (see GlobalComponents.h)
// not existing when their stream was read. They are completed at the end of a later
// read once it exists, and dropped when the object holding the property is destroyed.

#include <QString>
#include <mutex>
#include <vector>

class TPersistent;
struct PropInfo;

class PendingReferences {
public:
    static PendingReferences& instance();

    void add(TPersistent* holder, const PropInfo* property, const QString& path);
    void dropHolder(TPersistent* holder);
    // Completes every reference whose top-level component now exists.
    void resolveAvailable();
    size_t size();

private:
    struct Entry {
        TPersistent* holder;
        const PropInfo* property;
        QString path;
    };
    std::mutex lock_;
    std::vector<Entry> entries_;
};
