#pragma once
// The findings about the records of a file read through a definition: the visitor of the record
// walk that the inspection hands every record to, and that keeps counts and the first places
// of everything worth telling.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/field_checks.h"
#include "engine/inspection_report.h"
#include "engine/record_framing.h"
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
    void record(const FramedRecord& r) {
        const std::int64_t offset = r.offset;
        const std::int64_t number = r.number;
        if (lineBreaksFollow_ && (r.data[0] == '\r' || r.data[0] == '\n')) [[unlikely]] {
            out_.extraLineBreaks.add(offset, number);
        }
        const int kind = r.kind;
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
        if (!plan_.screenPasses(kind, r.bytes)) {
            checkFields(kind, r.bytes, r.dataOffset, number,
                        r.bytes == r.data ? SIZE_MAX : r.length);
        }
    }
    void stopped(std::int64_t offset, std::int64_t number);
    void fault(FramingFault fault, const std::string& message, std::int64_t offset,
               std::int64_t number);

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
    // `reach`: the bytes of a record filled up to its kind's length that are its own; fields
    // beyond them are not judged.
    void checkFields(int kind, const unsigned char* bytes, std::int64_t offset, std::int64_t number,
                     std::size_t reach) {
        std::size_t index = plan_.firstIndex(kind);
        for (const FieldCheck& c : plan_.checks(kind)) {
            if (c.offset + c.size > reach) [[unlikely]] {
                ++index;
                continue;
            }
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
    bool lineBreaksFollow_;                // a CR or LF may follow a record
    std::vector<Occurrences> invalid_;     // by check index
    std::vector<Occurrences> splitEnd_;    // by check index
    std::vector<Occurrences> splitStart_;  // by check index
};

}  // namespace sorvek
