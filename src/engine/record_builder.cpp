#include "engine/record_builder.h"

#include <algorithm>
#include <cstring>

#include "engine/record_kind_finder.h"
#include "engine/short_bytes.h"
#include "platform/codepage.h"
#include "platform/ebcdic_decoder.h"
#include "platform/number_text.h"

namespace sorvek {
namespace {

// The class code of a kind in the page's bytes, as the conversion compares it; "" where it
// cannot be one byte per character.
std::string classBytesOf(const std::string& code, InputCodePage page) {
    if (code.empty()) return {};
    if (isEbcdic(page)) {
        std::string bytes = EbcdicDecoder::get(page).fromUtf8(code);
        return bytes.size() == characterCount(code) ? bytes : std::string();
    }
    if (isAsciiText(code)) return code;
    std::string bytes = utf8ToCp932(code);
    return bytes.size() == characterCount(code) && cp932ToUtf8(bytes) == code ? bytes
                                                                              : std::string();
}

Failure refused(std::string why) {
    return failure("このレコード定義からはレコードを作れません。\n" + std::move(why),
                   FailureKind::InvalidDefinition);
}

}  // namespace

Result<RecordBuilder> RecordBuilder::make(const RecordDefTable& table, const ValueTextForm& form,
                                          const CsvOutputOptions& options) {
    RecordBuilder b;
    const std::size_t kinds = static_cast<std::size_t>(table.maxIndex()) + 1;
    b.kinds_.resize(kinds);
    b.classes_.resize(kinds);
    b.last_.resize(kinds);
    b.lastState_.assign(kinds, Last::None);
    b.classCodes_ = !table[0].Class.empty();
    if (b.classCodes_) b.classPos_ = static_cast<std::uint32_t>(*parseInt32(table[0].Class) - 1);
    const bool ebcdic = isEbcdic(form.page);
    std::size_t longest = 0;
    for (std::size_t k = 1; k < kinds; ++k) {
        const RecordDef& record = table[k];
        KindPlan& plan = b.kinds_[k];
        const auto size = static_cast<std::size_t>(record.Size);
        longest = std::max(longest, size);
        plan.blank.assign(size, ebcdic ? 0x40 : ' ');
        for (const FieldDef& f : record.Fields) {
            if (f.Check != -1) FieldEncoding(f, form, options).fill(plan.blank.data() + f.Pos - 1);
        }
        if (b.classCodes_) b.classes_[k] = classBytesOf(record.Class, form.page);
        const std::string& code = b.classes_[k];
        if (!code.empty() && b.classPos_ + code.size() <= size) {
            std::memcpy(plan.blank.data() + b.classPos_, code.data(), code.size());
        }
        for (const FieldDef& f : record.Fields) {
            if (f.Check != -1) continue;
            const auto begin = static_cast<std::uint32_t>(f.Pos - 1);
            if (!code.empty() && plan.classField < 0 && begin <= b.classPos_ &&
                b.classPos_ + code.size() <= begin + static_cast<std::uint32_t>(f.Size)) {
                plan.classField = static_cast<int>(plan.fields.size());
                plan.classOffset = b.classPos_ - begin;
            }
            if (record.varying.present() &&
                &f == &record.Fields[static_cast<std::size_t>(record.varying.counter - 1)]) {
                plan.counterField = plan.fields.size();
            }
            plan.fields.emplace_back(f, form, options);
            plan.names.push_back(f.Name);
        }
        if (record.varying.present()) {
            const FieldDef& counter =
                record.Fields[static_cast<std::size_t>(record.varying.counter - 1)];
            if (counter.Check != -1) {
                return failure(
                    "表の回数のフィールドを出力しないレコード定義からはレコードを"
                    "作れません。\nレコード = " +
                        record.Name + "\nフィールド = " + counter.Name,
                    FailureKind::InvalidDefinition);
            }
            plan.layout = VaryingLayout(record, ebcdic);
        }
        for (int r = static_cast<int>(k); r != 0; r = table[static_cast<std::size_t>(r)].Parent) {
            plan.chain.insert(plan.chain.begin(), r);
        }
        plan.line = record.Child == 0;
    }
    b.addShapes();
    if (Status alike = b.checkShapes(table); !alike) return alike.error();
    if (hasControlTotals(table)) b.planTotals(table, form, options);
    b.records_.resize(kinds);
    b.lengths_.resize(kinds);
    for (std::size_t k = 1; k < kinds; ++k) b.records_[k].resize(b.kinds_[k].blank.size());
    b.probe_.resize(longest);
    return b;
}

void RecordBuilder::addShapes() {
    for (std::size_t k = 1; k < kinds_.size(); ++k) {
        KindPlan& plan = kinds_[k];
        for (int r : plan.chain) {
            if (!kinds_[static_cast<std::size_t>(r)].fields.empty()) plan.markedChain.push_back(r);
        }
        // Without class codes every record is of the first kind.
        if (!plan.line || (!classCodes_ && k != 1)) continue;
        std::size_t count = 0;
        for (std::size_t g = 1; g <= plan.markedChain.size(); ++g) {
            const int r = plan.markedChain[plan.markedChain.size() - g];
            count += kinds_[static_cast<std::size_t>(r)].fields.size();
            shapes_.push_back({static_cast<int>(k), g, count});
        }
    }
    // A line that holds all its generations before one that leaves the top ones out, which only
    // lines before the first record of an ancestor do.
    std::stable_partition(shapes_.begin(), shapes_.end(), [this](const Shape& s) {
        return s.generations == kinds_[static_cast<std::size_t>(s.kind)].markedChain.size();
    });
}

Status RecordBuilder::checkShapes(const RecordDefTable& table) const {
    // Lines of as many values are told apart by the class codes their own records hold.
    for (const Shape& a : shapes_) {
        for (const Shape& s : shapes_) {
            if (&a == &s || a.count != s.count || a.kind >= s.kind) continue;
            const KindPlan& pa = kinds_[static_cast<std::size_t>(a.kind)];
            const KindPlan& ps = kinds_[static_cast<std::size_t>(s.kind)];
            const std::string& na = table[static_cast<std::size_t>(a.kind)].Name;
            const std::string& ns = table[static_cast<std::size_t>(s.kind)].Name;
            if (pa.classField < 0 || ps.classField < 0) {
                return refused(
                    "レコード「" + na + "」と「" + ns + "」の行は項目の数が同じ (" +
                    std::to_string(a.count) +
                    ") で、識別区分を含む出力項目がないため、行の種類を決められません。");
            }
            if (classes_[static_cast<std::size_t>(a.kind)] ==
                classes_[static_cast<std::size_t>(s.kind)]) {
                return refused(
                    "レコード「" + na + "」と「" + ns +
                    "」は識別区分が同じで、行の項目の数も同じため、行の種類を決められません。");
            }
        }
    }
    return {};
}

bool RecordBuilder::takesValueCount(std::size_t count) const {
    return std::any_of(shapes_.begin(), shapes_.end(),
                       [&](const Shape& s) { return s.count == count; });
}

bool RecordBuilder::classMatches(const Shape& shape, const std::vector<std::string_view>& values) {
    const KindPlan& plan = kinds_[static_cast<std::size_t>(shape.kind)];
    const std::string& code = classes_[static_cast<std::size_t>(shape.kind)];
    if (plan.classField < 0) return false;
    const std::size_t column =
        shape.count - plan.fields.size() + static_cast<std::size_t>(plan.classField);
    const FieldEncoding& field = plan.fields[static_cast<std::size_t>(plan.classField)];
    if (!field.encode(values[column], probe_.data(), scratch_, why_)) return false;
    return std::memcmp(probe_.data() + plan.classOffset, code.data(), code.size()) == 0;
}

std::optional<RecordBuilder::ValueFailure> RecordBuilder::encodeRecord(
    int kind, const std::vector<std::string_view>& values, std::size_t first) {
    const auto k = static_cast<std::size_t>(kind);
    const KindPlan& plan = kinds_[k];
    std::vector<unsigned char>& record = records_[k];
    copyRecordBytes(record.data(), plan.blank.data(), plan.blank.size());
    if (totals_) [[unlikely]] {
        std::fill(totals_->empty[k].begin(), totals_->empty[k].end(), false);
    }
    for (std::size_t i = 0; i < plan.fields.size(); ++i) {
        const FieldEncoding& field = plan.fields[i];
        if (totals_ && values[first + i].empty()) [[unlikely]] {
            // A total left empty is filled once the records before it are known.
            const int slot = totals_->slotOfValue[k][i];
            if (slot >= 0) {
                totals_->empty[k][static_cast<std::size_t>(slot)] = true;
                continue;
            }
        }
        if (!field.encode(values[first + i], record.data() + field.offset(), scratch_, why_)) {
            return ValueFailure{first + i + 1, plan.names[i], why_};
        }
    }
    lengths_[k] = record.size();
    if (plan.layout.used()) {
        // Only the occurrences the counter says are written.
        const std::optional<std::int64_t> count = plan.layout.counter(record.data());
        if (!count || !plan.layout.inRange(*count)) {
            return ValueFailure{first + plan.counterField + 1, plan.names[plan.counterField],
                                "表の回数の範囲 (" + std::to_string(plan.layout.min()) + " ～ " +
                                    std::to_string(plan.layout.max()) + ") にありません。"};
        }
        lengths_[k] = plan.layout.compact(record.data(), static_cast<std::uint32_t>(*count));
    }
    return std::nullopt;
}

std::optional<RecordBuilder::ValueFailure> RecordBuilder::build(
    const std::vector<std::string_view>& values, const Emit& emit) {
    std::size_t candidates = 0;
    for (const Shape& s : shapes_) candidates += s.count == values.size() ? 1 : 0;
    if (candidates == 0) {
        return ValueFailure{
            0,
            {},
            "値の数 (" + std::to_string(values.size()) + ") がどのレコードの行とも合いません。"};
    }
    // Lines of as many values are told by their class codes. A value of one kind may hold the
    // code of another where that one has its class code: the line is then the first kind whose
    // code it holds that takes all its values.
    std::optional<ValueFailure> firstRefusal;
    for (const Shape& s : shapes_) {
        if (s.count != values.size() || (candidates > 1 && !classMatches(s, values))) continue;
        std::optional<ValueFailure> bad = makeRecords(s, values);
        if (!bad && totals_) bad = settleTotals();
        if (!bad) {
            emitMade(values, emit);
            return std::nullopt;
        }
        if (!firstRefusal) firstRefusal = std::move(bad);
    }
    if (firstRefusal) return firstRefusal;
    return ValueFailure{0, {}, "どのレコードの識別区分とも合いません。"};
}

std::optional<RecordBuilder::ValueFailure> RecordBuilder::makeRecords(
    const Shape& shape, const std::vector<std::string_view>& values) {
    const KindPlan& leaf = kinds_[static_cast<std::size_t>(shape.kind)];
    // The generations of the line, top first: from the highest marked generation it holds down
    // to its own kind, with the kinds without written fields between them.
    const int top = leaf.markedChain[leaf.markedChain.size() - shape.generations];
    const auto topAt = std::find(leaf.chain.begin(), leaf.chain.end(), top);
    // Each generation's record is made in its kind's own memory and handed on only when all of
    // them were made: a line makes all of its records or none.
    made_.clear();
    std::size_t column = 0;
    bool changed = false;
    // An ancestor above was read apart from its last record: whether the records from there on
    // are written is decided with the lines before.
    bool doubted = false;
    for (auto it = topAt; it != leaf.chain.end(); ++it) {
        const int r = *it;
        const auto k = static_cast<std::size_t>(r);
        const KindPlan& plan = kinds_[k];
        const std::size_t first = column;
        column += plan.fields.size();
        Doubt doubt = Doubt::None;
        if (r != shape.kind && !changed) {
            if (lastState_[k] == Last::Unknown && !plan.fields.empty()) {
                doubted = true;
                doubt = Doubt::Compare;
            } else {
                bool same = lastState_[k] == Last::Known && last_[k].size() == plan.fields.size();
                for (std::size_t i = 0; same && i < plan.fields.size(); ++i) {
                    const std::string& last = last_[k][i];
                    const std::string_view value = values[first + i];
                    same = last.size() == value.size() &&
                           sameShort(last.data(), value.data(), value.size());
                }
                // A kind without written fields of its own is new with the generation above it.
                if (same || plan.fields.empty()) {
                    if (!doubted) continue;
                    doubt = Doubt::Follow;
                }
            }
        }
        changed = changed || doubt == Doubt::None;
        if (auto bad = encodeRecord(r, values, first)) return bad;
        made_.push_back({r, first, doubt});
    }
    return std::nullopt;
}

void RecordBuilder::emitMade(const std::vector<std::string_view>& values, const Emit& emit) {
    bool lineStarts = true;
    std::size_t pending = 0;
    for (std::size_t at = 0; at < made_.size(); ++at) {
        const Made& m = made_[at];
        while (totals_ && pending < totals_->pending.size() &&
               totals_->pending[pending].before == at) {
            const Pending& p = totals_->pending[pending++];
            emit(p.kind, p.bytes.data(), p.bytes.size(), kAlways);
        }
        const auto k = static_cast<std::size_t>(m.kind);
        const KindPlan& plan = kinds_[k];
        std::size_t condition = kAlways;
        if (m.doubt != Doubt::None) {
            condition = conditions_.size();
            conditions_.push_back({m.kind, m.doubt, lineStarts});
            lineStarts = false;
        }
        emit(m.kind, records_[k].data(), lengths_[k], condition);
        // Only the values of kinds with children are looked at again, by the next line.
        if (plan.line) continue;
        if (m.doubt == Doubt::Compare) {
            firstGiven_[k].assign(
                values.begin() + static_cast<std::ptrdiff_t>(m.first),
                values.begin() + static_cast<std::ptrdiff_t>(m.first + plan.fields.size()));
        }
        last_[k].resize(plan.fields.size());
        for (std::size_t i = 0; i < plan.fields.size(); ++i)
            last_[k][i].assign(values[m.first + i]);
        lastState_[k] = Last::Known;
    }
}

void RecordBuilder::startApart() {
    std::fill(lastState_.begin(), lastState_.end(), Last::Unknown);
    firstGiven_.assign(kinds_.size(), {});
    conditions_.clear();
}

std::vector<bool> RecordBuilder::resolve(const Lasts& before) const {
    std::vector<bool> holds(conditions_.size());
    bool changed = false;
    for (std::size_t c = 0; c < conditions_.size(); ++c) {
        const Condition& condition = conditions_[c];
        if (condition.lineStarts) changed = false;
        if (condition.doubt == Doubt::Compare && !changed) {
            const auto k = static_cast<std::size_t>(condition.kind);
            changed = k >= before.size() || !before[k] || *before[k] != firstGiven_[k];
        }
        holds[c] = changed;
    }
    return holds;
}

RecordBuilder::Lasts RecordBuilder::lastsAfter(Lasts before) const {
    before.resize(kinds_.size());
    for (std::size_t k = 1; k < kinds_.size(); ++k) {
        if (lastState_[k] == Last::Known) before[k] = last_[k];
        if (lastState_[k] == Last::None) before[k].reset();
    }
    return before;
}

}  // namespace sorvek
