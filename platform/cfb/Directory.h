#pragma once
// Internal: the directory in memory. Every entry of the file is a node; each storage
// node keeps its children in a map ordered by the format's name order (Names.h), so
// lookups are logarithmic and case-insensitive. The red-black trees stored in the
// file are read once (and checked) when the file is opened, and written from the maps
// again when the file is flushed.

#include "platform/cfb/DirectoryEntry.h"
#include "platform/cfb/Names.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace platform::cfb {

using ChildMap = std::map<std::u16string, uint32_t, NameLess>;

struct DirectoryNode {
    DirectoryEntry entry;
    uint32_t parent = 0xFFFFFFFF;
    ChildMap children;        // storages only
    uint32_t generation = 0;  // bumped when the node is freed, so stale handles notice
    // The units of the node's data chain (mini sectors for small streams, sectors
    // otherwise; for the root: the mini stream's sectors), filled on first use.
    std::optional<std::vector<uint32_t>> chain;
};

class Directory {
public:
    // Builds the nodes from the entries read from the file and checks the trees:
    // entry 0 must be the root; links must stay inside the directory, reach no entry
    // twice (no loops or shared subtrees) and reach only storages and streams; names
    // in one storage must differ. Used entries that no tree reaches are treated as
    // free. Raises CfbCorrupt.
    void load(std::vector<DirectoryEntry> entries);
    // A directory holding only a root entry.
    void reset();

    uint32_t count() const { return uint32_t(nodes_.size()); }
    DirectoryNode& node(uint32_t i) { return nodes_[i]; }
    const DirectoryNode& node(uint32_t i) const { return nodes_[i]; }

    // The child of storage `parent` called `name` (any case), or kNoStream.
    uint32_t find(uint32_t parent, const QString& name) const;
    // Adds a node as a child of `parent` (the name must be free there); a storage too deep
    // raises CfbInvalidOperation.
    uint32_t add(uint32_t parent, DirectoryEntry entry);
    // Unlinks `index` from its parent and frees it (not its children or data).
    void free(uint32_t index);
    // Moves `index` under `newParent` with `newName` (free there).
    void relink(uint32_t index, uint32_t newParent, const QString& newName);

    // Sets every storage's child link and its children's left/right/colour links to
    // a balanced tree over the name order, and returns the entries to store.
    std::vector<DirectoryEntry> entriesForWriting();

    // Storages nest at most this deep, in files read and in trees built, so that every
    // recursive walk over a tree stays within the stack.
    static constexpr int kMaxStorageDepth = 256;

private:
    int depthOf(uint32_t index) const;        // 0 for the root, 1 for its children, ...
    int storageHeight(uint32_t index) const;  // levels of storages below `index`
    static void checkDepth(int depth);

    std::vector<DirectoryNode> nodes_;
    std::vector<uint32_t> freeList_;
};

}  // namespace platform::cfb
