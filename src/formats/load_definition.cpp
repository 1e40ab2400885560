#include "formats/load_definition.h"

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
    const bool rcdef = isRcdefPath(fullPath);
    Result<DefinitionText> read = readDefinitionText(fullPath, files);
    if (!read) {
        DefinitionLoadFailure failed;
        failed.reason = read.error().message;
        // A definition file that cannot be read is no definition file, as its reader says.
        if (!rcdef) {
            const Failure notice = notDefinitionFile(fullPath);
            failed.notice = notice.message;
            failed.noticeIcon = notice.icon;
        }
        return failed;
    }
    const Status loaded =
        rcdef ? importRcdefText(read->text, table)
              : readTrdDocument(fullPath, IniDocument::parseText(read->text), table);
    if (!loaded) {
        DefinitionLoadFailure failed;
        // Only the definition file reader has a notice of its own; the reason an import failed
        // is not part of the import's messages.
        if (!rcdef) {
            failed.notice = loaded.error().message;
            failed.noticeIcon = loaded.error().icon;
        }
        return failed;
    }
    return LoadedDefinition{read->encoding};
}

}  // namespace sorvek
