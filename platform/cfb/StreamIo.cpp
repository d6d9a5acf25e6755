// Stream data: chains of the streams, reads and writes coalesced into runs of
// contiguous sectors, growing and shrinking (moving small streams in and out of the
// mini stream).
#include "platform/Format.h"
#include "platform/Messages.h"
#include "platform/cfb/CfbError.h"
#include "platform/cfb/Constants.h"
#include "platform/cfb/Engine.h"

#include <algorithm>

namespace platform::cfb {

namespace {

uint64_t unitsFor(uint64_t bytes, uint64_t unit) {
    return (bytes + unit - 1) / unit;
}

// Version 3 keeps stream sizes in 32 bits and asks them to stay at or below 2 GB.
constexpr uint64_t kMaxStreamSizeV3 = 0x80000000u;

}  // namespace

const std::vector<uint32_t>& Engine::chainOf(uint32_t index) {
    DirectoryNode& node = dir_.node(index);
    if (node.chain) return *node.chain;
    const DirectoryEntry& e = node.entry;
    std::vector<uint32_t> chain;
    if (e.size > 0) {
        const bool mini = isMini(node);
        const QString what = chainName(index);
        chain = mini ? miniFat_.chain(e.startSector, what) : fat_.chain(e.startSector, what);
        const uint64_t need = unitsFor(e.size, mini ? kMiniSectorSize : sectorSize());
        if (chain.size() < need)
            throwCorrupt(
                format(QStringLiteral("ストリーム「%s」の大きさが正しくありません"), e.name));
    }
    node.chain = std::move(chain);
    return *node.chain;
}

uint64_t Engine::streamSize(uint32_t index) {
    chainOf(index);
    return dir_.node(index).entry.size;
}

void Engine::transfer(const std::vector<uint32_t>& chain, bool mini, uint64_t offset, uint8_t* buf,
                      size_t n, bool toFile) {
    if (n == 0) return;
    const uint32_t unit = mini ? kMiniSectorSize : sectorSize();
    const std::vector<uint32_t>* miniChain = mini ? &miniStreamChain() : nullptr;
    const uint32_t shift = header_.sectorShift;
    const uint32_t mask = sectorSize() - 1;
    auto fileOffset = [&](uint32_t u) -> uint64_t {
        if (!mini) return sectorOffset(u);
        const uint64_t pos = uint64_t(u) * kMiniSectorSize;
        const uint64_t at = pos >> shift;
        if (at >= miniChain->size())
            throwCorrupt(QStringLiteral("ミニセクタがミニストリームの外にあります"));
        return sectorOffset((*miniChain)[size_t(at)]) + (pos & mask);
    };
    uint64_t i = offset / unit;
    uint32_t within = uint32_t(offset % unit);
    size_t done = 0;
    while (done < n) {
        if (i >= chain.size()) throwCorrupt(QStringLiteral("チェーンがストリームより短いです"));
        const uint64_t start = fileOffset(chain[size_t(i)]) + within;
        size_t len = std::min<size_t>(unit - within, n - done);
        ++i;
        within = 0;
        while (done + len < n && i < chain.size() && fileOffset(chain[size_t(i)]) == start + len) {
            len += std::min<size_t>(unit, n - done - len);
            ++i;
        }
        if (toFile)
            file_->writeAt(start, buf + done, len);
        else
            readRaw(start, buf + done, len);
        done += len;
    }
}

size_t Engine::read(uint32_t index, uint64_t offset, void* buf, size_t n) {
    const DirectoryNode& node = dir_.node(index);
    const uint64_t size = node.entry.size;
    if (offset >= size || n == 0) return 0;
    n = size_t(std::min<uint64_t>(n, size - offset));
    const std::vector<uint32_t>& chain = chainOf(index);
    transfer(chain, isMini(node), offset, static_cast<uint8_t*>(buf), n, false);
    return n;
}

void Engine::resizeChain(uint32_t index, uint64_t units) {
    DirectoryNode& node = dir_.node(index);
    chainOf(index);
    std::vector<uint32_t>& chain = *node.chain;
    if (!isMini(node)) {
        resizeRegularChain(chain, node.entry.startSector, units);
        return;
    }
    if (units < chain.size()) {
        for (size_t i = size_t(units); i < chain.size(); ++i) miniFat_.set(chain[i], kFreeSect);
        chain.resize(size_t(units));
        if (chain.empty())
            node.entry.startSector = kEndOfChain;
        else
            miniFat_.set(chain.back(), kEndOfChain);
        return;
    }
    while (chain.size() < units) {
        const uint32_t u = miniFat_.allocate(chain.empty() ? kNoStream : chain.back(), kMaxRegSect);
        if (chain.empty()) node.entry.startSector = u;
        chain.push_back(u);
    }
    ensureMiniStream(miniFat_.size());
}

void Engine::ensureMiniStream(uint32_t miniUnits) {
    DirectoryNode& root = dir_.node(0);
    const uint64_t bytes = uint64_t(miniUnits) * kMiniSectorSize;
    if (root.entry.size >= bytes) return;
    root.entry.size = bytes;
    resizeRegularChain(*root.chain, root.entry.startSector, unitsFor(bytes, sectorSize()));
}

void Engine::resizeKeepingData(uint32_t index, uint64_t size) {
    ++changes_;
    DirectoryNode& node = dir_.node(index);
    if (header_.majorVersion == 3 && size > kMaxStreamSizeV3)
        throwInvalidOperation(msg::streamTooLarge());
    const uint64_t old = node.entry.size;
    if (size == old) return;
    dirty_ = true;
    const bool oldMini = old < kMiniCutoff;
    const bool newMini = size < kMiniCutoff;
    if (oldMini == newMini) {
        resizeChain(index, unitsFor(size, newMini ? kMiniSectorSize : sectorSize()));
        node.entry.size = size;
        return;
    }
    // Crossing the cutoff: the kept bytes (fewer than 4096) move between the mini
    // stream and regular sectors.
    const uint64_t keep = std::min(old, size);
    std::vector<uint8_t> kept(static_cast<size_t>(keep));
    read(index, 0, kept.data(), kept.size());
    resizeChain(index, 0);
    node.entry.size = size;
    node.entry.startSector = kEndOfChain;
    resizeChain(index, unitsFor(size, newMini ? kMiniSectorSize : sectorSize()));
    transfer(*node.chain, newMini, 0, kept.data(), kept.size(), true);
}

void Engine::resize(uint32_t index, uint64_t size) {
    const uint64_t old = dir_.node(index).entry.size;
    resizeKeepingData(index, size);
    if (size > old) zeroFill(index, old, size);
}

void Engine::zeroFill(uint32_t index, uint64_t from, uint64_t to) {
    static const std::vector<uint8_t> zeros(64 * 1024, 0);
    const DirectoryNode& node = dir_.node(index);
    while (from < to) {
        const size_t n = size_t(std::min<uint64_t>(to - from, zeros.size()));
        transfer(*node.chain, isMini(node), from, const_cast<uint8_t*>(zeros.data()), n, true);
        from += n;
    }
}

void Engine::write(uint32_t index, uint64_t offset, const void* buf, size_t n) {
    if (n == 0) return;
    ++changes_;
    DirectoryNode& node = dir_.node(index);
    const uint64_t end = offset + n;
    if (end < offset || (header_.majorVersion == 3 && end > kMaxStreamSizeV3))
        throwInvalidOperation(msg::streamTooLarge());
    const uint64_t old = node.entry.size;
    if (end > old) {
        // Grow without zeroing the part about to be written; only a gap between the
        // old end and `offset` is zeroed.
        resizeKeepingData(index, end);
        if (offset > old) zeroFill(index, old, offset);
    }
    transfer(chainOf(index), isMini(node), offset,
             const_cast<uint8_t*>(static_cast<const uint8_t*>(buf)), n, true);
}

}  // namespace platform::cfb
