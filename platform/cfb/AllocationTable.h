#pragma once
// Internal: a table of sector chains, used both for the FAT (regular sectors) and the
// mini FAT (64-byte mini sectors). Entry i holds the number of the unit after unit i
// in its chain, kEndOfChain, kFreeSect, or a mark (kFatSect, kDifSect).
//
// Allocation reuses free entries (lowest first, or the one right after the chain's
// current end when it is free, so chains stay contiguous), and appends entries at the
// end of the table when none is free.

#include <QString>
#include <cstdint>
#include <vector>

namespace platform::cfb {

class AllocationTable {
public:
    std::vector<uint32_t>& entries() { return next_; }
    const std::vector<uint32_t>& entries() const { return next_; }
    uint32_t size() const { return uint32_t(next_.size()); }
    uint32_t at(uint32_t i) const { return next_[i]; }
    void set(uint32_t i, uint32_t value);

    // The units of the chain starting at `start` (kEndOfChain: empty). Raises
    // CfbCorrupt when the chain leaves the table, meets a free or marked entry, or
    // is longer than the table (a cycle). `what` names the chain in the message.
    std::vector<uint32_t> chain(uint32_t start, const QString& what) const;

    // Takes one free unit (preferring `after + 1`), marks it end of chain and links
    // `after` to it when `after` is a unit. `limit` is the highest unit count allowed.
    uint32_t allocate(uint32_t after, uint32_t limit);
    // Frees every unit of `units`.
    void release(const std::vector<uint32_t>& units);
    // Number of units whose entry is not kFreeSect, counting from the end: one past
    // the highest used unit.
    uint32_t usedExtent() const;

    // Called after entries were replaced wholesale (loading).
    void resetHint() { hint_ = 0; }

private:
    std::vector<uint32_t> next_;
    uint32_t hint_ = 0;  // no free entry below this index
};

}  // namespace platform::cfb
