// The control totals of the records a text makes: filled where left empty, checked where given,
// and the records of kinds that hold only totals and fixed values written at their groups' ends.
#include <algorithm>

#include "engine/record_builder.h"

namespace sorvek {

void RecordBuilder::planTotals(const RecordDefTable& table, const ValueTextForm& form,
                               const CsvOutputOptions& options) {
    Totals& t = totals_.emplace();
    t.tally.emplace(table);
    t.started = false;
    const std::size_t kinds = kinds_.size();
    t.slots.resize(kinds);
    t.slotOfValue.resize(kinds);
    t.empty.resize(kinds);
    t.groupOf.assign(kinds, 0);
    t.given.assign(kinds, false);
    t.kindNames.resize(kinds);
    std::vector<int> closedByGroups, closedByFile;
    for (std::size_t k = 1; k < kinds; ++k) {
        const RecordDef& record = table[k];
        t.kindNames[k] = record.Name;
        t.slotOfValue[k].assign(kinds_[k].fields.size(), -1);
        bool onlyTotalsAndFixed = record.Child == 0;
        bool groupTold = false;
        std::size_t written = 0;
        for (std::size_t j = 0; j < record.Fields.size(); ++j) {
            const FieldDef& f = record.Fields[j];
            const bool isWritten = f.Check == -1;
            if (f.total.present()) {
                if (isWritten) t.slotOfValue[k][written] = static_cast<int>(t.slots[k].size());
                t.slots[k].push_back({j, isWritten ? written : kNotWritten, f.Name,
                                      FieldEncoding(f, form, options)});
                if (!groupTold) t.groupOf[k] = f.total.group;
                groupTold = true;
            } else if (isWritten) {
                onlyTotalsAndFixed = false;
            }
            written += isWritten ? 1 : 0;
        }
        t.empty[k].assign(t.slots[k].size(), false);
        if (onlyTotalsAndFixed) {
            (t.groupOf[k] != 0 ? closedByGroups : closedByFile).push_back(static_cast<int>(k));
        }
    }
    t.selfWritten = closedByGroups;
    t.selfWritten.insert(t.selfWritten.end(), closedByFile.begin(), closedByFile.end());
}

std::optional<RecordBuilder::ValueFailure> RecordBuilder::fillTotals(int kind,
                                                                     unsigned char* record,
                                                                     const ControlTotals& tally,
                                                                     std::size_t first) {
    const auto k = static_cast<std::size_t>(kind);
    const std::vector<TotalSlot>& slots = totals_->slots[k];
    for (std::size_t i = 0; i < slots.size(); ++i) {
        const TotalSlot& s = slots[i];
        const bool fromLine = first != kNotWritten && s.written != kNotWritten;
        const bool given = fromLine && !totals_->empty[k][i];
        const std::size_t column = fromLine ? first + s.written + 1 : 0;
        // A failure away from any value names its record and field itself.
        const std::string where =
            column == 0 ? totals_->kindNames[k] + " の " + s.name + ": " : std::string();
        if (given) {
            if (std::optional<ControlTotals::Disagreement> d =
                    tally.compareField(kind, s.field, record)) {
                return ValueFailure{column, s.name,
                                    "集計が合いません (集計値 = " + d->expected + ")。"};
            }
            continue;
        }
        const std::optional<TotalValue> value = tally.expected(kind, s.field);
        if (!value) {
            return ValueFailure{column, s.name,
                                where + "集計できません。合計する値が大きすぎます。"};
        }
        const std::string text = totalText(*value);
        if (!s.encoding.encode(text, record + s.encoding.offset(), scratch_, why_)) {
            return ValueFailure{column, s.name,
                                where + "集計値 (" + text + ") がフィールドに入りません。" + why_};
        }
    }
    return std::nullopt;
}

std::optional<RecordBuilder::ValueFailure> RecordBuilder::settleTotals() {
    Totals& t = *totals_;
    // Worked on copies (kept, so that their memory is taken once): a line that fails leaves
    // the tallies as they were.
    if (!t.trial) {
        t.trial = t.tally;
    } else {
        *t.trial = *t.tally;
    }
    ControlTotals& tally = *t.trial;
    t.trialGiven = t.given;
    std::vector<bool>& given = t.trialGiven;
    bool started = t.started;
    t.pending.clear();
    for (std::size_t i = 0; i < made_.size(); ++i) {
        const int kind = made_[i].kind;
        // A record that starts groups closes them: the kinds written by themselves that a group
        // lacks are written before it.
        for (int a : t.selfWritten) {
            const auto ak = static_cast<std::size_t>(a);
            if (t.groupOf[ak] != kind) continue;
            if (started && !given[ak]) {
                std::vector<unsigned char> bytes = kinds_[ak].blank;
                if (auto bad = fillTotals(a, bytes.data(), tally, kNotWritten)) return bad;
                tally.add(a, bytes.data());
                t.pending.push_back({i, a, std::move(bytes)});
            }
            given[ak] = false;
        }
        unsigned char* record = records_[static_cast<std::size_t>(kind)].data();
        if (auto bad = fillTotals(kind, record, tally, made_[i].first)) return bad;
        tally.add(kind, record);
        given[static_cast<std::size_t>(kind)] = true;
        started = true;
    }
    std::swap(*t.tally, *t.trial);
    std::swap(t.given, t.trialGiven);
    t.started = started;
    return std::nullopt;
}

std::optional<RecordBuilder::ValueFailure> RecordBuilder::finish(const Emit& emit) {
    if (!totals_ || !totals_->started) return std::nullopt;
    Totals& t = *totals_;
    for (int a : t.selfWritten) {
        const auto ak = static_cast<std::size_t>(a);
        if (t.given[ak]) continue;
        std::vector<unsigned char> bytes = kinds_[ak].blank;
        if (auto bad = fillTotals(a, bytes.data(), *t.tally, kNotWritten)) return bad;
        t.tally->add(a, bytes.data());
        t.given[ak] = true;
        emit(a, bytes.data(), bytes.size(), kAlways);
    }
    return std::nullopt;
}

}  // namespace sorvek
