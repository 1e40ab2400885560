#pragma once
#include <cstddef>
#include <string>

#include "model/record_def.h"
#include "platform/codepage.h"
#include "platform/files.h"

namespace sorvek {

// True when the last six characters of `path` are ".rcdef" in any letter case: such a file is
// imported as a SEWB3 definition, any other is read as a definition file.
bool isRcdefPath(const std::string& path);

// A definition that was loaded, and how its file was written.
struct LoadedDefinition {
    TextEncoding encoding = TextEncoding::Cp932;
    // An import (a copybook's several layouts) gave kinds that nothing tells apart, there being
    // no class-code position (RecordDefTable::kindsUntold): how many, and the first one's name,
    // which every record is read as. 0 otherwise.
    std::size_t untoldKinds = 0;
    std::string firstKind;
};

// Why a load failed. The caller shows the notice, when there is one, and then its own message
// followed by the reason, when there is one.
struct DefinitionLoadFailure {
    // What a caller may act on: why the file could not be read (NotFound, ...), or what its
    // reader found (NotDefinitionFile, InvalidDefinition).
    FailureKind kind = FailureKind::InvalidDefinition;
    // The definition file reader's own notice (no reason: none): the file is no definition file
    // (kind NotDefinitionFile), or a value it holds cannot be used (InvalidDefinition).
    Failure notice;
    std::string reason;  // why the file could not be read ("ファイルが大きすぎます。")
};

using DefinitionLoadResult = Result<LoadedDefinition, DefinitionLoadFailure>;

// Fills `table` from the definition file, SEWB3 file or COBOL copybook (isCopybookPath) at
// `fullPath`, read as
// readDefinitionText reads it: only a regular file of at most 64 MiB, refused otherwise without
// being opened. The caller has reset the table to two cleared entries. A copybook's or a SEWB3
// file's refusal (the lines and the reasons, none for a SEWB3 file without any field) is the
// failure's `reason`.
DefinitionLoadResult loadDefinition(const std::string& fullPath, RecordDefTable& table,
                                    FileSystem& files = osFileSystem());

}  // namespace sorvek
