#pragma once
// The record panel of the edit dialog (modes 3 and 4).
#include <cstdint>
#include <string>
#include <vector>

#include "editor/edit_dialog.h"
#include "editor/record_tree.h"
#include "model/record_def.h"

namespace sorvek {

// One item of `cmbRecParent`: its text and the record it stands for (0 for "(無し)").
struct ParentChoice {
    std::string text;
    std::int32_t tag = 0;
    bool operator==(const ParentChoice&) const = default;
};

struct RecordInput {
    std::string txtRecName;
    std::string txtRecLen;
    std::string txtRecClass;
    std::int32_t cmbRecParent = 0;  // tag of the chosen item of the parent list
    bool operator==(const RecordInput&) const = default;
};

struct RecordPanel {
    RecordInput input;
    bool txtRecLenEnabled = true;    // false when entry 0 gives every record its length
    bool txtRecClassVisible = true;  // false (with its label) when records carry no class code
    std::vector<ParentChoice> parentChoices;
    // Mode 4, a record with a varying table: what the table is (its counter, its place, the
    // bytes of an occurrence and the counts); empty otherwise.
    std::string varyingTable;
};

// The line that tells what `record`'s varying table is, or empty when it has none:
// "表: 回数 = COUNT (0 ～ 3)、位置 5 から 1 回 5 バイト".
std::string varyingTableText(const RecordDef& record);

// The parent list: "(無し)", then every record node in the order of the tree's collection. In
// mode 4 the selected record and every record below it are left out, so no choice can make the
// parent links run in a circle.
std::vector<ParentChoice> parentChoices(std::int32_t mode, const RecordDefTable& table,
                                        const RecordTree& tree);

// Mode 3: empty name and class code; the common length (fixed) or an empty length; the selected
// record as the default parent. Mode 4: from the selected record; its parent preselected.
RecordPanel fillRecordPanel(std::int32_t mode, const RecordDefTable& table, const RecordTree& tree);

// In order: a name; a name that no node of the tree shows (in mode 4 the record's own unchanged
// name passes); a length of 1 or more that fits 32 bits; a class code when entry 0 has a
// class-code position.
EditCheck validateRecord(std::int32_t mode, const RecordInput& input, const RecordDefTable& table,
                         const RecordTree& tree);

// OK in mode 3 or 4. Mode 3 appends a record under the chosen parent (whose `Child` names it)
// and adds its node, selected. Mode 4 changes the selected record; a record with children
// cannot change its parent ("子レコードがあるレコードは、親レコードの変更はできません。",
// focus on the parent list, nothing changed). With the same parent only its node is renamed;
// with another parent the old parent's `Child` keeps naming a remaining child (or becomes 0),
// the new parent's `Child` names the record, and its node moves to the end under the new parent.
EditOutcome submitRecord(std::int32_t mode, const RecordInput& input, RecordDefTable& table,
                         RecordTree& tree);

}  // namespace sorvek
