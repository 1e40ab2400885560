#include "formats/definition_text.h"

namespace sorvek {

Result<DefinitionText> readDefinitionText(const std::string& path, FileSystem& files) {
    Result<std::string> bytes = readRegularFile(files, path, kMaxDefinitionFileBytes);
    if (!bytes) return bytes.error();
    DefinitionText read;
    read.encoding = detectTextEncoding(*bytes);
    read.text = decodeText(*bytes, read.encoding);
    return read;
}

std::string utf8DefinitionNote(const std::string& path) {
    return path +
           " は UTF-8 のテキストとして読み込みました。保存するときは Shift-JIS (CP932) "
           "で書き込みます。";
}

}  // namespace sorvek
