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

bool loadDefinition(const std::string& fullPath, RecordDefTable& table, Messages& messages,
                    FileSystem& files) {
    if (isRcdefPath(fullPath)) return importRcdef(fullPath, table, files);
    return readTrdFile(fullPath, table, messages, files);
}

}  // namespace sorvek
