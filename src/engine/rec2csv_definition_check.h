#pragma once

#include <cstdint>

#include "model/record_def.h"
#include "ports/status.h"

namespace sorvek {

// The longest record a definition may declare, and the most all its records may declare
// together. The memory of a conversion follows the declared lengths (a record's buffer, its
// line, the copies of parent records, the blank records of CSV→REC変換), not the bytes read, so a
// length beyond these is refused before any file is touched. Both are far above real records.
inline constexpr std::int64_t kMaxRecordLength = std::int64_t{64} << 20;
inline constexpr std::int64_t kMaxRecordLengthTotal = std::int64_t{256} << 20;

// Checks that `table` can drive a record-to-CSV conversion: at least one record; entry 0's
// `Size` not negative and no record's `Size` above kMaxRecordLength, nor all of them together
// above kMaxRecordLengthTotal; its `Class` (the class-code position) empty or a positive number up
// to kMaxRecordLength; every record's `Size` 1 or more and its `Parent` 0 or another record,
// without a loop up the chain; every marked field (`Check` -1) within its record (`Pos` >= 1,
// `Size` >= 1, last byte within the record's `Size`) with `Dec` from 0 to `Size` for type "9" and
// to 2 × `Size` - 1 for type "P"; control totals on numeric fields (9, P, BIN) within their
// record, naming a record, a numeric field of it to sum and a record that starts the groups;
// half-width marks on text fields ("X") only; a varying table that can be read (checkVaryingTable);
// at least one record without a child (`Child` 0), since only those write lines; and every other
// `Child` naming a record whose `Parent` is this one. A refusal's message names the record by its
// name and its number ("レコード = D (2)", "レコード = (2)" without a name) and the field. Linear
// in the size of the table, however deep its tree. Changes nothing.
Status checkRec2CsvDefinition(const RecordDefTable& table);

// The line that names record `index` in a refusal: its name, which may be empty or shared with
// another record, and its number, which tells it apart ("\nレコード = D (2)").
std::string refusedRecordLine(const RecordDefTable& table, int index);

}  // namespace sorvek
