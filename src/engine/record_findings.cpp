#include "engine/record_findings.h"

#include <algorithm>

#include "platform/ebcdic_decoder.h"

namespace sorvek {

RecordFindingsCollector::RecordFindingsCollector(const RecordDefTable& table,
                                                 const FieldCheckPlan& plan,
                                                 DefinitionFindings& out)
    : table_(table),
      plan_(plan),
      out_(out),
      lineage_(table),
      loneKinds_(true),
      lineBreaksFollow_(RecordFraming(table).lineBreaksFollow()),
      invalid_(plan.checkCount()),
      splitEnd_(plan.checkCount()),
      splitStart_(plan.checkCount()) {
    const std::size_t kinds = table.entries.size();
    out_.recordsCut = true;
    out_.recordsByKind.assign(kinds, 0);
    out_.childBeforeParent.assign(kinds, {});
    out_.recordsWithoutLine.assign(kinds, {});
    for (const auto& [kind, field] : plan.outside()) {
        out_.fieldsOutside.push_back({kind, field, {}});
    }
    layouts_.resize(kinds);
    for (std::size_t k = 1; k < kinds; ++k) {
        loneKinds_ = loneKinds_ && table[k].Parent == 0 && table[k].Child == 0;
        layouts_[k] = VaryingLayout(table[k], isEbcdic(table[0].codePage));
    }
    if (hasControlTotals(table)) totals_.emplace(table);
    out_.titleLine = table[0].TitleLine;
    if (out_.titleLine) out_.linesWritten = 1;
    addHalfWidthChecks(table);
}

void RecordFindingsCollector::addHalfWidthChecks(const RecordDefTable& table) {
    ebcdic_ = isEbcdic(table[0].codePage);
    halfWidth_.resize(table.entries.size());
    for (std::size_t k = 1; k < table.entries.size(); ++k) {
        const std::vector<FieldDef>& fields = table[k].Fields;
        for (std::size_t i = 0; i < fields.size(); ++i) {
            const FieldDef& f = fields[i];
            if (f.width == CharacterWidth::Any || !fieldWithinRecord(f, table[k].Size)) continue;
            halfWidth_[k].push_back({static_cast<int>(i),
                                     static_cast<std::uint32_t>(f.Pos - 1),
                                     static_cast<std::uint32_t>(f.Size),
                                     {}});
        }
    }
}

void RecordFindingsCollector::checkHalfWidth(const FramedRecord& r) {
    const auto k = static_cast<std::size_t>(r.kind);
    const VaryingLayout& layout = layouts_[k];
    for (HalfWidthCheck& c : halfWidth_[k]) {
        if (c.offset + c.size > r.reach ||
            (r.present != VaryingLayout::kAll && layout.absent(c.offset, r.present))) {
            continue;
        }
        const unsigned char* f = r.bytes + c.offset;
        const unsigned char* end = f + c.size;
        const bool doubleByte = ebcdic_ ? std::find(f, end, EbcdicDecoder::kShiftOut) != end
                                        : std::any_of(f, end, isSjisLead);
        if (!doubleByte) continue;
        const std::int64_t shift =
            r.present == VaryingLayout::kAll
                ? 0
                : static_cast<std::int64_t>(layout.shift(c.offset, r.present));
        c.places.add(r.dataOffset - shift + c.offset, r.number, r.blockLeft);
    }
}

void RecordFindingsCollector::stopped(std::int64_t offset, std::int64_t number,
                                      std::uint32_t blockLeft) {
    out_.unknownKind.add(offset, number, blockLeft);
    out_.stopped = true;
    out_.stopOffset = offset;
    out_.stopRecord = number;
    out_.stopBlockLeft = blockLeft;
}

void RecordFindingsCollector::fault(FramingFault, const std::string& message, std::int64_t offset,
                                    std::int64_t number, std::uint32_t blockLeft) {
    out_.stopped = true;
    out_.stopOffset = offset;
    out_.stopRecord = number;
    out_.stopBlockLeft = blockLeft;
    out_.framingMessage = message;
}

void RecordFindingsCollector::finish(std::int64_t trailingBytes, std::int64_t trailingOffset,
                                     std::int64_t trailingRecord) {
    out_.trailingBytes = trailingBytes;
    out_.trailingOffset = trailingBytes > 0 ? trailingOffset : 0;
    out_.trailingRecord = trailingBytes > 0 ? trailingRecord : 0;
    lineage_.forEachUnused(
        [&](int kind, std::int64_t offset, std::int64_t number, std::uint32_t blockLeft) {
            out_.recordsWithoutLine[static_cast<std::size_t>(kind)].add(offset, number, blockLeft);
        });
    for (std::size_t i = 0; i < plan_.checkCount(); ++i) {
        const int kind = plan_.kindOf(i);
        const int field = plan_.check(i).field;
        if (invalid_[i].any()) out_.invalidFields.push_back({kind, field, invalid_[i]});
        if (splitStart_[i].any()) {
            out_.splitCharacters.push_back({kind, field, SplitAt::Start, splitStart_[i]});
        }
        if (splitEnd_[i].any()) {
            out_.splitCharacters.push_back({kind, field, SplitAt::End, splitEnd_[i]});
        }
    }
    for (std::size_t k = 1; k < halfWidth_.size(); ++k) {
        for (const HalfWidthCheck& c : halfWidth_[k]) {
            if (c.places.any()) {
                out_.fullWidthCharacters.push_back({static_cast<int>(k), c.field, c.places});
            }
        }
    }
}

void RecordFindingsCollector::checkTotals(const FramedRecord& r) {
    for (const ControlTotals::Disagreement& d : totals_->compare(r.kind, r.bytes)) {
        ++out_.wrongTotalCount;
        if (out_.wrongTotals.size() >= DefinitionFindings::kTotalFindingsKept) continue;
        const auto k = static_cast<std::size_t>(r.kind);
        const FieldDef& f = table_[k].Fields[d.field];
        out_.wrongTotals.push_back({r.kind, static_cast<int>(d.field), r.dataOffset + f.Pos - 1,
                                    r.number, d.expected, d.found});
    }
    totals_->add(r.kind, r.bytes);
}

bool DefinitionFindings::hasProblems() const {
    if (!definitionError.empty() || !recordsCut) return true;
    if (unknownKind.any() || stopped || trailingBytes > 0 || extraLineBreaks.any()) return true;
    for (const Occurrences& o : childBeforeParent) {
        if (o.any()) return true;
    }
    for (const Occurrences& o : recordsWithoutLine) {
        if (o.any()) return true;
    }
    return !invalidFields.empty() || !splitCharacters.empty() || !fieldsOutside.empty() ||
           wrongTotalCount > 0 || !fullWidthCharacters.empty();
}

}  // namespace sorvek
