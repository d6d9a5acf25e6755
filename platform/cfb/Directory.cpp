#include "platform/cfb/Directory.h"

#include "platform/Format.h"
#include "platform/Messages.h"
#include "platform/cfb/CfbError.h"
#include "platform/cfb/Constants.h"

#include <algorithm>
#include <utility>

namespace platform::cfb {

void Directory::reset() {
    nodes_.clear();
    freeList_.clear();
    DirectoryNode root;
    root.entry.name = QStringLiteral("Root Entry");
    root.entry.type = EntryType::Root;
    root.entry.startSector = kEndOfChain;
    nodes_.push_back(std::move(root));
}

void Directory::load(std::vector<DirectoryEntry> entries) {
    nodes_.clear();
    freeList_.clear();
    if (entries.empty() || entries[0].type != EntryType::Root)
        throwCorrupt(QStringLiteral("ルート項目がありません"));
    const uint32_t n = uint32_t(entries.size());
    nodes_.resize(n);
    for (uint32_t i = 0; i < n; ++i) nodes_[i].entry = std::move(entries[i]);

    std::vector<bool> reached(n, false);
    reached[0] = true;
    // Storages with their nesting depth; the depth is limited so that whoever walks the
    // tree recursively cannot run out of stack.
    std::vector<std::pair<uint32_t, int>> storages{{0, 0}};
    std::vector<uint32_t> stack;
    while (!storages.empty()) {
        const auto [storage, depth] = storages.back();
        storages.pop_back();
        if (depth > kMaxStorageDepth) throwCorrupt(msg::storageNestingTooDeep());
        stack.clear();
        stack.push_back(nodes_[storage].entry.child);
        while (!stack.empty()) {
            const uint32_t i = stack.back();
            stack.pop_back();
            if (i == kNoStream) continue;
            if (i >= n)
                throwCorrupt(format(QStringLiteral("ディレクトリの参照 %d が範囲外です"), i));
            if (reached[i])
                throwCorrupt(
                    format(QStringLiteral("ディレクトリ項目 %d が二度参照されています"), i));
            reached[i] = true;
            DirectoryNode& node = nodes_[i];
            if (node.entry.type != EntryType::Storage && node.entry.type != EntryType::Stream)
                throwCorrupt(msg::directoryEntryTypeInvalid(i));
            if (!nodes_[storage].children.emplace(nameKey(node.entry.name), i).second)
                throwCorrupt(format(QStringLiteral("名前「%s」が重複しています"), node.entry.name));
            node.parent = storage;
            stack.push_back(node.entry.left);
            stack.push_back(node.entry.right);
            if (node.entry.type == EntryType::Storage) storages.emplace_back(i, depth + 1);
        }
    }
    for (uint32_t i = n; i-- > 1;) {
        if (!reached[i]) {
            nodes_[i].entry = DirectoryEntry{};
            freeList_.push_back(i);
        }
    }
}

uint32_t Directory::find(uint32_t parent, const QString& name) const {
    const ChildMap& children = nodes_[parent].children;
    const auto it = children.find(nameKey(name));
    return it == children.end() ? kNoStream : it->second;
}

uint32_t Directory::add(uint32_t parent, DirectoryEntry entry) {
    if (entry.type == EntryType::Storage) checkDepth(depthOf(parent) + 1);
    uint32_t index;
    if (!freeList_.empty()) {
        index = freeList_.back();
        freeList_.pop_back();
    } else {
        if (nodes_.size() >= kMaxRegSect)
            throwInvalidOperation(QStringLiteral("要素の数が上限を超えます"));
        index = uint32_t(nodes_.size());
        nodes_.emplace_back();
    }
    DirectoryNode& node = nodes_[index];
    const uint32_t generation = node.generation;
    node = DirectoryNode{};
    node.generation = generation;
    node.entry = std::move(entry);
    node.parent = parent;
    nodes_[parent].children.emplace(nameKey(node.entry.name), index);
    return index;
}

void Directory::free(uint32_t index) {
    DirectoryNode& node = nodes_[index];
    if (node.parent != kNoStream) nodes_[node.parent].children.erase(nameKey(node.entry.name));
    const uint32_t generation = node.generation + 1;
    node = DirectoryNode{};
    node.generation = generation;
    freeList_.push_back(index);
}

int Directory::depthOf(uint32_t index) const {
    int depth = 0;
    for (uint32_t p = index; p != 0 && p != kNoStream; p = nodes_[p].parent) ++depth;
    return depth;
}

int Directory::storageHeight(uint32_t index) const {
    int height = 0;
    std::vector<std::pair<uint32_t, int>> pending{{index, 0}};
    while (!pending.empty()) {
        const auto [i, level] = pending.back();
        pending.pop_back();
        height = std::max(height, level);
        for (const auto& [key, child] : nodes_[i].children)
            if (nodes_[child].entry.type == EntryType::Storage)
                pending.emplace_back(child, level + 1);
    }
    return height;
}

void Directory::checkDepth(int depth) {
    if (depth > kMaxStorageDepth) throwInvalidOperation(msg::storageNestingTooDeep());
}

void Directory::relink(uint32_t index, uint32_t newParent, const QString& newName) {
    if (nodes_[index].entry.type == EntryType::Storage)
        checkDepth(depthOf(newParent) + 1 + storageHeight(index));
    DirectoryNode& node = nodes_[index];
    nodes_[node.parent].children.erase(nameKey(node.entry.name));
    node.entry.name = newName;
    node.parent = newParent;
    nodes_[newParent].children.emplace(nameKey(newName), index);
}

namespace {

// Links sorted[lo, hi) as a balanced binary tree and returns its top (kNoStream when
// empty). Midpoint splitting keeps every path to an empty link `levels - 1` or
// `levels` nodes long; nodes on level `levels` of a tree that is not perfect are red,
// all others black, which meets the red-black rules (black root, no red node with a
// red child, the same number of black nodes on every path).
uint32_t buildTree(std::vector<DirectoryNode>& nodes, const std::vector<uint32_t>& sorted,
                   size_t lo, size_t hi, int depth, int redDepth) {
    if (lo >= hi) return kNoStream;
    const size_t mid = lo + (hi - lo) / 2;
    DirectoryEntry& e = nodes[sorted[mid]].entry;
    e.left = buildTree(nodes, sorted, lo, mid, depth + 1, redDepth);
    e.right = buildTree(nodes, sorted, mid + 1, hi, depth + 1, redDepth);
    e.color = depth == redDepth ? 0 : 1;
    return sorted[mid];
}

}  // namespace

std::vector<DirectoryEntry> Directory::entriesForWriting() {
    std::vector<uint32_t> sorted;
    for (DirectoryNode& node : nodes_) {
        if (node.entry.type == EntryType::Unused) continue;
        if (!node.entry.isStorage()) {
            node.entry.child = kNoStream;
            continue;
        }
        sorted.clear();
        for (const auto& [key, index] : node.children) sorted.push_back(index);
        // Levels of the tree over n nodes: floor(log2 n) + 1; perfect when n + 1 is a
        // power of two.
        const size_t count = sorted.size();
        int levels = 0;
        while ((size_t(1) << levels) <= count) ++levels;
        const bool perfect = ((count + 1) & count) == 0;
        const int redDepth = perfect ? -1 : levels;
        node.entry.child = buildTree(nodes_, sorted, 0, count, 1, redDepth);
    }
    std::vector<DirectoryEntry> entries;
    entries.reserve(nodes_.size());
    for (DirectoryNode& node : nodes_) {
        if (node.entry.type == EntryType::Unused) {
            entries.emplace_back();
        } else {
            if (node.entry.type == EntryType::Root) node.entry.color = 1;
            entries.push_back(node.entry);
        }
    }
    return entries;
}

}  // namespace platform::cfb
