// The SEWB3 import on any bytes: no crash, no runaway expansion, and an imported definition is
// one record with fields that can be saved.
#include <cstddef>
#include <cstdint>

#include "formats/rcdef_import.h"
#include "formats/trd_file.h"
#include "support/memory_file_system.h"

using namespace sorvek;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    testing::MemoryFileSystem files;
    files.files["/fuzz/layout.rcdef"].assign(reinterpret_cast<const char*>(data), size);
    RecordDefTable table;
    const bool imported = importRcdef("/fuzz/layout.rcdef", table, files).ok();
    if (table.entries.size() != 2) __builtin_trap();
    if (!imported) return 0;
    const auto fields = static_cast<std::int64_t>(table[1].Fields.size());
    if (fields == 0 || fields > kMaxImportedFields) __builtin_trap();
    for (const FieldDef& f : table[1].Fields) {
        if (f.Check != -1 || f.Type.empty()) __builtin_trap();
    }
    if (!writeTrdFile("/fuzz/layout.trd", table, files)) __builtin_trap();
    return 0;
}
