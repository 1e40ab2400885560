#pragma once
// The files of a record-to-CSV output split by record kind: one per kind that writes lines,
// named after the output and the kind.
#include <string>
#include <string_view>
#include <vector>

#include "model/record_def.h"

namespace sorvek {

struct KindFile {
    int kind = 0;      // table index
    std::string path;  // beside the output
};

// A kind's name as a part of a file name: each of / \ : * ? " < > | and each control character
// becomes "_"; an empty name becomes the record's number `kind`.
std::string safeKindName(std::string_view name, int kind);

// The files of `outputPath` split by the kinds of `table` that write lines (no `Child`), in
// table order: the kind's safe name put before the output's extension ("orders.csv" becomes
// "orders.受注明細.csv"; without an extension it is put at the end). A name that another kind
// already took is numbered from 2 ("orders.明細-2.csv").
std::vector<KindFile> kindFiles(const std::string& outputPath, const RecordDefTable& table);

}  // namespace sorvek
