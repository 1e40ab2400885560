#include "engine/record_walk.h"

#include "engine/rec2csv_definition_check.h"
#include "engine/varying_table.h"

namespace sorvek {

Status checkRecordStructure(const RecordDefTable& table) {
    // The definition check with no field written: what remains is what cutting needs.
    RecordDefTable structure;
    structure.entries.reserve(table.entries.size());
    for (const RecordDef& entry : table.entries) {
        RecordDef copy;
        copy.Name = entry.Name;
        copy.Size = entry.Size;
        copy.Class = entry.Class;
        copy.Parent = entry.Parent;
        copy.Child = entry.Child;
        structure.entries.push_back(std::move(copy));
    }
    if (Status cut = checkRec2CsvDefinition(structure); !cut) return cut;
    // A table's counter tells a record's length.
    for (int i = 1; i <= table.maxIndex(); ++i) {
        if (Status varying = checkVaryingTable(table, i); !varying) return varying;
    }
    return {};
}

}  // namespace sorvek
