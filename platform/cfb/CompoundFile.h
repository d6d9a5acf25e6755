#pragma once
// Compound files (the Compound File Binary format, version 3 with 512-byte sectors and
// version 4 with 4096-byte sectors): one file holding a tree of named storages
// (folders) and streams (byte sequences).
//
//     auto file = CompoundFile::create(path);
//     Storage sheets = file->root().createStorage(QStringLiteral("Sheets"));
//     Stream s = sheets.createStream(QStringLiteral("写真データ"));
//     s.write(0, bytes.data(), bytes.size());
//     file->flush();
//
// Changes are made in place: stream bytes go to the file as they are written, and
// flush() (also run when the CompoundFile is destroyed) writes the directory and the
// allocation tables. A file that was changed is only consistent on disk after flush().
// Sectors freed by deletions and shrinking are reused; the file never shrinks.
//
// Names: at most 31 UTF-16 units, not empty, none of / \ : ! (CfbInvalidName
// otherwise). Lookups ignore case (per UTF-16 unit, without locale). A storage lists
// its children in the format's name order: shorter names first, names of equal
// length by their upper-cased UTF-16 units. That is the in-order of the directory
// tree, so the order is the same for every reader of the file.
//
// Handles (Storage, Stream) are small values that refer to an element of an open
// file. They stay usable while the CompoundFile lives; after the element is removed,
// or the file is closed, their calls raise CfbInvalidOperation. The file is not safe
// for use from several threads at once.
//
// Errors are the exceptions of CfbError.h; a file that breaks the format raises
// CfbCorrupt when opened or when the broken part is reached, never loops or reads
// outside the file.

#include "platform/cfb/CfbError.h"
#include "platform/cfb/OpenMode.h"

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace platform::cfb {

class Engine;

using Clsid = std::array<uint8_t, 16>;

enum class ElementType { Storage, Stream, Root };

// What stat() and children() report about an element.
struct ElementInfo {
    QString name;
    ElementType type = ElementType::Stream;
    uint64_t size = 0;  // streams: bytes; storages: 0
    Clsid clsid{};      // storages
    uint32_t stateBits = 0;
    uint64_t createdTime = 0;  // FILETIME (100 ns since 1601), 0 when not kept
    uint64_t modifiedTime = 0;

    bool isStorage() const { return type != ElementType::Stream; }
};

class Stream {
public:
    ElementInfo stat() const;
    QString name() const;
    uint64_t size() const;

    // Copies up to `n` bytes starting at `offset` into `buf`; returns how many were
    // there (fewer at the end of the stream, 0 at or past it).
    size_t read(uint64_t offset, void* buf, size_t n) const;
    QByteArray readAll() const;
    // Writes `n` bytes at `offset`, growing the stream when they reach past its end
    // (a gap between the old end and `offset` reads as zeros).
    void write(uint64_t offset, const void* buf, size_t n);
    void write(uint64_t offset, const QByteArray& bytes) {
        write(offset, bytes.constData(), size_t(bytes.size()));
    }
    // Grows the stream with zero bytes or cuts it.
    void setSize(uint64_t size);

private:
    friend class Storage;
    Stream(std::shared_ptr<Engine> engine, uint32_t index);
    uint32_t checked(bool forWriting) const;
    std::shared_ptr<Engine> engine_;
    uint32_t index_;
    uint32_t generation_;
};

class Storage {
public:
    ElementInfo stat() const;
    QString name() const;

    // The children in name order (see above).
    std::vector<ElementInfo> children() const;
    // The child called `name` (any case), if there is one.
    std::optional<ElementInfo> find(const QString& name) const;
    bool containsStream(const QString& name) const;
    bool containsStorage(const QString& name) const;

    // Raise CfbNotFound when there is no stream (storage) of that name.
    Stream openStream(const QString& name) const;
    Storage openStorage(const QString& name) const;
    // Creates the stream, or empties the stream of that name when there is one.
    // Raises CfbExists when a storage has the name.
    Stream createStream(const QString& name);
    // Creates the storage; raises CfbExists when the name is taken.
    Storage createStorage(const QString& name);
    // Opens the storage of that name, creating it when missing.
    Storage openOrCreateStorage(const QString& name);

    // Removes the child, with everything below it for a storage. CfbNotFound when
    // there is no such child.
    void remove(const QString& name);
    // Renames a child (a change of case only is allowed). CfbNotFound, CfbExists.
    void rename(const QString& oldName, const QString& newName);
    // Moves a child into `target` (which may be this storage), named `newName` there
    // (empty: keep the name). A storage cannot move into itself or below itself.
    void moveTo(const QString& name, const Storage& target, const QString& newName = {});

    void setClsid(const Clsid& clsid);
    void setStateBits(uint32_t bits);

private:
    friend class CompoundFile;
    Storage(std::shared_ptr<Engine> engine, uint32_t index);
    uint32_t checked(bool forWriting) const;
    uint32_t childIndex(const QString& name, bool storage) const;
    std::shared_ptr<Engine> engine_;
    uint32_t index_;
    uint32_t generation_;
};

class CompoundFile {
public:
    // Opens an existing file (see OpenMode.h for sharing). Raises CfbIoError when it
    // cannot be opened, CfbLocked when another holder's sharing forbids it,
    // CfbCorrupt when it is not a valid compound file. For ReadWrite every chain is
    // checked as well: a broken one, or a sector that two owners claim, raises
    // CfbCorrupt, since changing such a file would damage what still reads (it may
    // still be opened for reading).
    static std::unique_ptr<CompoundFile> open(const QString& path, Access access,
                                              Share share = Share::Exclusive);
    // Creates the file, or empties an existing one, and opens it read-write and
    // exclusively. `version` 3 (512-byte sectors) or 4 (4096-byte sectors).
    static std::unique_ptr<CompoundFile> create(const QString& path, int version = 3);

    // Flushes a writable file (errors are swallowed here: call close() to see them).
    ~CompoundFile();
    CompoundFile(const CompoundFile&) = delete;
    CompoundFile& operator=(const CompoundFile&) = delete;

    Storage root() const;
    bool writable() const;
    int version() const;
    const QString& path() const;

    // Grows with every change made through this object (stream bytes, sizes, elements,
    // class ids, state bits); equal counts mean nothing was changed in between.
    uint64_t changeCount() const;

    // Writes the directory and allocation tables when something changed.
    void flush();
    // flush(), then asks the system to put the file's data on disk.
    void sync();
    // flush(), then releases the file and its lock; handles stop working.
    void close();

private:
    explicit CompoundFile(std::shared_ptr<Engine> engine);
    std::shared_ptr<Engine> engine_;
};

}  // namespace platform::cfb
