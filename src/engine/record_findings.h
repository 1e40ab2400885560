#pragma once
// The findings about the records of a file read through a definition: the visitor of the record
// walk that the inspection hands every record to, and that keeps counts and the first places
// of everything worth telling.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/field_checks.h"
#include "engine/inspection_report.h"
#include "engine/record_lineage.h"
#include "model/record_def.h"

namespace sorvek {

class RecordFindingsCollector {
  public:
    // Fills `out` with the names of `table`, its fields outside their records and the title
    // line. REQUIRES: checkRecordStructure(table) passed; `plan` was made from `table`; both
    // outlive the collector.
    RecordFindingsCollector(const RecordDefTable& table, const FieldCheckPlan& plan,
                            DefinitionFindings& out);

    // The visitor of RecordCutter::cut (here, so that the walk's loop takes it in).
    void record(int kind, const unsigned char* bytes, std::size_t, std::int64_t offset,
                std::int64_t number) {
        if (bytes[0] == '\r' || bytes[0] == '\n') [[unlikely]] {
            out_.extraLineBreaks.add(offset, number);
        }
        if (kind == 0) [[unlikely]] {
            out_.unknownKind.add(offset, number);
            return;
        }
        const std::size_t k = static_cast<std::size_t>(kind);
        ++out_.recordsByKind[k];
        if (loneKinds_) {
            // One kind without parent or child: every record writes its line.
            ++out_.linesWritten;
        } else {
            followLineage(kind, offset, number);
        }
        if (!plan_.screenPasses(kind, bytes)) checkFields(kind, bytes, offset, number);
    }
    void stopped(std::int64_t offset, std::int64_t number);

    // After the last record: the incomplete last record, the records still waiting for a
    // child, and the tallies of the fields.
    void finish(std::int64_t trailingBytes, std::int64_t trailingOffset,
                std::int64_t trailingRecord);

  private:
    void followLineage(int kind, std::int64_t offset, std::int64_t number) {
        const RecordLineage::Step step = lineage_.record(kind, offset, number);
        if (step.writesLine) ++out_.linesWritten;
        if (step.childBeforeParent) [[unlikely]] {
            out_.childBeforeParent[static_cast<std::size_t>(kind)].add(offset, number);
        }
        if (step.replacedUnused) [[unlikely]] {
            out_.recordsWithoutLine[static_cast<std::size_t>(kind)].add(step.replacedOffset,
                                                                        step.replacedNumber);
        }
    }
    void checkFields(int kind, const unsigned char* bytes, std::int64_t offset,
                     std::int64_t number) {
        std::size_t index = plan_.firstIndex(kind);
        for (const FieldCheck& c : plan_.checks(kind)) {
            const unsigned char* f = bytes + c.offset;
            switch (c.cls) {
                case FieldClass::Packed:
                    if (!packedValid(f, c.size)) [[unlikely]] {
                        invalid_[index].add(offset + c.offset, number);
                    }
                    break;
                case FieldClass::Zoned:
                    if (!zonedValid(f, c.size)) [[unlikely]] {
                        invalid_[index].add(offset + c.offset, number);
                    }
                    break;
                case FieldClass::Text:
                    if (isSjisLead(f[c.size - 1]) && endSplitsCharacter(f, c.size)) {
                        splitEnd_[index].add(offset + c.offset, number);
                    }
                    if (c.beforeSize != 0 && isSjisLead(f[-1]) &&
                        endSplitsCharacter(bytes + c.beforeOffset, c.beforeSize)) {
                        splitStart_[index].add(offset + c.offset, number);
                    }
                    break;
            }
            ++index;
        }
    }

    const FieldCheckPlan& plan_;
    DefinitionFindings& out_;
    RecordLineage lineage_;
    bool loneKinds_;                       // no kind has a parent or a child
    std::vector<Occurrences> invalid_;     // by check index
    std::vector<Occurrences> splitEnd_;    // by check index
    std::vector<Occurrences> splitStart_;  // by check index
};

}  // namespace sorvek
