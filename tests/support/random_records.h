#pragma once
// Random definitions and data files for the tests that hold the conversion of parts to the
// sequential run.
#include <random>
#include <string>

#include "model/record_def.h"
#include "support/record_tables.h"

namespace sorvek::testing {

// A random definition and data file: fixed or variable length, with or without class codes,
// header, detail and sub-detail kinds, records of unknown kind, line breaks or none after each
// record (and CR and LF bytes inside records), trailing bytes, and random output options.
struct RandomCase {
    RecordDefTable table;
    std::string input;
};

inline RandomCase randomCase(std::mt19937& rng) {
    auto pick = [&rng](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    const char* delimiters[] = {",", "", "||", "\t"};
    const char* types[] = {"X", "9", "P"};
    const bool classCodes = pick(4) != 0;
    const int fileSize = pick(2) ? 0 : 3 + pick(8);
    RandomCase c;
    c.table = makeTable(
        fileDefinition(fileSize, classCodes ? "2" : "", delimiters[pick(4)], pick(2) == 0), {});
    if (pick(2) == 0) {
        c.table.output = {static_cast<CsvEncoding>(pick(3)),
                          static_cast<CsvQuoting>(pick(3)),
                          pick(2) == 0,
                          static_cast<ZonedSign>(pick(3)),
                          static_cast<InvalidPacked>(pick(3)),
                          static_cast<CsvLineEnd>(pick(2))};
    }
    const int kindCount = classCodes ? 1 + pick(4) : 1;
    for (int k = 1; k <= kindCount; ++k) {
        const int size = 2 + pick(12);
        const int parent = k > 1 && pick(3) != 0 ? 1 + pick(k - 1) : 0;
        std::vector<FieldDef> fields = {unmarked("code", "X", 2, 1)};
        for (int n = pick(5); n > 0; --n) {
            const int pos = 1 + pick(size);
            const int fsize = 1 + pick(size - pos + 1);
            const std::string type = types[pick(3)];
            const int maxDec = type == "9" ? fsize : type == "P" ? 2 * fsize - 1 : 0;
            fields.push_back(
                field("f" + std::to_string(n), type, pos, fsize, pick(maxDec + 1), pick(4) != 0));
        }
        c.table.entries.push_back(recordDefinition("R" + std::to_string(k), size,
                                                   std::string(1, static_cast<char>('A' + k)),
                                                   parent, 0, fields));
        if (parent != 0) c.table[static_cast<std::size_t>(parent)].Child = k;
    }
    const char* breaks[] = {"", "\r\n", "\n", "\r"};
    const int records = pick(60);
    for (int n = 0; n < records; ++n) {
        // Now and then a kind no definition has: skipped, or the end of a variable-length run.
        const bool unknown = classCodes && pick(25) == 0;
        const int k = 1 + pick(kindCount);
        const int size = unknown ? (fileSize != 0 ? fileSize : 4) : c.table[k].Size;
        std::string rec;
        for (int i = 0; i < size; ++i) {
            rec += static_cast<char>(pick(3) ? '0' + pick(10) : pick(256));
        }
        if (classCodes) rec[1] = unknown ? 'Z' : static_cast<char>('A' + k);
        c.input += rec + breaks[pick(4)];
    }
    for (int n = pick(3) == 0 ? pick(6) : 0; n > 0; --n) c.input += static_cast<char>(pick(256));
    return c;
}

}  // namespace sorvek::testing
