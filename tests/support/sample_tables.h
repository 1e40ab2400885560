#pragma once
// Small record-definition tables for the editor's tests.
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "model/record_def.h"

namespace sorvek::testing {

struct RecordSpec {
    RecordSpec(std::string n, std::int32_t p = 0, std::int32_t c = 0, std::int32_t s = 10,
               std::string code = "")
        : name(std::move(n)), parent(p), child(c), size(s), classCode(std::move(code)) {}
    std::string name;
    std::int32_t parent;
    std::int32_t child;
    std::int32_t size;
    std::string classCode;
};

// Entry 0 named "受注" with the given common length and class-code position, then the records.
inline RecordDefTable makeTable(std::initializer_list<RecordSpec> records,
                                std::int32_t fileSize = 0, std::string classPos = "") {
    RecordDefTable table;
    table.reset(1);
    table[0].Name = "受注";
    table[0].Size = fileSize;
    table[0].Class = std::move(classPos);
    table[0].Delimiter = ",";
    for (const RecordSpec& spec : records) {
        RecordDef record;
        record.Name = spec.name;
        record.Parent = spec.parent;
        record.Child = spec.child;
        record.Size = spec.size;
        record.Class = spec.classCode;
        table.entries.push_back(record);
    }
    return table;
}

// The loaded table 1 A, 2 B (child 3), 3 C (parent 2).
inline RecordDefTable abcTable() {
    return makeTable({{"A"}, {"B", 0, 3}, {"C", 2, 0}});
}

inline FieldDef field(std::string name, std::int32_t pos, std::int32_t size, std::string type = "X",
                      std::int32_t dec = 0) {
    return FieldDef{std::move(name), std::move(type), pos, size, dec, -1, ""};
}

// Fields at 1, 11, 21 with sizes 10, 10, 5.
inline RecordDef threeFields() {
    RecordDef record;
    record.Name = "R";
    record.Size = 25;
    record.Fields = {field("a", 1, 10), field("b", 11, 10), field("c", 21, 5)};
    return record;
}

inline std::vector<std::int32_t> positions(const RecordDef& record) {
    std::vector<std::int32_t> result;
    for (const FieldDef& f : record.Fields) result.push_back(f.Pos);
    return result;
}

inline std::vector<std::string> names(const RecordDef& record) {
    std::vector<std::string> result;
    for (const FieldDef& f : record.Fields) result.push_back(f.Name);
    return result;
}

}  // namespace sorvek::testing
