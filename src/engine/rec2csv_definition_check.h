#pragma once

#include "model/record_def.h"
#include "ports/status.h"

namespace sorvek {

// Checks that `table` can drive a record-to-CSV conversion: at least one record; entry 0's
// `Size` not negative; its `Class` (the class-code position) empty or a positive number; every
// record's `Size` 1 or more and its `Parent` 0 or another record, without a loop up the chain;
// every marked field (`Check` -1) within its record (`Pos` >= 1, `Size` >= 1, last byte within
// the record's `Size`) with `Dec` from 0 to `Size` for type "9" and to 2 × `Size` - 1 for type
// "P"; at least one record without a child (`Child` 0), since only those write lines; and every
// other `Child` naming a record whose `Parent` is this one. A refusal's message names the
// record by its name and its number ("レコード = D (2)", "レコード = (2)" without a name) and
// the field. Linear in the size of the table, however deep its tree. Changes
// nothing.
Status checkRec2CsvDefinition(const RecordDefTable& table);

}  // namespace sorvek
