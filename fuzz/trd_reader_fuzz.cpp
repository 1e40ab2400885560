// The definition file reader on any bytes: no crash, and whatever it accepts can be written and
// read again to the same file.
#include <cstddef>
#include <cstdint>

#include "formats/trd_file.h"
#include "support/memory_file_system.h"

using namespace sorvek;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    testing::MemoryFileSystem files;
    files.files["/fuzz/input.trd"].assign(reinterpret_cast<const char*>(data), size);
    RecordDefTable table;
    if (!readTrdFile("/fuzz/input.trd", table, files)) return 0;

    // A definition that was read has entry 0 and fields in every record, so it can be saved.
    if (!writeTrdFile("/fuzz/first.trd", table, files)) __builtin_trap();
    RecordDefTable back;
    if (!readTrdFile("/fuzz/first.trd", back, files)) __builtin_trap();
    if (back.entries.size() != table.entries.size()) __builtin_trap();
    if (!writeTrdFile("/fuzz/second.trd", back, files)) __builtin_trap();
    if (files.files["/fuzz/first.trd"] != files.files["/fuzz/second.trd"]) __builtin_trap();
    return 0;
}
