#include "model/record_table_edit.h"

#include <algorithm>
#include <limits>
#include <vector>

namespace sorvek {

namespace {

bool isRecord(const RecordDefTable& table, std::int32_t index) {
    return index >= 1 && index <= table.maxIndex();
}

std::int32_t clampToInt32(std::int64_t value) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

// Every field from `from` on starts where its predecessor ends.
void renumberFrom(std::vector<FieldDef>& fields, std::size_t from) {
    for (std::size_t j = from; j < fields.size(); ++j) {
        fields[j].Pos = j == 0 ? 1 : positionAfter(fields[j - 1]);
    }
}

// A record's varying table held by its fields across an edit of them: the index of its counter
// and of the first field inside it, before the edit.
struct TableAnchor {
    std::int64_t counter = -1;
    std::int64_t first = -1;
};

TableAnchor anchorOf(const RecordDef& record) {
    const VaryingTable& t = record.varying;
    if (!t.present()) return {};
    TableAnchor anchor{t.counter - 1, -1};
    for (std::size_t j = 0; j < record.Fields.size() && anchor.first < 0; ++j) {
        const std::int64_t pos = record.Fields[j].Pos;
        if (pos >= t.Pos && pos < t.end()) anchor.first = static_cast<std::int64_t>(j);
    }
    return anchor;
}

// After an edit that put the field that was at index i at `moved(i)` (-1: deleted): the counter
// follows its field, the table starts where its first field now does. A table whose counter or
// first field is gone is gone too; what the edit did to the occurrences is left to the
// definition check, which names the field that no longer fits one.
template <class Moved>
void reanchor(RecordDef& record, const TableAnchor& anchor, Moved moved) {
    if (!record.varying.present()) return;
    const std::int64_t counter = moved(anchor.counter);
    const std::int64_t first = anchor.first < 0 ? -1 : moved(anchor.first);
    if (counter < 0 || first < 0 || first >= static_cast<std::int64_t>(record.Fields.size())) {
        record.varying = {};
        return;
    }
    record.varying.counter = static_cast<std::int32_t>(counter + 1);
    record.varying.Pos = record.Fields[static_cast<std::size_t>(first)].Pos;
}

// After an edit of the fields of record `record` that put the field at index i at `moved(i)`
// (-1: deleted): every sum of one of its fields follows that field; a sum whose field is gone is
// gone too, rather than add up whatever field took its place.
template <class Moved>
void followSummedFields(RecordDefTable& table, std::int32_t record, Moved moved) {
    for (std::size_t i = 1; i < table.entries.size(); ++i) {
        for (FieldDef& f : table.entries[i].Fields) {
            ControlTotal& t = f.total;
            if (t.kind != TotalKind::Sum || t.record != record || t.field < 1) continue;
            const std::int64_t now = moved(static_cast<std::int64_t>(t.field) - 1);
            if (now < 0) {
                t = {};
            } else {
                t.field = static_cast<std::int32_t>(now + 1);
            }
        }
    }
}

// After entry `deleted` was removed: totals keep naming the records they named; a total that
// counted, summed or was grouped by the deleted record is gone.
void followRecordsAfterDelete(RecordDefTable& table, std::int32_t deleted) {
    for (std::size_t i = 1; i < table.entries.size(); ++i) {
        for (FieldDef& f : table.entries[i].Fields) {
            ControlTotal& t = f.total;
            if (!t.present()) continue;
            if (t.record == deleted || t.group == deleted) {
                t = {};
                continue;
            }
            t.record = tagAfterDelete(t.record, deleted);
            t.group = tagAfterDelete(t.group, deleted);
        }
    }
}

}  // namespace

bool hasChildRecords(const RecordDefTable& table, std::int32_t index) {
    if (index == 0 && table.hasDefinition()) return table[0].Child != 0;
    if (!isRecord(table, index)) return false;
    if (table[index].Child != 0) return true;
    for (std::int32_t i = 1; i <= table.maxIndex(); ++i) {
        if (i != index && table[i].Parent == index) return true;
    }
    return false;
}

bool isDescendant(const RecordDefTable& table, std::int32_t candidate, std::int32_t ancestor) {
    if (!isRecord(table, candidate) || !isRecord(table, ancestor)) return false;
    // A chain longer than the table has records must run in a circle; stop there.
    std::int32_t current = table[candidate].Parent;
    for (std::int32_t steps = 0; steps < table.maxIndex() && isRecord(table, current); ++steps) {
        if (current == ancestor) return true;
        current = table[current].Parent;
    }
    return false;
}

void settleChild(RecordDefTable& table, std::int32_t parent) {
    if (parent == 0 && table.hasDefinition()) {
        table[0].Child = 0;
        return;
    }
    if (!isRecord(table, parent)) return;
    auto namesParent = [&](std::int32_t i) {
        return isRecord(table, i) && i != parent && table[i].Parent == parent;
    };
    RecordDef& entry = table[parent];
    if (namesParent(entry.Child)) return;
    entry.Child = 0;
    for (std::int32_t i = table.maxIndex(); i >= 1; --i) {
        if (namesParent(i)) {
            entry.Child = i;
            return;
        }
    }
}

RecordDeletion deleteRecordEntry(RecordDefTable& table, std::int32_t index) {
    if (index < 0 || index > table.maxIndex()) return RecordDeletion::Invalid;
    if (hasChildRecords(table, index)) return RecordDeletion::Refused;
    if (index == 0) {
        table.clear();
        return RecordDeletion::DefinitionErased;
    }

    const std::int32_t parent = table[index].Parent;
    // Entries whose `Child` named the deleted record must name another child, or none, after.
    std::vector<std::int32_t> toSettle;
    if (parent != index) toSettle.push_back(tagAfterDelete(parent, index));
    for (std::int32_t i = 0; i <= table.maxIndex(); ++i) {
        if (i != index && i != parent && table[i].Child == index) {
            toSettle.push_back(tagAfterDelete(i, index));
        }
    }

    table.entries.erase(table.entries.begin() + index);
    for (std::size_t i = 1; i < table.entries.size(); ++i) {
        RecordDef& entry = table.entries[i];
        entry.Parent = tagAfterDelete(entry.Parent, index);
        entry.Child = tagAfterDelete(entry.Child, index);
    }
    followRecordsAfterDelete(table, index);
    for (std::int32_t i : toSettle) settleChild(table, i);
    return RecordDeletion::RecordDeleted;
}

std::int32_t positionAfter(const FieldDef& field) {
    return clampToInt32(static_cast<std::int64_t>(field.Pos) + field.Size);
}

bool DeleteFieldDef(RecordDef& record, std::int32_t k) {
    std::vector<FieldDef>& fields = record.Fields;
    if (k < 0 || static_cast<std::size_t>(k) >= fields.size()) return false;
    if (fields.size() == 1) {
        fields.clear();
        record.varying = {};
        return true;
    }
    const TableAnchor anchor = anchorOf(record);
    fields.erase(fields.begin() + k);
    renumberFrom(fields, static_cast<std::size_t>(k));
    // The first field of the table deleted: the table starts at the field after it.
    reanchor(record, anchor, [&](std::int64_t i) {
        return i == k && i != anchor.first ? -1 : i > k ? i - 1 : i;
    });
    return true;
}

bool MoveFieldDef(RecordDef& record, std::int32_t k, std::int32_t direction) {
    std::vector<FieldDef>& fields = record.Fields;
    const std::int64_t other = static_cast<std::int64_t>(k) + direction;
    if (fields.size() < 2 || (direction != -1 && direction != 1) || k < 0 || other < 0 ||
        static_cast<std::size_t>(k) >= fields.size() ||
        static_cast<std::size_t>(other) >= fields.size()) {
        return false;
    }
    const TableAnchor anchor = anchorOf(record);
    // The upper of the two keeps the start; the lower follows it.
    FieldDef& upper = fields[static_cast<std::size_t>(std::min<std::int64_t>(k, other))];
    FieldDef& lower = fields[static_cast<std::size_t>(std::max<std::int64_t>(k, other))];
    lower.Pos = upper.Pos;
    upper.Pos = positionAfter(lower);
    std::swap(upper, lower);
    reanchor(record, anchor, [&](std::int64_t i) { return i == k ? other : i == other ? k : i; });
    return true;
}

std::int32_t insertFieldDef(RecordDef& record, std::int32_t selectedRow, FieldDef field) {
    std::vector<FieldDef>& fields = record.Fields;
    const std::size_t k =
        std::min<std::size_t>(static_cast<std::size_t>(std::max(selectedRow, 0)), fields.size());
    for (std::size_t j = k; j < fields.size(); ++j) {
        fields[j].Pos = clampToInt32(static_cast<std::int64_t>(fields[j].Pos) + field.Size);
    }
    field.Pos = k == 0 ? 1 : positionAfter(fields[k - 1]);
    const TableAnchor anchor = anchorOf(record);
    fields.insert(fields.begin() + static_cast<std::ptrdiff_t>(k), std::move(field));
    reanchor(record, anchor,
             [&](std::int64_t i) { return i >= static_cast<std::int64_t>(k) ? i + 1 : i; });
    return static_cast<std::int32_t>(k);
}

bool changeFieldDef(RecordDef& record, std::int32_t k, const FieldDef& values) {
    std::vector<FieldDef>& fields = record.Fields;
    if (k < 0 || static_cast<std::size_t>(k) >= fields.size()) return false;
    const TableAnchor anchor = anchorOf(record);
    FieldDef& field = fields[static_cast<std::size_t>(k)];
    field.Name = values.Name;
    field.Type = values.Type;
    field.Size = values.Size;
    field.Dec = values.Dec;
    field.Memo = values.Memo;
    renumberFrom(fields, static_cast<std::size_t>(k) + 1);
    reanchor(record, anchor, [](std::int64_t i) { return i; });
    return true;
}

bool DeleteFieldDef(RecordDefTable& table, std::int32_t record, std::int32_t k) {
    if (!isRecord(table, record) || !DeleteFieldDef(table[record], k)) return false;
    followSummedFields(table, record, [k](std::int64_t i) {
        return i == k ? -1 : i > k ? i - 1 : i;
    });
    return true;
}

bool MoveFieldDef(RecordDefTable& table, std::int32_t record, std::int32_t k,
                  std::int32_t direction) {
    if (!isRecord(table, record) || !MoveFieldDef(table[record], k, direction)) return false;
    const std::int64_t other = static_cast<std::int64_t>(k) + direction;
    followSummedFields(table, record, [&](std::int64_t i) {
        return i == k ? other : i == other ? k : i;
    });
    return true;
}

std::int32_t insertFieldDef(RecordDefTable& table, std::int32_t record, std::int32_t selectedRow,
                            FieldDef field) {
    const std::int32_t k = insertFieldDef(table[record], selectedRow, std::move(field));
    followSummedFields(table, record, [k](std::int64_t i) { return i >= k ? i + 1 : i; });
    return k;
}

void setFieldCheck(RecordDef& record, std::int32_t k, bool ticked) {
    if (k < 0 || static_cast<std::size_t>(k) >= record.Fields.size()) return;
    record.Fields[static_cast<std::size_t>(k)].Check = ticked ? -1 : 0;
}

void setAllChecks(RecordDef& record, bool ticked) {
    for (FieldDef& field : record.Fields) field.Check = ticked ? -1 : 0;
}

}  // namespace sorvek
