#include "definition/load_definition.h"

#include "platform/codepage.h"

namespace sorvek {

bool isRcdefPath(const std::string& path) {
    std::u32string chars = toCodePoints(path);
    if (chars.size() < 6) return false;
    return asciiLower(fromCodePoints(chars.substr(chars.size() - 6))) == ".rcdef";
}

bool loadDefinition(const std::string& fullPath, RecordDefTable& table, Messages& messages,
                    FileSystem& files) {
    // Definition files are not read yet.
    (void)fullPath;
    (void)table;
    (void)messages;
    (void)files;
    return false;
}

}  // namespace sorvek
