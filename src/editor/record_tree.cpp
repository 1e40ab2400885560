#include "editor/record_tree.h"

#include <algorithm>

#include "model/record_table_edit.h"

namespace sorvek {

namespace {

RecordTreeNode fileDefinitionNode(const RecordDefTable& table) {
    return RecordTreeNode{table[0].Name, "", kImageFileDefinition, 0, -1, true};
}

RecordTreeNode recordNode(const RecordDefTable& table, std::int32_t index, std::int32_t parentTag) {
    const std::string& name = table[index].Name;
    return RecordTreeNode{name, name, kImageRecordDefinition, index, parentTag, false};
}

bool isRecordIndex(const RecordDefTable& table, std::int32_t index) {
    return index >= 1 && index <= table.maxIndex();
}

}  // namespace

std::int32_t RecordTree::findTag(std::int32_t tag) const {
    for (std::int32_t i = 0; i < nodeCount(); ++i) {
        if (nodes[i].tag == tag) return i;
    }
    return -1;
}

std::int32_t RecordTree::selectedTag() const {
    return selected >= 0 && selected < nodeCount() ? nodes[selected].tag : -1;
}

void buildRecordTree(RecordTree& tree, const RecordDefTable& table) {
    tree.nodes.clear();
    tree.nodes.push_back(fileDefinitionNode(table));
    tree.enabled = true;

    // First pass in index order: every record whose parent's node already exists. Later passes
    // pick up the records whose parent came after them, until nothing more can be placed.
    std::vector<bool> placed(table.entries.size(), false);
    std::vector<std::int32_t> pending;
    for (std::int32_t i = 1; i <= table.maxIndex(); ++i) pending.push_back(i);
    bool progress = true;
    while (!pending.empty() && progress) {
        progress = false;
        std::vector<std::int32_t> deferred;
        for (std::int32_t i : pending) {
            const std::int32_t parent = table[i].Parent;
            if (parent == 0 || (isRecordIndex(table, parent) && placed[parent])) {
                tree.nodes.push_back(recordNode(table, i, parent == 0 ? -1 : parent));
                placed[i] = true;
                progress = true;
            } else {
                deferred.push_back(i);
            }
        }
        pending.swap(deferred);
    }
    // Parents that do not exist or links in a circle: show the records at the top level rather
    // than not at all.
    for (std::int32_t i : pending) tree.nodes.push_back(recordNode(table, i, -1));

    tree.selectTag(table.maxIndex() >= 1 ? 1 : 0);
}

void showFileDefinitionOnly(RecordTree& tree, const RecordDefTable& table) {
    tree.nodes.assign(1, fileDefinitionNode(table));
    tree.enabled = true;
    tree.selected = 0;
}

void addRecordNode(RecordTree& tree, const RecordDefTable& table, std::int32_t index) {
    const std::int32_t parent = table[index].Parent;
    const bool underParent = parent != 0 && parent != index && tree.findTag(parent) > 0;
    tree.nodes.push_back(recordNode(table, index, underParent ? parent : -1));
    tree.selected = tree.nodeCount() - 1;
}

void renameRecordNode(RecordTree& tree, std::int32_t tag, const std::string& name) {
    const std::int32_t pos = tree.findTag(tag);
    if (pos < 0) return;
    tree.nodes[pos].text = name;
    if (tag != 0) tree.nodes[pos].key = name;
}

namespace {

// Removes the node at `pos` and every node below it; returns the removed node's parent tag.
std::int32_t removeSubtree(RecordTree& tree, std::int32_t pos) {
    const std::int32_t parentTag = tree.nodes[pos].parentTag;
    std::vector<std::int32_t> removedTags{tree.nodes[pos].tag};
    std::vector<RecordTreeNode> kept;
    for (std::int32_t i = 0; i < tree.nodeCount(); ++i) {
        const RecordTreeNode& node = tree.nodes[i];
        bool below = i == pos;
        // Parents come before their children, so one walk finds the whole subtree.
        for (std::int32_t removed : removedTags) {
            if (i > pos && node.parentTag == removed) below = true;
        }
        if (below) {
            if (i != pos) removedTags.push_back(node.tag);
        } else {
            kept.push_back(node);
        }
    }
    tree.nodes.swap(kept);
    return parentTag;
}

}  // namespace

void moveRecordNode(RecordTree& tree, const RecordDefTable& table, std::int32_t index) {
    const std::int32_t pos = tree.findTag(index);
    if (pos > 0) removeSubtree(tree, pos);
    addRecordNode(tree, table, index);
}

void removeRecordNode(RecordTree& tree, std::int32_t deleted) {
    const std::int32_t pos = tree.findTag(deleted);
    if (pos < 0) return;
    const std::int32_t parentTag = removeSubtree(tree, pos);
    std::int32_t select = parentTag >= 0 ? tree.findTag(parentTag) : -1;
    if (select < 0) select = std::min(pos, tree.nodeCount()) - 1;
    tree.selected = select;
    for (RecordTreeNode& node : tree.nodes) {
        node.tag = tagAfterDelete(node.tag, deleted);
        if (node.parentTag >= 0) node.parentTag = tagAfterDelete(node.parentTag, deleted);
    }
}

void clearRecordTree(RecordTree& tree) {
    tree.nodes.clear();
    tree.selected = -1;
    tree.enabled = false;
}

}  // namespace sorvek
