#pragma once
// The per-user settings store: a tree of keys, each holding named string values, kept in
// one UTF-8 file. Key paths use "\" between segments ("Software\Tolvarin\...\Settings");
// key and value names compare without regard to case and keep the case they were created
// with; values and subkeys keep their order of creation.
//
// Every operation sees the file's current content (it is re-read when it changed on disk),
// and every change is a locked read-modify-write that replaces the file atomically, so the
// program and corvane-tool can share the store. A missing or unreadable file reads as empty.

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

namespace platform {

class SettingsStore {
public:
    explicit SettingsStore(QString filePath);
    ~SettingsStore();
    SettingsStore(const SettingsStore&) = delete;
    SettingsStore& operator=(const SettingsStore&) = delete;

    const QString& filePath() const { return path_; }

    bool keyExists(const QString& key) const;
    std::optional<QString> readString(const QString& key, const QString& name) const;
    QStringList valueNames(const QString& key) const;
    QStringList subKeys(const QString& key) const;

    // The changes create the key and its parents when they are missing; they raise
    // `Exception` when the file cannot be written (the file is then unchanged).
    void writeString(const QString& key, const QString& name, const QString& value);
    void createKey(const QString& key);
    void deleteValue(const QString& key, const QString& name);
    void deleteKey(const QString& key);  // with all its subkeys

    // Every value as "key\name=value" lines, for listing.
    QStringList dump() const;

    struct Node;

private:
    void refresh() const;
    template <class F>
    void modify(F&& change);

    QString path_;
    mutable std::unique_ptr<Node> root_;
    mutable struct Stamp {
        long long mtimeNs = -1, size = -1, inode = -1;
        bool operator==(const Stamp&) const = default;
    } stamp_;
};

}  // namespace platform
