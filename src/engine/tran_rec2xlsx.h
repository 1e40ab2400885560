#pragma once
// Record-to-workbook: the lines of record-to-CSV as the sheets of an Excel workbook.
#include <cstdint>
#include <string>

#include "engine/engine_context.h"
#include "engine/xlsx_cells.h"
#include "model/record_def.h"
#include "ports/status.h"

namespace sorvek {

// Converts the records at `inputPath` into a workbook at `outputPath`: a sheet per record kind
// that writes lines (named after the kind), each with a frozen title row of the field names and
// a row per line; text fields are text cells, zoned, packed and binary fields numbers in a
// format of the field's digits and decimals, or text where the value is no number or has more
// than 15 significant digits. A sheet that reaches `rowsPerSheet` rows goes on in a sheet
// named "NAME (2)", and so on, each with its title row. The sheets are written with bounded
// memory (their rows through temporary files) into a temporary file, copied to the output,
// which is replaced only when the whole job succeeded; after any failure, a cancellation or a
// stop in the data it keeps what it held. The other output options apply to the fields' text as
// in a CSV output; the encoding, quoting, line end and title line options do not. REQUIRES:
// `table` passed the definition check; rowsPerSheet ≥ 2.
Status tranRec2Xlsx(const std::string& inputPath, const std::string& outputPath,
                    const RecordDefTable& table, EngineContext& context,
                    std::uint32_t rowsPerSheet = kXlsxRowsPerSheet);

}  // namespace sorvek
