#include "engine/record_walk.h"

#include "engine/rec2csv_definition_check.h"

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
    return checkRec2CsvDefinition(structure);
}

RecordLayout::RecordLayout(const RecordDefTable& table)
    : finder_(table), variableLength_(table[0].Size == 0), sizes_(table.entries.size(), 0) {
    sizes_[0] = static_cast<std::size_t>(variableLength_ ? table[1].Size : table[0].Size);
    lineBreaksFollow_ = !isEbcdic(table[0].codePage);
    longest_ = sizes_[0];
    for (std::size_t k = 1; k < sizes_.size(); ++k) {
        sizes_[k] = static_cast<std::size_t>(table[k].Size);
        longest_ = std::max(longest_, sizes_[k]);
    }
}

}  // namespace sorvek
