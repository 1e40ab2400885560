#pragma once
// The record tree `tvwRecDef` without the control: which nodes it holds, in which order, under
// which parent, and which one is selected. The editor's functions change this model together
// with the table; the widget shows exactly what it holds (rebuilding its items from `nodes`, or
// following the change it is told about).
#include <cstdint>
#include <string>
#include <vector>

#include "model/record_def.h"

namespace sorvek {

// Images of the icon list `ilsIcon`.
inline constexpr int kImageFileDefinition = 1;
inline constexpr int kImageRecordDefinition = 2;

struct RecordTreeNode {
    std::string text;
    std::string key;  // the record's `Name`; empty for the file-definition node
    int image = kImageRecordDefinition;
    std::int32_t tag = 0;         // index of the entry in the record-definition table
    std::int32_t parentTag = -1;  // tag of the node it hangs under; -1 at the top level
    bool bold = false;            // only the file-definition node

    bool operator==(const RecordTreeNode&) const = default;
};

struct RecordTree {
    // The node collection in the order the nodes were added; a parent always comes before its
    // children, and the file-definition node (tag 0) is the first whenever there is a node.
    std::vector<RecordTreeNode> nodes;
    // Position in `nodes` of the selected node; -1 when none is selected.
    std::int32_t selected = -1;
    bool enabled = false;
    // The tree's `Tag`: the path of the definition file last opened or saved; empty while none
    // is current.
    std::string Tag;

    // Position in `nodes` of the node with tag `tag`, or -1.
    std::int32_t findTag(std::int32_t tag) const;
    // Tag of the selected node, or -1 when none is selected.
    std::int32_t selectedTag() const;
    // True when the selected node is the file-definition node (the first).
    bool isFileNodeSelected() const { return selected == 0 && !nodes.empty(); }
    // True when the selected node is a record node.
    bool isRecordNodeSelected() const { return selected > 0 && selected < nodeCount(); }
    // Selects the node with tag `tag`; none when there is no such node.
    void selectTag(std::int32_t tag) { selected = findTag(tag); }
    std::int32_t nodeCount() const { return static_cast<std::int32_t>(nodes.size()); }
};

// Builds the tree from the whole table: the bold file-definition node, then one node per record
// in index order, each under its parent's node. A record whose parent has a higher index is
// added in a second pass once its parent's node exists, so any index order shows; a record
// whose parent does not exist or whose parent links run in a circle is shown at the top level.
// Enables the tree and selects record 1's node (the file-definition node when there is no
// record). `Tag` is kept. REQUIRES: the table holds a definition.
void buildRecordTree(RecordTree& tree, const RecordDefTable& table);

// The tree of a new definition: the bold file-definition node only, selected; tree enabled.
void showFileDefinitionOnly(RecordTree& tree, const RecordDefTable& table);

// Adds the node of record `index` at the end of the collection, as the last child of its
// parent's node (at the top level when `Parent` is 0 or has no node), and selects it.
void addRecordNode(RecordTree& tree, const RecordDefTable& table, std::int32_t index);

// Gives the node with tag `tag` a new text and key.
void renameRecordNode(RecordTree& tree, std::int32_t tag, const std::string& name);

// Removes the node of record `index` and adds it again by `addRecordNode` (at the end, under
// the node of its present `Parent`, tag unchanged, selected).
void moveRecordNode(RecordTree& tree, const RecordDefTable& table, std::int32_t index);

// After entry `deleted` left the table: removes its node (with any nodes below it) and lowers
// every tag above `deleted` by one. The selection moves to the removed node's parent node, or
// to the node before it in the collection when it was at the top level.
void removeRecordNode(RecordTree& tree, std::int32_t deleted);

// No nodes, nothing selected, tree disabled (the definition was erased). `Tag` is kept.
void clearRecordTree(RecordTree& tree);

}  // namespace sorvek
