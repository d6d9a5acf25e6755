#pragma once
// Internal: the state of one open compound file, shared by the handles of the public
// API (CompoundFile.h). Elements are addressed by directory index; the handles check
// the node's generation before every call so that a removed element is noticed.
//
// Stream data is written to the file as it is changed; the directory, the mini FAT,
// the FAT, the DIFAT and the header are kept in memory and written by flush().

#include "platform/cfb/AllocationTable.h"
#include "platform/cfb/Directory.h"
#include "platform/cfb/Header.h"
#include "platform/cfb/OpenMode.h"
#include "platform/cfb/RawFile.h"

#include <memory>
#include <vector>

namespace platform::cfb {

class Engine {
public:
    static std::shared_ptr<Engine> open(const QString& path, Access access, Share share);
    static std::shared_ptr<Engine> create(const QString& path, int version);
    ~Engine();

    bool writable() const { return writable_; }
    bool closed() const { return !file_; }
    uint16_t version() const { return header_.majorVersion; }
    const QString& path() const { return path_; }
    Directory& directory() { return dir_; }

    // Raises CfbInvalidOperation when the file was closed; CfbAccessDenied as well
    // when it is not writable and `forWriting`.
    void check(bool forWriting) const;

    // The stream's size once its chain is known to hold it, so that callers may allocate
    // it; a size the chain cannot hold raises the corrupt-file error.
    uint64_t streamSize(uint32_t index);
    // Stream data. Reads stop at the end of the stream and return the bytes read.
    size_t read(uint32_t index, uint64_t offset, void* buf, size_t n);
    void write(uint32_t index, uint64_t offset, const void* buf, size_t n);
    // Grows (with zero bytes) or shrinks the stream.
    void resize(uint32_t index, uint64_t size);
    // Sets the size, keeping the bytes below both sizes; grown bytes are undefined.
    void resizeKeepingData(uint32_t index, uint64_t size);

    // Elements. Names are checked by the callers.
    uint32_t addElement(uint32_t parent, const QString& name, EntryType type);
    // Removes the element, its data and (for storages) everything below it.
    void removeElement(uint32_t index);
    void moveElement(uint32_t index, uint32_t newParent, const QString& newName);
    void markDirty() { dirty_ = true; }
    // Counts every change of content or metadata since the file was opened.
    uint64_t changeCount() const { return changes_; }
    void noteChange() { ++changes_; }

    // Writes the metadata when anything changed since the last flush.
    void flush();
    // Flushes (when writable and `flushFirst`), then releases the file and its lock.
    void close(bool flushFirst);
    // flush(), then fdatasync().
    void sync();

private:
    Engine() = default;
    void load();
    void initEmpty(int version);

    uint32_t sectorSize() const { return header_.sectorSize(); }
    uint64_t sectorOffset(uint32_t sector) const {
        return (uint64_t(sector) + 1) << header_.sectorShift;
    }
    bool isMini(const DirectoryNode& node) const {
        return node.entry.type == EntryType::Stream && node.entry.size < kMiniCutoff;
    }
    static constexpr uint64_t kMiniCutoff = 4096;

    // Owners of chains, for messages: a directory index (the root's chain is the mini
    // stream) or one of these.
    static constexpr uint32_t kDirectoryChain = 0xFFFFFFF0;
    static constexpr uint32_t kMiniFatChain = 0xFFFFFFF1;
    static constexpr uint32_t kFatList = 0xFFFFFFF2;
    static constexpr uint32_t kDifatList = 0xFFFFFFF3;
    QString chainName(uint32_t owner) const;

    // Raises CfbCorrupt when changing the file could damage what reads well: a stream
    // whose chain is broken, a sector or mini sector claimed twice (by two chains, by
    // the FAT list twice, by a FAT sector that also holds data), a FAT or DIFAT sector
    // the FAT does not mark as such. Every chain is walked once (and cached); the claims
    // are kept in a bit per sector.
    void checkOwnership();
    // Calls `visit(owner, unit, mini)` for every sector of the DIFAT and FAT lists and
    // every unit of every chain, until it returns false. Defined (and used) in
    // Ownership.cpp only.
    template <class Visit>
    void forEachClaim(const Visit& visit);

    // Chains (cached in the nodes).
    const std::vector<uint32_t>& chainOf(uint32_t index);
    const std::vector<uint32_t>& miniStreamChain() { return chainOf(0); }
    std::vector<uint32_t> loadChain(uint32_t start, const QString& what);
    void resizeChain(uint32_t index, uint64_t units);
    void resizeRegularChain(std::vector<uint32_t>& chain, uint32_t& start, uint64_t units);
    void ensureMiniStream(uint32_t miniUnits);

    // Moves bytes between `buf` and the units of `chain`, one system call per run
    // of units that are contiguous in the file.
    void transfer(const std::vector<uint32_t>& chain, bool mini, uint64_t offset, uint8_t* buf,
                  size_t n, bool toFile);
    void zeroFill(uint32_t index, uint64_t from, uint64_t to);
    void readRaw(uint64_t offset, uint8_t* buf, size_t n);

    std::vector<uint8_t> readSectors(const std::vector<uint32_t>& sectors);
    void writeSectors(const std::vector<uint32_t>& sectors, const std::vector<uint8_t>& bytes);
    void placeFatSectors();

    QString path_;
    std::unique_ptr<RawFile> file_;
    bool writable_ = false;
    bool dirty_ = false;
    uint64_t changes_ = 0;
    Header header_;
    AllocationTable fat_;
    AllocationTable miniFat_;
    std::vector<uint32_t> fatSectors_;
    std::vector<uint32_t> difatSectors_;
    std::vector<uint32_t> dirChain_;
    std::vector<uint32_t> miniFatChain_;
    Directory dir_;
};

}  // namespace platform::cfb
