#pragma once
// Record definitions made in memory, for the tests of the record-to-CSV conversion.
#include <string>
#include <vector>

#include "model/record_def.h"

namespace sorvek::testing {

// A field; `marked` fields are written to the output (`Check` -1).
inline FieldDef field(std::string name, std::string type, int pos, int size, int dec = 0,
                      bool marked = true) {
    FieldDef f;
    f.Name = std::move(name);
    f.Type = std::move(type);
    f.Pos = pos;
    f.Size = size;
    f.Dec = dec;
    f.Check = marked ? -1 : 0;
    return f;
}

inline FieldDef unmarked(std::string name, std::string type, int pos, int size) {
    return field(std::move(name), std::move(type), pos, size, 0, false);
}

// Entry 0: common record length (0 = variable), class-code position ("" = none).
inline RecordDef fileDefinition(int size, std::string classPos, std::string delimiter,
                                bool titleLine) {
    RecordDef d;
    d.Name = "定義";
    d.Size = size;
    d.Class = std::move(classPos);
    d.Delimiter = std::move(delimiter);
    d.TitleLine = titleLine;
    return d;
}

inline RecordDef recordDefinition(std::string name, int size, std::string classCode, int parent,
                                  int child, std::vector<FieldDef> fields) {
    RecordDef d;
    d.Name = std::move(name);
    d.Size = size;
    d.Class = std::move(classCode);
    d.Parent = parent;
    d.Child = child;
    d.Fields = std::move(fields);
    return d;
}

inline RecordDefTable makeTable(RecordDef file, std::vector<RecordDef> records) {
    RecordDefTable t;
    t.entries.push_back(std::move(file));
    for (RecordDef& r : records) t.entries.push_back(std::move(r));
    return t;
}

// The order example: header H (ORDERNO) with detail D (QTY), variable length, class code in
// column 1, comma, title line.
inline RecordDefTable orderExampleTable() {
    return makeTable(fileDefinition(0, "1", ",", true),
                     {recordDefinition("H", 6, "H", 0, 2,
                                       {unmarked("KIND", "X", 1, 1), field("ORDERNO", "9", 2, 5)}),
                      recordDefinition("D", 4, "D", 1, 0,
                                       {unmarked("KIND", "X", 1, 1), field("QTY", "9", 2, 3)})});
}

inline std::string bytesText(const std::vector<unsigned char>& b) {
    return std::string(b.begin(), b.end());
}

}  // namespace sorvek::testing
