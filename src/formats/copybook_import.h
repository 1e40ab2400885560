#pragma once
// Import of COBOL copybooks (.cpy, .cob, .cbl): the data description entries become record
// definitions, one per 01 level, with the fields at the offsets a compiler gives them.
//
// Source: fixed format (sequence area in columns 1-6, indicator in column 7: "*" and "/" make a
// comment line, "D" a debugging line that is left out, "-" continues the previous line; the
// text ends at column 72) or free format (no areas), told apart by the columns of the first
// entry; "*>" starts a comment in both. Entries end with a period.
//
// Entries: levels 01-49 with a name or FILLER (none counts as FILLER); 66, 77 and 88 are passed
// over. Clauses: PIC/PICTURE with X, A, 9, S, V, P, G, N and repeat counts ("X(10)"); an edited
// picture (Z . + - , * B 0 / $ CR DB) becomes a text field of its length; USAGE [IS] DISPLAY,
// COMP-3 / PACKED-DECIMAL, COMP / COMP-4 / BINARY (big-endian), COMP-5 (the writer's byte
// order), DISPLAY-1 / NATIONAL with PIC G or N; SIGN [IS] LEADING|TRAILING [SEPARATE
// [CHARACTER]]; OCCURS n [TIMES] and OCCURS [m TO] n [TIMES] DEPENDING [ON] counter [OF group]
// (with INDEXED BY and KEY IS phrases, which change nothing); REDEFINES; VALUE, JUSTIFIED,
// BLANK WHEN ZERO, GLOBAL and EXTERNAL change nothing. USAGE and SIGN of a group hold for the
// items in it.
//
// Types: text "X" (Dec 0), zoned "9", packed "P", binary "BIN" (2, 4 or 8 bytes for 1-4, 5-9
// and 10-18 digits; signed with S), double-byte "DBCS" (2 bytes a character). Decimal places are
// the 9s after V; P positions before the digits give a negative scale, after them a positive
// one (FieldDef::scale). A sign clause sets FieldDef::sign; a SEPARATE sign takes a byte.
#include <string>
#include <string_view>

#include "model/record_def.h"
#include "platform/files.h"
#include "ports/status.h"

namespace sorvek {

// True when `path` ends in ".cpy", ".cob" or ".cbl" (any letter case).
bool isCopybookPath(const std::string& path);

// Imports the copybook text `text` (UTF-8) into `table`, which it resets first.
// Entry 0: the first record's name, the common record length (0 when the records differ or a
// kind has a table of varying length), no class code, the delimiter "," and a title line.
// Entries 1..N: one per 01 level, in order, all without parent or child; each REDEFINES below an
// 01 adds a kind after its record, named "<record> (<redefining item>)", with the redefining
// item's fields in place of those it redefines: a REDEFINES inside an OCCURS in place of the
// redefined item's fields in every occurrence, a REDEFINES inside a redefining item in the
// redefining item's kind. A REDEFINES at the 01 level is a record of its own. FILLER fields are
// kept unmarked (Check 0), all others marked. OCCURS is expanded into one field per occurrence
// with the subscripts after the name: "AMOUNT(1)", nested "AMOUNT(1)(2)" (no comma, which would
// split the field's line in a definition file). A field's Memo is its picture and usage as
// written.
// OCCURS DEPENDING ON (at least m, 0 without "m TO") is expanded at its most occurrences, and
// the fields after it keep the places they have then; the kind's Size is its length then, and
// its `varying` says: `counter` the 1-based index of the counter's field in the kind's Fields,
// `Pos` the 1-based byte of the first occurrence, `occurrenceSize` the bytes of one, `min` m,
// `max` n. The counter is an elementary numeric item (zoned, packed or binary) of the same record
// before the table, in no OCCURS and no REDEFINES.
// Fails with "コピー句を読み込めません。" and, for every problem of the text in the order of its
// lines, a line feed and "行 N: <reason>" (at most 100, then "ほかに K 件の問題があります。"),
// leaving the table with entry 0 only. Problems: an unsupported clause (COMP-1, COMP-2, POINTER,
// INDEX, SYNCHRONIZED, RENAMES at another level), a picture that is none of the above (also two
// signs or points, a sign or point in text, digits after trailing P), a literal its line does
// not close, an elementary item without a picture, a REDEFINES of no earlier item of its level, a
// level that does not fit, no 01 level, a name a definition file cannot keep (a comma, a control
// character, a character beyond CP932 or a malformed sequence), an expansion beyond
// kMaxImportedFields fields; and of OCCURS DEPENDING ON: one inside another OCCURS or inside a
// REDEFINES, a second in one record, m greater than n, TO without DEPENDING, a counter that is
// not as above or not one item, a REDEFINES over the table or the counter.
Status importCopybookText(std::string_view text, RecordDefTable& table);

}  // namespace sorvek
