#include "platform/cfb/AllocationTable.h"

#include "platform/Format.h"
#include "platform/Messages.h"
#include "platform/cfb/CfbError.h"
#include "platform/cfb/Constants.h"

namespace platform::cfb {

void AllocationTable::set(uint32_t i, uint32_t value) {
    next_[i] = value;
    if (value == kFreeSect && i < hint_) hint_ = i;
}

std::vector<uint32_t> AllocationTable::chain(uint32_t start, const QString& what) const {
    std::vector<uint32_t> units;
    uint32_t cur = start;
    while (cur != kEndOfChain) {
        if (cur >= next_.size())
            throwCorrupt(format(QStringLiteral("%sのチェーンがファイルの外を指しています"), what));
        if (units.size() >= next_.size())
            throwCorrupt(format(QStringLiteral("%sのチェーンが循環しています"), what));
        units.push_back(cur);
        const uint32_t nxt = next_[cur];
        if (nxt > kMaxRegSect && nxt != kEndOfChain)
            throwCorrupt(format(QStringLiteral("%sのチェーンが途中で途切れています"), what));
        cur = nxt;
    }
    return units;
}

uint32_t AllocationTable::allocate(uint32_t after, uint32_t limit) {
    uint32_t unit = kFreeSect;
    if (after < next_.size() && after + 1 < next_.size() && next_[after + 1] == kFreeSect) {
        unit = after + 1;
    } else {
        while (hint_ < next_.size() && next_[hint_] != kFreeSect) ++hint_;
        if (hint_ < next_.size()) {
            unit = hint_;
        } else {
            if (next_.size() >= limit) throwInvalidOperation(msg::compoundFileTooLarge());
            unit = uint32_t(next_.size());
            next_.push_back(kFreeSect);
        }
    }
    next_[unit] = kEndOfChain;
    if (after < next_.size()) next_[after] = unit;
    return unit;
}

void AllocationTable::release(const std::vector<uint32_t>& units) {
    for (uint32_t u : units) set(u, kFreeSect);
}

uint32_t AllocationTable::usedExtent() const {
    uint32_t n = uint32_t(next_.size());
    while (n > 0 && next_[n - 1] == kFreeSect) --n;
    return n;
}

}  // namespace platform::cfb
