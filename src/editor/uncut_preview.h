#pragma once
// The preview of a file that no definition shown on the page cuts: its first lines as they are,
// so that the user sees the file itself and never records cut by a definition out of sight.
#include <cstddef>

#include "editor/data_preview.h"

namespace sorvek {

// Bytes of a line shown at most in one row; a longer line (or a file without line ends)
// continues in the next row.
inline constexpr std::size_t kUncutRowBytes = 256;

// Rows of `source` (from its start): each a line with its line end, or kUncutRowBytes bytes of
// one, of kind 0 with one cell holding its text read as CP932 (control codes as "."), numbered
// as rows from 1. At most `maxRows`. The status says that no definition cuts the file.
Preview uncutPreview(const PreviewSource& source, std::size_t maxRows = kPreviewRecords);

}  // namespace sorvek
