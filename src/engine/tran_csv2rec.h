#pragma once
#include <string>

#include "engine/engine_context.h"
#include "model/record_def.h"
#include "model/record_output_options.h"
#include "ports/status.h"

namespace sorvek {

// Makes records from delimited text, as `table` describes them: the way back of tranRec2Csv.
// Each line (RFC 4180: values in double quotes may hold the delimiter, line ends and doubled
// quotes; lines end with CR LF or LF) holds the written fields of a record of a kind without
// children and of its ancestors, top-level first; an ancestor's record is made when its values
// differ from the line before, then the line's own record. A line's kind is told by its number
// of values, or, where kinds share it, by the class code a written field holds. The title line
// is skipped where the definition has one; a UTF-8 byte order mark is taken as UTF-8.
//
// `table.output` says how the text was written (its encoding, how zoned signs were written);
// `records` how the records follow one another in a fixed-length file (back to back, or each
// followed by CR LF or LF) and the block size of records behind block descriptor words (the
// definition's record format). Bytes of no written field: the class code, blanks of the page,
// zeros for zoned fields, a packed zero.
//
// Fails before any file is touched for a definition that cannot be checked or whose lines cannot
// be told apart (InvalidDefinition), and with the files' failures as every job; a line that
// cannot be read or a value that cannot be held fails with its line, column, field and value
// (InvalidData), and the output is then left as it was. REQUIRES: absolute paths.
Status tranCsv2Rec(const std::string& inputPath, const std::string& outputPath,
                   RecordDefTable& table, const RecordOutputOptions& records,
                   EngineContext& context);

}  // namespace sorvek
