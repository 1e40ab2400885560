#pragma once
// The preview of a delimited text on the definition page of the job that makes records of it:
// the first lines of the text read exactly as the CSV-to-records job reads them
// (engine/csv_record_lines.h), and the records each line makes shown as the preview shows the
// records of a file (each field's value, and its bytes on the ruler); a line that would stop the
// job is a row of its own that says where and why. Rebuilt from the bytes in memory after every
// edit, so it never reads the file itself.
#include <cstddef>

#include "editor/data_preview.h"
#include "model/record_def.h"

namespace sorvek {

// The rows of a text's preview and the bytes they lie in.
struct TextPreview {
    Preview preview;  // fromText
    // The bytes of the rows (PreviewRow::begin and length): each record made, and the text of
    // each line that makes none, one after another; `offset`, `firstRecord` and `fileSize` are
    // those of the text.
    PreviewSource rows;
};

// Builds the preview of `text`, a stretch of a text file that starts at a line (`offset`, its
// number in `firstRecord`, the file's first bytes in `fileStart`), through `table`. `columnKind`
// as buildPreview takes it. At most `maxRows` rows: one per record made, in the order the job
// writes them (`number` and `offset` those of its line, `kind` its kind, its cells as those of a
// record of the file); one per line that makes no record (kind 0, mark LineFails, one cell that
// names the value at fault, its field, why and the value), the lines after it read on.
TextPreview buildTextPreview(const RecordDefTable& table, const PreviewSource& text, int columnKind,
                             std::size_t maxRows = kPreviewRecords);

}  // namespace sorvek
