// Who owns which sector: the check that a file opened for writing gives every sector to
// one owner, so that freeing and reusing sectors cannot reach another owner's data.
#include "platform/Format.h"
#include "platform/cfb/CfbError.h"
#include "platform/cfb/Constants.h"
#include "platform/cfb/Engine.h"

namespace platform::cfb {

QString Engine::chainName(uint32_t owner) const {
    switch (owner) {
        case kDirectoryChain:
            return QStringLiteral("ディレクトリ");
        case kMiniFatChain:
            return QStringLiteral("ミニ FAT ");
        case kFatList:
            return QStringLiteral("FAT");
        case kDifatList:
            return QStringLiteral("DIFAT");
        case 0:
            return QStringLiteral("ミニストリーム");
        default:
            return format(QStringLiteral("ストリーム「%s」"), dir_.node(owner).entry.name);
    }
}

template <class Visit>
void Engine::forEachClaim(const Visit& visit) {
    auto all = [&](uint32_t owner, const std::vector<uint32_t>& units, bool mini) {
        for (uint32_t u : units)
            if (!visit(owner, u, mini)) return false;
        return true;
    };
    if (!all(kDifatList, difatSectors_, false) || !all(kFatList, fatSectors_, false) ||
        !all(kDirectoryChain, dirChain_, false) || !all(kMiniFatChain, miniFatChain_, false) ||
        !all(0, miniStreamChain(), false))
        return;
    for (uint32_t i = 1; i < dir_.count(); ++i) {
        const DirectoryNode& node = dir_.node(i);
        if (node.entry.type != EntryType::Stream) continue;
        if (!all(i, chainOf(i), isMini(node))) return;
    }
}

void Engine::checkOwnership() {
    auto checkMarks = [&](const std::vector<uint32_t>& sectors, uint32_t mark, uint32_t owner) {
        for (uint32_t s : sectors)
            if (s >= fat_.size() || fat_.at(s) != mark)
                throwCorrupt(
                    format(QStringLiteral("%s セクタ %d が FAT で %s セクタと記されていません"),
                           chainName(owner), s, chainName(owner)));
    };
    checkMarks(fatSectors_, kFatSect, kFatList);
    checkMarks(difatSectors_, kDifSect, kDifatList);

    // Every claimed unit lies inside its table: the lists were checked above, chains
    // never leave their table.
    std::vector<bool> taken(fat_.size());
    std::vector<bool> miniTaken(miniFat_.size());
    bool clash = false;
    uint32_t second = 0;
    uint32_t unit = 0;
    bool mini = false;
    forEachClaim([&](uint32_t owner, uint32_t u, bool m) {
        std::vector<bool>& t = m ? miniTaken : taken;
        if (t[u]) {
            clash = true;
            second = owner;
            unit = u;
            mini = m;
            return false;
        }
        t[u] = true;
        return true;
    });
    if (!clash) return;
    // The first owner of the unit, found by walking the claims again.
    uint32_t first = 0;
    forEachClaim([&](uint32_t owner, uint32_t u, bool m) {
        if (u != unit || m != mini) return true;
        first = owner;
        return false;
    });
    if (first == second)
        throwCorrupt(
            format(QStringLiteral("セクタ %d を %s が二度挙げています"), unit, chainName(first)));
    throwCorrupt(format(mini ? QStringLiteral("ミニセクタ %d を%sと%sが共に使っています")
                             : QStringLiteral("セクタ %d を%sと%sが共に使っています"),
                        unit, chainName(first), chainName(second)));
}

}  // namespace platform::cfb
