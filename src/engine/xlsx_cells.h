#pragma once
// What a workbook makes of the lines of record-to-CSV: the columns of a kind's sheet, the
// typed value of each field's text, and the names of the sheets. No workbook is touched here.
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "model/record_def.h"

namespace sorvek {

// The rows of one sheet at most, the title row included (the most a workbook's sheet holds).
inline constexpr std::uint32_t kXlsxRowsPerSheet = 1048576;

// One column of a kind's sheet: a marked field of the kind or of an ancestor.
struct XlsxColumn {
    std::string name;
    bool number = false;       // zoned, packed or binary: written as a number where it reads as one
    std::string numberFormat;  // numbers only: the field's digits and decimals ("00012.30" shape)
    double width = 8;          // in characters, from the field's size
};

// The columns of the lines of kind `leaf`, in the order of the line: the marked fields of its
// ancestors, top-level ancestor first, then its own.
std::vector<XlsxColumn> xlsxColumns(const RecordDefTable& table, int leaf);

// The number a field's text stands for, when it is one ("-00123.45", " 00012345"; leading blanks
// only, no exponent) and has at most 15 significant digits, which a cell keeps exactly; else
// nothing, and the text is written as text.
std::optional<double> xlsxNumber(std::string_view text);

// Names sheets: at most 31 characters, none of : \ / ? * [ ], not beginning or ending with an
// apostrophe, unique without regard to the case of ASCII letters.
class XlsxSheetNames {
  public:
    // `wanted` made a sheet's name as above; a name taken already gets " (2)", " (3)" and so on
    // (what the name is cut to, to make room). An empty name is "Sheet".
    std::string take(std::string_view wanted);
    // The name of the `n`th sheet of `base` (n ≥ 2), `base` as `take` returned it: "受注明細 (2)".
    std::string continuation(const std::string& base, int n);

  private:
    bool taken(const std::string& name) const;
    std::set<std::string> used_;  // ASCII letters lowered
};

}  // namespace sorvek
