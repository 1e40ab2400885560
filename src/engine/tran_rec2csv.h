#pragma once
#include <string>

#include "engine/engine_context.h"
#include "model/record_def.h"

namespace sorvek {

// Converts a file of fixed-length records into delimited text, as `table` describes: an
// optional title line, then one line per record of a kind without a child (`Child` 0), each
// ended by CR LF. A record's kind is the first record definition whose class code equals the
// bytes at the class-code position (every record is kind 1 without a class-code position); a
// record may be followed by a CR, an LF or CR LF. A record of unknown kind is skipped in a
// fixed-length file and ends the conversion in a variable-length one (the lines before it are
// written). An incomplete last record is ignored.
//
// `table.output` says how the text is written: its encoding (CP932 as read, or UTF-8 with or
// without a byte order mark), quoting, trimming of text fields, the sign of zoned fields, what
// becomes of invalid packed digits (kept as ":" to "?", an empty field, or a failure naming the
// record number, the field's file offset and the field, after the lines before it), and CR LF
// or LF after each line. With every option off the output is fixed-width CP932 as always.
//
// The definition is checked first (checkRec2CsvDefinition); a refused one fails (kind
// InvalidDefinition) before any file is touched. `table` is changed: a delimiter of backslash and
// "t" becomes a TAB, and each record definition's `Data` holds the last record of its kind read in
// this run (cleared first). REQUIRES: absolute paths. Succeeds when the whole input was processed;
// fails with what went wrong: the files (as tranRecLen fails), or a stop in the data (kind
// InvalidData, the text naming the record) after the lines before it reached an output that takes
// them as they come.
Status tranRec2Csv(const std::string& inputPath, const std::string& outputPath,
                   RecordDefTable& table, EngineContext& context);

}  // namespace sorvek
