#pragma once
// The marks of fields that definition files keep in sections of their own, written only for
// fields that have one, so that a definition without them is written as it always was and
// readers that do not know the sections read the rest alike:
//
//   [Field Totals]      Field_i_j: the control total that field j of record i holds:
//                       count,record=Record_k[,group=Record_g]
//                       sum,record=Record_k,field=Field_m[,group=Record_g]
//                       (without group: over the whole file)
//   [Character Width]   Field_i_j: half-width, or half-width,upper-case
#include "formats/ini_profile.h"
#include "model/record_def.h"
#include "ports/status.h"

namespace sorvek {

// Reads the marks into the fields of `table`, whose records and fields are read already. A
// value that is none of the forms above fails (InvalidDefinition) with
// "集計項目の指定に誤りがあります。" or "文字幅の指定に誤りがあります。", a line feed and
// "key = value". Whether the record and field named exist is left to the definition check.
Status readFieldMarks(const IniDocument& doc, RecordDefTable& table);

// Writes the marks of the fields that have one.
void writeFieldMarks(IniDocument& doc, const RecordDefTable& table);

}  // namespace sorvek
