// The INI profile parser on any bytes: no crash, and what is set reads back, also after the
// document was written out and parsed again.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "formats/ini_profile.h"
#include "support/memory_file_system.h"

using namespace sorvek;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    IniDocument doc = IniDocument::parse(bytes);
    (void)doc.get("Sorvek Trd File", "Function");
    (void)doc.get("File Property", "MaxRecordIndex");

    doc.set("Fuzz Section", "Key", "value");
    doc.set("File Property", "Name", " padded ");
    doc.set("Default", "Quoted", "\"q\"");
    if (doc.get("fuzz section", "KEY") != "value") __builtin_trap();
    const std::string written = doc.serialize();
    const IniDocument back = IniDocument::parse(written);
    if (back.get("Fuzz Section", "Key") != "value") __builtin_trap();
    if (back.get("File Property", "Name") != " padded ") __builtin_trap();
    if (back.get("Default", "Quoted") != "\"q\"") __builtin_trap();
    if (back.serialize() != written) __builtin_trap();

    testing::MemoryFileSystem files;
    files.files["/fuzz/settings.ini"] = std::string(bytes);
    if (!writeIniString("/fuzz/settings.ini", "History", "File0_0", "/a b/", files))
        __builtin_trap();
    if (readIniString("/fuzz/settings.ini", "history", "file0_0", files) != "/a b/")
        __builtin_trap();
    return 0;
}
