#pragma once
// Edits of the record-definition table that the definition editor performs without any window:
// deleting a record with re-indexing, the has-children rule, and the field operations with their
// position arithmetic. Indices are table indices (0 = file definition) and 0-based field
// indices; row numbers of the field list are 1-based.
#include <cstdint>

#include "model/record_def.h"

namespace sorvek {

// True when record `index` (1..N) has children: its `Child` is not 0, or some record names it as
// `Parent`. Such a record can be neither deleted nor moved to another parent. For entry 0 only
// its `Child` counts (every top-level record has `Parent` 0). False for an index out of range.
bool hasChildRecords(const RecordDefTable& table, std::int32_t index);

// True when record `candidate` lies below record `ancestor`: following `Parent` links from
// `candidate` reaches `ancestor`. Safe on tables whose links form a cycle or point outside.
bool isDescendant(const RecordDefTable& table, std::int32_t candidate, std::int32_t ancestor);

// Brings the `Child` of `parent` in line with the records that name it: it keeps its value when
// that still names one of them, else names the one with the highest index, else becomes 0.
// Entry 0's `Child` (which has no meaning) becomes 0. Out-of-range indices are ignored.
void settleChild(RecordDefTable& table, std::int32_t parent);

enum class RecordDeletion {
    Refused,           // the record has children (or entry 0 has a `Child`); nothing changed
    DefinitionErased,  // index 0: the table holds no definition any more
    RecordDeleted,     // the record is gone and the entries after it moved down by one
    Invalid,           // no such entry; nothing changed
};

// Deletes entry `index` of `table`. For 0 the whole definition is erased. For a record, the
// entries after it move down by one, every `Parent` and `Child` greater than `index` decreases
// by one, and its parent's `Child` is settled (it keeps naming a remaining child, or becomes 0).
// Control totals keep naming the records they named; one that counts, sums or is grouped by the
// deleted record is removed (it becomes no total).
RecordDeletion deleteRecordEntry(RecordDefTable& table, std::int32_t index);

// The tag (table index) that a node carries after entry `deleted` was removed.
inline std::int32_t tagAfterDelete(std::int32_t tag, std::int32_t deleted) {
    return tag > deleted ? tag - 1 : tag;
}

// `Pos + Size` of a field: where the next field of a contiguous layout starts. Computed without
// overflow; a result beyond the 32-bit range stops at its limit.
std::int32_t positionAfter(const FieldDef& field);

// Removes field `k`: the record loses its fields when it was the only one; otherwise every field
// from `k` on is renumbered to start where its predecessor ends (the first at 1). False (nothing
// changed) when `k` is out of range.
bool DeleteFieldDef(RecordDef& record, std::int32_t k);

// Exchanges field `k` with its neighbour above (`direction` -1) or below (+1). The two keep
// occupying the bytes they occupied together, starting at the upper one's former `Pos`; no other
// field changes. False (nothing changed) for a single field, a bad direction or a move past
// either end.
bool MoveFieldDef(RecordDef& record, std::int32_t k, std::int32_t direction);

// Inserts `field` right after row `selectedRow` (1-based; 0 puts it first) and returns its
// index. It starts where its predecessor ends (at 1 when first) and every later field's `Pos`
// grows by its `Size`. A record without fields gets it as its only field, at 1. `field.Pos` is
// ignored; its other members are stored as given.
std::int32_t insertFieldDef(RecordDef& record, std::int32_t selectedRow, FieldDef field);

// Replaces `Name`, `Type`, `Size`, `Dec` and `Memo` of field `k` (keeping `Pos` and `Check`) and
// renumbers every later field to start where its predecessor ends. False (nothing changed) when
// `k` is out of range.
bool changeFieldDef(RecordDef& record, std::int32_t k, const FieldDef& values);

// The same three edits on the fields of record `record` (1..N) of `table`: besides, every sum of
// one of that record's fields, in any record, follows its field to its new index; a sum whose
// field is deleted is removed (it becomes no total). False (nothing changed) when `record` or
// `k` is out of range; insertFieldDef REQUIRES a record index.
bool DeleteFieldDef(RecordDefTable& table, std::int32_t record, std::int32_t k);
bool MoveFieldDef(RecordDefTable& table, std::int32_t record, std::int32_t k,
                  std::int32_t direction);
std::int32_t insertFieldDef(RecordDefTable& table, std::int32_t record, std::int32_t selectedRow,
                            FieldDef field);

// `Check` of field `k` becomes -1 (ticked) or 0; ignored when `k` is out of range.
void setFieldCheck(RecordDef& record, std::int32_t k, bool ticked);

// Ticks (-1) or unticks (0) every field of the record.
void setAllChecks(RecordDef& record, bool ticked);

}  // namespace sorvek
