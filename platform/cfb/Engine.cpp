#include "platform/cfb/Engine.h"

#include "platform/Format.h"
#include "platform/Messages.h"
#include "platform/cfb/CfbError.h"
#include "platform/cfb/Constants.h"
#include "platform/cfb/FileLock.h"

#include <QtEndian>
#include <algorithm>

namespace platform::cfb {

namespace {
uint32_t ceilDiv(uint64_t a, uint64_t b) {
    return uint32_t((a + b - 1) / b);
}
}  // namespace

std::shared_ptr<Engine> Engine::open(const QString& path, Access access, Share share) {
    std::shared_ptr<Engine> engine(new Engine);
    engine->path_ = path;
    engine->writable_ = access == Access::ReadWrite;
    engine->file_ = std::make_unique<RawFile>(path, engine->writable_, false);
    lockFile(engine->file_->fd(), path, access, share);
    engine->load();
    return engine;
}

std::shared_ptr<Engine> Engine::create(const QString& path, int version) {
    if (version != 3 && version != 4)
        throwInvalidOperation(
            format(QStringLiteral("バージョン %d の複合ファイルは作れません"), version));
    std::shared_ptr<Engine> engine(new Engine);
    engine->path_ = path;
    engine->writable_ = true;
    engine->file_ = std::make_unique<RawFile>(path, true, true);
    // Lock before truncating, so a file someone else holds is left alone.
    lockFile(engine->file_->fd(), path, Access::ReadWrite, Share::Exclusive);
    // Only a file with content is cut: truncating an empty one makes some file
    // systems (ext4's replace-by-truncate heuristic) write everything out at close.
    if (engine->file_->size() > 0) engine->file_->truncate(0);
    engine->initEmpty(version);
    engine->flush();
    return engine;
}

Engine::~Engine() {
    try {
        close(true);
    } catch (...) {
        // A destructor cannot report; callers that care flush() or close() first.
    }
}

void Engine::check(bool forWriting) const {
    if (!file_) throwInvalidOperation(QStringLiteral("複合ファイルは閉じられています"));
    if (forWriting && !writable_) throwReadOnly();
}

void Engine::close(bool flushFirst) {
    if (!file_) return;
    if (flushFirst && writable_) flush();
    file_.reset();
}

void Engine::sync() {
    flush();
    file_->sync();
}

void Engine::initEmpty(int version) {
    header_ = Header{};
    header_.majorVersion = uint16_t(version);
    header_.sectorShift = version == 3 ? 9 : 12;
    header_.firstDirectorySector = kEndOfChain;
    header_.firstMiniFatSector = kEndOfChain;
    header_.firstDifatSector = kEndOfChain;
    header_.difat.fill(kFreeSect);
    dir_.reset();
    dir_.node(0).chain.emplace();
    dirty_ = true;
}

void Engine::readRaw(uint64_t offset, uint8_t* buf, size_t n) {
    // Sector numbers are checked against the file's length before they are read, so
    // a read can only run past the end in a last, partly written sector (or in one
    // this program allocated and has not written yet): that part reads as zeros.
    if (!file_->readAt(offset, buf, n)) {
        const uint64_t have = file_->size();
        const uint64_t got = have > offset ? std::min<uint64_t>(have - offset, n) : 0;
        std::fill(buf + got, buf + n, uint8_t(0));
    }
}

std::vector<uint8_t> Engine::readSectors(const std::vector<uint32_t>& sectors) {
    std::vector<uint8_t> bytes(sectors.size() * size_t(sectorSize()));
    transfer(sectors, false, 0, bytes.data(), bytes.size(), false);
    return bytes;
}

void Engine::writeSectors(const std::vector<uint32_t>& sectors, const std::vector<uint8_t>& bytes) {
    transfer(sectors, false, 0, const_cast<uint8_t*>(bytes.data()), bytes.size(), true);
}

std::vector<uint32_t> Engine::loadChain(uint32_t start, const QString& what) {
    return fat_.chain(start, what);
}

void Engine::load() {
    const uint64_t fileSize = file_->size();
    if (fileSize < kHeaderSize) throwCorrupt(msg::fileTooShort());
    uint8_t hb[kHeaderSize];
    if (!file_->readAt(0, hb, kHeaderSize)) throwCorrupt(msg::fileTooShort());
    header_ = Header::parse(hb);
    const uint32_t ss = sectorSize();
    if (fileSize < ss) throwCorrupt(msg::fileTooShort());
    const uint64_t fileSectors64 = (fileSize - ss + ss - 1) / ss;
    if (fileSectors64 > kMaxRegSect) throwCorrupt(QStringLiteral("ファイルが大きすぎます"));
    const uint32_t fileSectors = uint32_t(fileSectors64);
    if (header_.fatSectorCount == 0 || header_.fatSectorCount > fileSectors ||
        header_.difatSectorCount > fileSectors || header_.miniFatSectorCount > fileSectors)
        throwCorrupt(QStringLiteral("ヘッダーのセクタ数が正しくありません"));

    // FAT sectors: the first 109 are listed in the header, the rest in DIFAT sectors.
    const uint32_t perSector = ss / 4;
    fatSectors_.clear();
    difatSectors_.clear();
    const uint32_t fatCount = header_.fatSectorCount;
    auto addFatSector = [&](uint32_t s) {
        if (s >= fileSectors) throwCorrupt(QStringLiteral("FAT セクタがファイルの外にあります"));
        fatSectors_.push_back(s);
    };
    for (uint32_t i = 0; i < std::min(fatCount, kHeaderDifatCount); ++i)
        addFatSector(header_.difat[i]);
    uint32_t next = header_.firstDifatSector;
    std::vector<uint8_t> sector(ss);
    while (fatSectors_.size() < fatCount) {
        if (difatSectors_.size() >= header_.difatSectorCount || next >= fileSectors)
            throwCorrupt(QStringLiteral("DIFAT が正しくありません"));
        difatSectors_.push_back(next);
        readRaw(sectorOffset(next), sector.data(), ss);
        for (uint32_t j = 0; j + 1 < perSector && fatSectors_.size() < fatCount; ++j)
            addFatSector(qFromLittleEndian<uint32_t>(sector.data() + 4 * j));
        next = qFromLittleEndian<uint32_t>(sector.data() + ss - 4);
    }
    // DIFAT sectors beyond those needed are left as they are: marked in the FAT,
    // never reused.

    {
        const std::vector<uint8_t> bytes = readSectors(fatSectors_);
        const size_t n = std::min<size_t>(size_t(fatCount) * perSector, fileSectors);
        std::vector<uint32_t>& entries = fat_.entries();
        entries.resize(n);
        qFromLittleEndian<uint32_t>(bytes.data(), qsizetype(n), entries.data());
        fat_.resetHint();
    }

    dirChain_ = loadChain(header_.firstDirectorySector, chainName(kDirectoryChain));
    if (dirChain_.empty()) throwCorrupt(QStringLiteral("ディレクトリがありません"));
    {
        const std::vector<uint8_t> bytes = readSectors(dirChain_);
        const uint32_t n = uint32_t(bytes.size() / kDirEntrySize);
        std::vector<DirectoryEntry> entries;
        entries.reserve(n);
        for (uint32_t i = 0; i < n; ++i)
            entries.push_back(DirectoryEntry::parse(bytes.data() + size_t(i) * kDirEntrySize,
                                                    header_.majorVersion, i));
        dir_.load(std::move(entries));
    }

    miniFatChain_.clear();
    if (header_.firstMiniFatSector != kEndOfChain && header_.firstMiniFatSector != kFreeSect)
        miniFatChain_ = loadChain(header_.firstMiniFatSector, chainName(kMiniFatChain));
    {
        const std::vector<uint8_t> bytes = readSectors(miniFatChain_);
        std::vector<uint32_t>& entries = miniFat_.entries();
        entries.resize(bytes.size() / 4);
        qFromLittleEndian<uint32_t>(bytes.data(), qsizetype(entries.size()), entries.data());
    }

    // The mini stream is the root entry's data.
    DirectoryNode& root = dir_.node(0);
    std::vector<uint32_t> rootChain;
    if (root.entry.size > 0) rootChain = loadChain(root.entry.startSector, chainName(0));
    if (root.entry.size > uint64_t(rootChain.size()) * ss)
        throwCorrupt(QStringLiteral("ミニストリームの大きさがチェーンを超えています"));
    root.chain = std::move(rootChain);
    // Mini sectors beyond the mini stream cannot hold data.
    const uint64_t miniUnits = root.entry.size / kMiniSectorSize;
    if (miniFat_.size() > miniUnits) miniFat_.entries().resize(size_t(miniUnits));
    miniFat_.resetHint();
    dirty_ = false;
    // A reader only follows the chains it reads; a writer frees and reuses sectors, so
    // it must own every sector it changes alone.
    if (writable_) checkOwnership();
}

void Engine::resizeRegularChain(std::vector<uint32_t>& chain, uint32_t& start, uint64_t units) {
    if (units < chain.size()) {
        for (size_t i = size_t(units); i < chain.size(); ++i) fat_.set(chain[i], kFreeSect);
        chain.resize(size_t(units));
        if (chain.empty())
            start = kEndOfChain;
        else
            fat_.set(chain.back(), kEndOfChain);
        return;
    }
    if (units > kMaxRegSect) throwInvalidOperation(msg::compoundFileTooLarge());
    while (chain.size() < units) {
        const uint32_t s = fat_.allocate(chain.empty() ? kNoStream : chain.back(), kMaxRegSect);
        if (chain.empty()) start = s;
        chain.push_back(s);
    }
}

void Engine::placeFatSectors() {
    const uint32_t perSector = sectorSize() / 4;
    for (;;) {
        const uint32_t needFat = ceilDiv(fat_.size(), perSector);
        if (fatSectors_.size() < needFat) {
            const uint32_t s = fat_.allocate(kNoStream, kMaxRegSect);
            fat_.set(s, kFatSect);
            fatSectors_.push_back(s);
            continue;
        }
        const uint32_t listed = uint32_t(fatSectors_.size());
        const uint32_t needDifat =
            listed > kHeaderDifatCount ? ceilDiv(listed - kHeaderDifatCount, perSector - 1) : 0;
        if (difatSectors_.size() < needDifat) {
            const uint32_t s = fat_.allocate(kNoStream, kMaxRegSect);
            fat_.set(s, kDifSect);
            difatSectors_.push_back(s);
            continue;
        }
        break;
    }
}

void Engine::flush() {
    check(false);
    if (!writable_ || !dirty_) return;
    const uint32_t ss = sectorSize();
    const uint32_t perSector = ss / 4;

    std::vector<DirectoryEntry> entries = dir_.entriesForWriting();
    const uint32_t entriesPerSector = ss / kDirEntrySize;
    entries.resize((entries.size() + entriesPerSector - 1) / entriesPerSector * entriesPerSector);
    std::vector<uint8_t> dirBytes(entries.size() * kDirEntrySize);
    for (size_t i = 0; i < entries.size(); ++i)
        entries[i].serialize(dirBytes.data() + i * kDirEntrySize);
    resizeRegularChain(dirChain_, header_.firstDirectorySector, entries.size() / entriesPerSector);

    const uint32_t miniFatSectors = ceilDiv(uint64_t(miniFat_.size()) * 4, ss);
    std::vector<uint8_t> miniFatBytes(size_t(miniFatSectors) * ss, 0xFF);
    qToLittleEndian<uint32_t>(miniFat_.entries().data(), miniFat_.size(), miniFatBytes.data());
    resizeRegularChain(miniFatChain_, header_.firstMiniFatSector, miniFatSectors);

    placeFatSectors();

    writeSectors(dirChain_, dirBytes);
    writeSectors(miniFatChain_, miniFatBytes);

    std::vector<uint8_t> fatBytes(fatSectors_.size() * size_t(ss), 0xFF);
    qToLittleEndian<uint32_t>(fat_.entries().data(), fat_.size(), fatBytes.data());
    writeSectors(fatSectors_, fatBytes);

    header_.difat.fill(kFreeSect);
    for (size_t i = 0; i < std::min<size_t>(fatSectors_.size(), kHeaderDifatCount); ++i)
        header_.difat[i] = fatSectors_[i];
    if (!difatSectors_.empty()) {
        std::vector<uint8_t> difatBytes(difatSectors_.size() * size_t(ss), 0xFF);
        size_t listed = kHeaderDifatCount;
        for (size_t k = 0; k < difatSectors_.size(); ++k) {
            uint8_t* p = difatBytes.data() + k * ss;
            for (uint32_t j = 0; j + 1 < perSector && listed < fatSectors_.size(); ++j, ++listed)
                qToLittleEndian<uint32_t>(fatSectors_[listed], p + 4 * j);
            qToLittleEndian<uint32_t>(
                k + 1 < difatSectors_.size() ? difatSectors_[k + 1] : kEndOfChain, p + ss - 4);
        }
        writeSectors(difatSectors_, difatBytes);
    }

    header_.fatSectorCount = uint32_t(fatSectors_.size());
    header_.difatSectorCount = uint32_t(difatSectors_.size());
    header_.firstDifatSector = difatSectors_.empty() ? kEndOfChain : difatSectors_[0];
    header_.miniFatSectorCount = uint32_t(miniFatChain_.size());
    if (miniFatChain_.empty()) header_.firstMiniFatSector = kEndOfChain;
    header_.directorySectorCount = header_.majorVersion == 3 ? 0 : uint32_t(dirChain_.size());

    // Every allocated sector must exist in the file, written or not.
    const uint64_t wanted = sectorOffset(fat_.usedExtent());
    if (file_->size() < wanted) file_->truncate(wanted);

    uint8_t hb[kHeaderSize];
    header_.serialize(hb);
    file_->writeAt(0, hb, kHeaderSize);
    dirty_ = false;
}

}  // namespace platform::cfb
