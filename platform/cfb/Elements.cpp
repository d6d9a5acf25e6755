// Adding, removing and moving directory elements.
#include "platform/cfb/CfbError.h"
#include "platform/cfb/Constants.h"
#include "platform/cfb/Engine.h"

#include <chrono>

namespace platform::cfb {

namespace {

// Now as a FILETIME: 100 ns units since 1601-01-01 UTC.
uint64_t fileTimeNow() {
    using namespace std::chrono;
    const auto since1970 =
        duration_cast<nanoseconds>(system_clock::now().time_since_epoch()).count();
    return uint64_t(since1970 / 100) + 116444736000000000ull;
}

}  // namespace

uint32_t Engine::addElement(uint32_t parent, const QString& name, EntryType type) {
    ++changes_;
    DirectoryEntry e;
    e.name = name;
    e.type = type;
    e.startSector = kEndOfChain;
    if (type == EntryType::Storage) e.createdTime = e.modifiedTime = fileTimeNow();
    const uint32_t index = dir_.add(parent, std::move(e));
    dir_.node(index).chain.emplace();
    dirty_ = true;
    return index;
}

void Engine::removeElement(uint32_t index) {
    ++changes_;
    std::vector<uint32_t> doomed{index};
    for (size_t i = 0; i < doomed.size(); ++i) {
        for (const auto& [key, child] : dir_.node(doomed[i]).children) doomed.push_back(child);
    }
    for (size_t i = doomed.size(); i-- > 0;) {
        const uint32_t d = doomed[i];
        if (dir_.node(d).entry.type == EntryType::Stream) {
            try {
                resizeChain(d, 0);
            } catch (const CfbCorrupt&) {
                // A broken chain cannot be freed; its sectors stay allocated.
            }
        }
        dir_.free(d);
    }
    dirty_ = true;
}

void Engine::moveElement(uint32_t index, uint32_t newParent, const QString& newName) {
    ++changes_;
    dir_.relink(index, newParent, newName);
    dirty_ = true;
}

}  // namespace platform::cfb
