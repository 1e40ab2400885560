#pragma once
// Import of SEWB3 record-definition files (.rcdef): a record layout becomes a file definition
// (entry 0) and one record definition (entry 1) whose fields are the file's items.
//
// The file is CP932 text read line by line (CR LF, LF or CR); each line is told by its first four
// characters, its tag, and values are cut from fixed character positions:
//   RNUM  number of items (characters 6 to 9), in the header only
//   JPNM  name; DTNM second name (the name when JPNM gave none, and an item's memo)
//   ADSZ  size in bytes; ends the header, and ends each item
//   DTAT  type of an item (character 7); DALE decimal places (the digit after the first comma)
//   ANUM  repetition count of the next item or group of items; BULO byte position of an item
//   ENDT  end of the definition
// Other lines are ignored.
#include <cstdint>
#include <string>
#include <string_view>

#include "model/record_def.h"
#include "platform/files.h"

namespace sorvek {

// The most an import may produce: an expansion of repeated items beyond either limit fails, so
// that a damaged file cannot exhaust memory.
inline constexpr std::int64_t kMaxImportedFields = 100000;
inline constexpr std::int64_t kMaxExpandedTextBytes = 16 << 20;  // names, types and memos

// Imports the SEWB3 file at `path` into `table`, which it resets to two cleared entries first.
// The file is read as readDefinitionText reads it (a regular file of at most 64 MiB, CP932 or
// UTF-8).
// Entry 0 gets the record's name and size, no class code, the delimiter "," and a title line;
// entry 1 the same name and size and one field per kept item, repeated items and groups expanded
// into one field per repetition (names suffixed "(1)", "(2)", ...; positions consecutive).
// Items without a type (group items) and items whose position does not continue the previous
// field (redefinitions) are not kept.
// Fails when the file cannot be read (with the reason it could not be read) or holds problems:
// a repetition count, item count, position or size that is no number (or, a count, negative), an
// item after the last slot of the item count or before any item count, a number outside the
// 32-bit range; the lines after a problem are still read, and the reason lists every problem as
// LineProblems does ("行 N: <reason>"). An expansion beyond one of the limits above stops the
// import with its line. A file in which no field is kept fails with an empty reason of its own.
// The table then holds what was filled so far.
Status importRcdef(const std::string& path, RecordDefTable& table,
                   FileSystem& files = osFileSystem());

// The same for the text of a SEWB3 file already read (UTF-8).
Status importRcdefText(std::string_view text, RecordDefTable& table);

}  // namespace sorvek
