#pragma once
// The findings about the records of a file read through a definition: the visitor of the record
// walk that the inspection hands every record to, and that keeps counts and the first places
// of everything worth telling.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/control_totals.h"
#include "engine/field_checks.h"
#include "engine/inspection_report.h"
#include "engine/record_framing.h"
#include "engine/record_lineage.h"
#include "engine/varying_table.h"
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
        const std::uint32_t blockLeft = r.blockLeft;
        if (lineBreaksFollow_ && (r.data[0] == '\r' || r.data[0] == '\n')) [[unlikely]] {
            out_.extraLineBreaks.add(offset, number, blockLeft);
        }
        const int kind = r.kind;
        if (kind == 0) [[unlikely]] {
            out_.unknownKind.add(offset, number, blockLeft);
            return;
        }
        const std::size_t k = static_cast<std::size_t>(kind);
        ++out_.recordsByKind[k];
        if (loneKinds_) {
            // One kind without parent or child: every record writes its line.
            ++out_.linesWritten;
        } else {
            followLineage(kind, offset, number, blockLeft);
        }
        if (!plan_.screenPasses(kind, r.bytes)) {
            checkFields(kind, r.bytes, r.dataOffset, number, blockLeft, r.reach, r.present);
        }
        if (totals_) [[unlikely]] {
            checkTotals(r);
        }
        if (!halfWidth_[k].empty()) [[unlikely]]
            checkHalfWidth(r);
    }
    void stopped(std::int64_t offset, std::int64_t number, std::uint32_t blockLeft);
    void fault(FramingFault fault, const std::string& message, std::int64_t offset,
               std::int64_t number, std::uint32_t blockLeft);

    // After the last record: the incomplete last record, the records still waiting for a
    // child, and the tallies of the fields.
    void finish(std::int64_t trailingBytes, std::int64_t trailingOffset,
                std::int64_t trailingRecord);

  private:
    // Compares the totals the record holds with the records before it, then takes it in.
    void checkTotals(const FramedRecord& r);
    void followLineage(int kind, std::int64_t offset, std::int64_t number,
                       std::uint32_t blockLeft) {
        const RecordLineage::Step step = lineage_.record(kind, offset, number, blockLeft);
        if (step.writesLine) ++out_.linesWritten;
        if (step.childBeforeParent) [[unlikely]] {
            out_.childBeforeParent[static_cast<std::size_t>(kind)].add(offset, number, blockLeft);
        }
        if (step.replacedUnused) [[unlikely]] {
            out_.recordsWithoutLine[static_cast<std::size_t>(kind)].add(
                step.replacedOffset, step.replacedNumber, step.replacedBlockLeft);
        }
    }
    // `reach`: the bytes of a record filled up to its kind's length that are its own; fields
    // beyond them are not judged, nor those of the occurrences of its table it lacks
    // (`present` of them it holds), and the places of the fields after the table are where
    // they lie in the file.
    void checkFields(int kind, const unsigned char* bytes, std::int64_t dataOffset,
                     std::int64_t number, std::uint32_t blockLeft, std::size_t reach,
                     std::uint32_t present) {
        std::size_t index = plan_.firstIndex(kind);
        const VaryingLayout& layout = layouts_[static_cast<std::size_t>(kind)];
        for (const FieldCheck& c : plan_.checks(kind)) {
            if (c.offset + c.size > reach ||
                (present != VaryingLayout::kAll && layout.absent(c.offset, present))) [[unlikely]] {
                ++index;
                continue;
            }
            const std::int64_t offset =
                present == VaryingLayout::kAll
                    ? dataOffset
                    : dataOffset - static_cast<std::int64_t>(layout.shift(c.offset, present));
            const unsigned char* f = bytes + c.offset;
            switch (c.cls) {
                case FieldClass::Packed:
                    if (!packedValid(f, c.size)) [[unlikely]] {
                        invalid_[index].add(offset + c.offset, number, blockLeft);
                    }
                    break;
                case FieldClass::Zoned:
                    if (!zonedValid(f, c.size)) [[unlikely]] {
                        invalid_[index].add(offset + c.offset, number, blockLeft);
                    }
                    break;
                case FieldClass::Text:
                    if (isSjisLead(f[c.size - 1]) && endSplitsCharacter(f, c.size)) {
                        splitEnd_[index].add(offset + c.offset, number, blockLeft);
                    }
                    if (c.beforeSize != 0 && isSjisLead(f[-1]) &&
                        endSplitsCharacter(bytes + c.beforeOffset, c.beforeSize)) {
                        splitStart_[index].add(offset + c.offset, number, blockLeft);
                    }
                    break;
            }
            ++index;
        }
    }

    const RecordDefTable& table_;
    // Half-width fields: a check of each, by kind, and what it found.
    struct HalfWidthCheck {
        int field;
        std::uint32_t offset;  // 0-based in the record
        std::uint32_t size;
        Occurrences places;
    };
    void addHalfWidthChecks(const RecordDefTable& table);
    void checkHalfWidth(const FramedRecord& r);
    std::vector<std::vector<HalfWidthCheck>> halfWidth_;  // by kind
    bool ebcdic_ = false;

    const FieldCheckPlan& plan_;
    DefinitionFindings& out_;
    std::optional<ControlTotals> totals_;  // where the definition has control totals
    RecordLineage lineage_;
    bool loneKinds_;                       // no kind has a parent or a child
    bool lineBreaksFollow_;                // a CR or LF may follow a record
    std::vector<Occurrences> invalid_;     // by check index
    std::vector<Occurrences> splitEnd_;    // by check index
    std::vector<Occurrences> splitStart_;  // by check index
    std::vector<VaryingLayout> layouts_;   // by kind
};

}  // namespace sorvek
