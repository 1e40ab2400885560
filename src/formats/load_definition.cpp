#include "formats/load_definition.h"

#include "formats/copybook_import.h"
#include "formats/definition_text.h"
#include "formats/rcdef_import.h"
#include "formats/trd_file.h"

namespace sorvek {

bool isRcdefPath(const std::string& path) {
    std::u32string chars = toCodePoints(path);
    if (chars.size() < 6) return false;
    return asciiLower(fromCodePoints(chars.substr(chars.size() - 6))) == ".rcdef";
}

DefinitionLoadResult loadDefinition(const std::string& fullPath, RecordDefTable& table,
                                    FileSystem& files) {
    const bool copybook = isCopybookPath(fullPath);
    const bool rcdef = isRcdefPath(fullPath) || copybook;
    Result<DefinitionText> read = readDefinitionText(fullPath, files);
    if (!read) {
        DefinitionLoadFailure failed;
        failed.kind = read.error().kind;
        failed.reason = read.error().reason;
        // A definition file that cannot be read is no definition file, as its reader says.
        if (!rcdef) failed.notice = notDefinitionFile(fullPath);
        return failed;
    }
    const Status loaded =
        copybook ? importCopybookText(read->text, table)
        : rcdef  ? importRcdefText(read->text, table)
                 : readTrdDocument(fullPath, IniDocument::parseText(read->text), table);
    if (!loaded) {
        DefinitionLoadFailure failed;
        failed.kind = loaded.error().kind;
        // Only the definition file reader has a notice of its own. An import's refusal names
        // the lines and what is wrong there, which the user needs to mend the file; a SEWB3 file
        // that holds no field has none.
        if (!rcdef) failed.notice = loaded.error();
        if (rcdef) failed.reason = loaded.error().reason;
        return failed;
    }
    LoadedDefinition loadedDefinition;
    loadedDefinition.encoding = read->encoding;
    // An import has no class-code position to give; a definition file has the one its user set.
    if (rcdef && table.kindsUntold()) {
        loadedDefinition.untoldKinds = static_cast<std::size_t>(table.maxIndex());
        loadedDefinition.firstKind = table[1].Name;
    }
    return loadedDefinition;
}

}  // namespace sorvek
