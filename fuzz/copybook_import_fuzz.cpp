// The COBOL copybook import on any text: no crash, no runaway expansion, and an imported
// definition has records with fields inside them, tables of varying length inside their records,
// and can be saved.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "formats/copybook_import.h"
#include "formats/rcdef_import.h"
#include "formats/trd_file.h"
#include "support/memory_file_system.h"

using namespace sorvek;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    RecordDefTable table;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (!importCopybookText(text, table).ok()) return 0;
    if (table.maxIndex() < 1) __builtin_trap();
    std::int64_t fields = 0;
    for (int k = 1; k <= table.maxIndex(); ++k) {
        const RecordDef& record = table[static_cast<std::size_t>(k)];
        for (const FieldDef& f : record.Fields) {
            if (f.Size < 1 || f.Pos < 1 || f.Type.empty()) __builtin_trap();
            if (static_cast<std::int64_t>(f.Pos) + f.Size - 1 > record.Size) __builtin_trap();
        }
        fields += static_cast<std::int64_t>(record.Fields.size());
        // A table of varying length lies inside the record, after its counter, a number.
        const VaryingTable& t = record.varying;
        if (t.present()) {
            if (t.counter < 1 || static_cast<std::size_t>(t.counter) > record.Fields.size()) {
                __builtin_trap();
            }
            const FieldDef& counter = record.Fields[static_cast<std::size_t>(t.counter - 1)];
            if (counter.Type != "9" && counter.Type != "P" && counter.Type != "BIN") {
                __builtin_trap();
            }
            if (counter.Pos + counter.Size > t.Pos || t.occurrenceSize < 1) __builtin_trap();
            if (t.min < 0 || t.min > t.max || t.end() - 1 > record.Size) __builtin_trap();
            if (table[0].Size != 0) __builtin_trap();
        }
    }
    // Each kind holds at most the expansion's limit of fields of its own.
    if (fields > kMaxImportedFields * table.maxIndex()) __builtin_trap();
    testing::MemoryFileSystem files;
    files.folders.insert("/fuzz");  // the folder the definition is saved in
    if (!writeTrdFile("/fuzz/layout.trd", table, files)) __builtin_trap();
    // What was saved reads back as it was.
    RecordDefTable back;
    if (!readTrdFile("/fuzz/layout.trd", back, files)) __builtin_trap();
    if (back.maxIndex() != table.maxIndex()) __builtin_trap();
    for (int k = 1; k <= table.maxIndex(); ++k) {
        const auto i = static_cast<std::size_t>(k);
        if (back[i].Fields != table[i].Fields) __builtin_trap();
    }
    return 0;
}
