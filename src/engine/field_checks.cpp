#include "engine/field_checks.h"

#include <algorithm>

namespace sorvek {
FieldCheckPlan::FieldCheckPlan(const RecordDefTable& table)
    : ranges_(static_cast<std::size_t>(std::max(table.maxIndex(), 0)) + 1, {0, 0}) {
    for (int k = 1; k <= table.maxIndex(); ++k) {
        const RecordDef& record = table[static_cast<std::size_t>(k)];
        const std::size_t begin = checks_.size();
        for (std::size_t i = 0; i < record.Fields.size(); ++i) {
            const FieldDef& f = record.Fields[i];
            if (!fieldWithinRecord(f, record.Size)) {
                outside_.emplace_back(k, static_cast<int>(i));
                continue;
            }
            if (f.Check != -1) continue;
            FieldCheck check{static_cast<std::uint32_t>(f.Pos - 1),
                             static_cast<std::uint32_t>(f.Size),
                             fieldClass(f),
                             static_cast<int>(i),
                             0,
                             0};
            if (check.cls == FieldClass::Text) {
                for (const FieldDef& g : record.Fields) {
                    if (fieldClass(g) == FieldClass::Text && fieldWithinRecord(g, record.Size) &&
                        g.Pos + g.Size == f.Pos) {
                        check.beforeOffset = static_cast<std::uint32_t>(g.Pos - 1);
                        check.beforeSize = static_cast<std::uint32_t>(g.Size);
                    }
                }
            }
            checks_.push_back(check);
        }
        ranges_[static_cast<std::size_t>(k)] = {begin, checks_.size()};
    }
}

int FieldCheckPlan::kindOf(std::size_t index) const {
    for (std::size_t k = 1; k < ranges_.size(); ++k) {
        if (index >= ranges_[k].first && index < ranges_[k].second) return static_cast<int>(k);
    }
    return 0;
}

}  // namespace sorvek
