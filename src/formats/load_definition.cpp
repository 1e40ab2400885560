#include "formats/load_definition.h"

#include "formats/rcdef_import.h"
#include "formats/trd_file.h"
#include "platform/codepage.h"

namespace sorvek {

bool isRcdefPath(const std::string& path) {
    std::u32string chars = toCodePoints(path);
    if (chars.size() < 6) return false;
    return asciiLower(fromCodePoints(chars.substr(chars.size() - 6))) == ".rcdef";
}

Status loadDefinition(const std::string& fullPath, RecordDefTable& table, FileSystem& files) {
    if (isRcdefPath(fullPath)) {
        // Only the definition file reader has a notice of its own; the reason an import failed
        // is not part of the import's messages.
        if (Status imported = importRcdef(fullPath, table, files); !imported) return Failure{};
        return {};
    }
    return readTrdFile(fullPath, table, files);
}

}  // namespace sorvek
