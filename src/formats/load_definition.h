#pragma once
#include <string>

#include "model/record_def.h"
#include "platform/files.h"

namespace sorvek {

// True when the last six characters of `path` are ".rcdef" in any letter case: such a file is
// imported as a SEWB3 definition, any other is read as a definition file.
bool isRcdefPath(const std::string& path);

// Fills `table` from the definition file or SEWB3 file at `fullPath`. The caller has reset the
// table to two cleared entries. A failure's message, when not empty, is the reader's own notice
// (a file that is no definition file), shown before the caller's message.
Status loadDefinition(const std::string& fullPath, RecordDefTable& table,
                      FileSystem& files = osFileSystem());

}  // namespace sorvek
