#include "formats/rcdef_import.h"

#include <limits>
#include <optional>
#include <string_view>
#include <vector>

#include "formats/definition_text.h"
#include "formats/line_problems.h"
#include "platform/codepage.h"
#include "platform/number_text.h"

namespace sorvek {
namespace {

// Lines as code points: tags and values are cut at character positions.
std::vector<std::u32string> splitLines(std::u32string_view text) {
    std::vector<std::u32string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find_first_of(U"\r\n", start);
        if (end == std::u32string_view::npos) end = text.size();
        lines.emplace_back(text.substr(start, end - start));
        start = end + 1;
        if (end < text.size() && text[end] == U'\r' && start < text.size() &&
            text[start] == U'\n') {
            ++start;
        }
    }
    return lines;
}

std::u32string_view tagOf(std::u32string_view line) {
    return line.substr(0, 4);
}

// Characters 7 to n-2: the value between the tag's two leading and the line's two trailing
// characters. A line too short to hold any gives "".
std::u32string_view textValue(std::u32string_view line) {
    return line.size() < 8 ? std::u32string_view() : line.substr(6, line.size() - 8);
}

// Characters 7 to the end.
std::u32string_view tailOf(std::u32string_view line) {
    return line.size() < 6 ? std::u32string_view() : line.substr(6);
}

std::string text(std::u32string_view chars) {
    return fromCodePoints(chars);
}

std::optional<std::int32_t> numberIn(std::u32string_view chars) {
    return leadingNumber(fromCodePoints(chars));
}

// a / b rounded to the nearest whole number, halves to even; b > 0.
std::int64_t divideRounded(std::int64_t a, std::int64_t b) {
    std::int64_t q = a / b, r = a % b;
    if (r < 0) {
        r += b;
        --q;
    }
    if (2 * r > b || (2 * r == b && q % 2 != 0)) ++q;
    return q;
}

bool fitsInt32(std::int64_t v) {
    return v >= std::numeric_limits<std::int32_t>::min() &&
           v <= std::numeric_limits<std::int32_t>::max();
}

// One open repeated group: a repeated item on its own, or a group item with the items under it.
struct Group {
    std::int32_t count;      // repetitions
    std::size_t first;       // index of the group's first field
    std::int64_t start;      // byte position where the first repetition begins
    std::int64_t each;       // bytes of one repetition
    std::int64_t collected;  // bytes of the group's fields kept so far
    bool holds(std::int64_t pos) const { return pos >= start && pos < start + each; }
};

class Importer {
  public:
    Importer(RecordDefTable& table, LineProblems& problems)
        : table_(table), fields_(table[1].Fields), problems_(problems) {}

    // False when the file cannot be imported; problems_ then holds those found at a line (the
    // lines after a problem are still read, except after an expansion beyond the limits).
    bool run(const std::vector<std::u32string>& lines) {
        std::size_t at = 0;
        for (; at < lines.size(); ++at) {
            line_ = static_cast<int>(at) + 1;
            if (headerLine(lines[at])) {
                ++at;
                break;
            }
        }
        RecordDef& file = table_[0];
        file.Class.clear();
        file.Delimiter = ",";
        file.TitleLine = true;
        table_[1].Parent = 0;
        table_[1].Child = 0;

        for (; at < lines.size() && !givenUp_; ++at) {
            line_ = static_cast<int>(at) + 1;
            if (tagOf(lines[at]) == U"ENDT") break;
            itemLine(lines[at]);
        }
        // Slots of the item count that no field filled are dropped; a slot last used by an
        // item that was not kept goes with them.
        fields_.resize(std::min(fields_.size(), next_));
        return next_ > 0 && problems_.empty() && !givenUp_;
    }

  private:
    void problem(std::string reason) { problems_.add(line_, std::move(reason)); }

    // True on the header's last line (ADSZ).
    bool headerLine(std::u32string_view line) {
        std::u32string_view tag = tagOf(line);
        if (tag == U"RNUM") {
            const std::u32string_view value = line.substr(std::min<std::size_t>(5, line.size()), 4);
            auto count = numberIn(value);
            if (!count) {
                problem("項目数 (RNUM) に誤りがあります: " + text(value));
                return false;
            }
            fields_.clear();
            slots_ = std::max<std::int64_t>(*count, 0);
            sized_ = true;
        } else if (tag == U"JPNM") {
            table_[0].Name = text(textValue(line));
        } else if (tag == U"DTNM") {
            if (table_[0].Name.empty()) table_[0].Name = text(textValue(line));
            table_[1].Name = table_[0].Name;
        } else if (tag == U"ADSZ") {
            auto size = numberIn(textValue(line));
            if (!size) {
                problem("レコードの長さ (ADSZ) に誤りがあります: " + text(textValue(line)));
                return true;
            }
            table_[0].Size = *size;
            table_[1].Size = *size;
            return true;
        }
        return false;
    }

    // The field being filled, or nullptr when the item count has no slot for it.
    FieldDef* slot() {
        if (!sized_ || static_cast<std::int64_t>(next_) >= slots_) return nullptr;
        if (fields_.size() <= next_) fields_.resize(next_ + 1);
        return &fields_[next_];
    }

    void itemLine(std::u32string_view line) {
        std::u32string_view tag = tagOf(line);
        if (tag == U"ANUM") {
            auto count = parseInt32(text(textValue(line)));
            if (!count || *count < 0) {
                return problem("繰り返し回数 (ANUM) に誤りがあります: " + text(textValue(line)));
            }
            pending_ = *count;
            return;
        }
        const bool known = tag == U"JPNM" || tag == U"DTNM" || tag == U"DTAT" || tag == U"DALE" ||
                           tag == U"BULO" || tag == U"ADSZ";
        if (!known) return;
        FieldDef* f = slot();
        if (f == nullptr) {
            // Every item after it lacks a slot too: the first says it.
            if (!slotless_) {
                problem(sized_ ? "項目数 (RNUM) より多くの項目があります。"
                               : "項目数 (RNUM) の前に項目があります。");
            }
            slotless_ = true;
            return;
        }
        if (tag == U"JPNM") {
            f->Type.clear();
            f->Name = text(textValue(line));
        } else if (tag == U"DTNM") {
            f->Memo = text(textValue(line));
            if (f->Name.empty()) f->Name = f->Memo;
        } else if (tag == U"DTAT") {
            f->Type = text(line.substr(std::min<std::size_t>(6, line.size()), 1));
        } else if (tag == U"DALE") {
            std::size_t comma = line.find(U',');
            auto dec = comma == std::u32string_view::npos ? std::optional<std::int32_t>(0)
                                                          : numberIn(line.substr(comma + 1, 1));
            f->Dec = dec.value_or(0);
        } else if (tag == U"BULO") {
            auto pos = numberIn(tailOf(line));
            if (!pos) return problem("位置 (BULO) に誤りがあります: " + text(textValue(line)));
            f->Pos = *pos;
        } else if (!itemComplete(*f, tailOf(line), textValue(line))) {
            problem("繰り返しを展開すると大きすぎます。");
            givenUp_ = true;
        }
    }

    // ADSZ: the item is complete; keep it as a field or drop it. False when an expansion goes
    // beyond the limits.
    bool itemComplete(FieldDef& f, std::u32string_view sizeText, std::u32string_view shown) {
        auto size = numberIn(sizeText);
        if (!size) {
            problem("大きさ (ADSZ) に誤りがあります: " + text(shown));
            return true;
        }
        f.Size = *size;
        f.Check = -1;
        bool opensGroup = false;
        if (pending_ != 0) {
            // A repetition that begins outside the open groups' first repetitions is no part of
            // them: those groups can no longer be completed and are given up.
            giveUpGroupsNotHolding(f.Pos);
            const std::int64_t each = divideRounded(f.Size, pending_);
            if (!f.Type.empty()) f.Size = static_cast<std::int32_t>(each);  // a repeated item
            groups_.push_back(Group{pending_, next_, f.Pos, each, 0});
            pending_ = 0;
            opensGroup = true;
        }
        // A group item, or an item without a type: not a field; the next item reuses the slot.
        if (f.Type.empty()) return true;
        if (next_ > 0) {
            const FieldDef& prev = fields_[next_ - 1];
            if (static_cast<std::int64_t>(prev.Pos) + prev.Size != f.Pos) {
                // An item that overlays others (a redefinition); its repetition goes with it.
                if (opensGroup) groups_.pop_back();
                return true;
            }
        }
        baseNameLength_.resize(next_ + 1);
        baseNameLength_[next_] = f.Name.size();
        ++next_;
        return countIntoGroups(fields_[next_ - 1]);
    }

    void giveUpGroupsNotHolding(std::int64_t pos) {
        while (!groups_.empty() && !groups_.back().holds(pos)) {
            // Its fields stay as read, and as read they belong to the group around it.
            std::int64_t collected = groups_.back().collected;
            groups_.pop_back();
            if (!groups_.empty()) groups_.back().collected += collected;
        }
    }

    bool countIntoGroups(const FieldDef& kept) {
        giveUpGroupsNotHolding(kept.Pos);
        if (groups_.empty()) return true;
        groups_.back().collected += kept.Size;
        while (!groups_.empty() && groups_.back().collected == groups_.back().each) {
            const Group group = groups_.back();
            groups_.pop_back();
            if (!expand(group)) return false;
            if (groups_.empty()) break;
            // The expanded group, all its repetitions, is part of the group around it.
            std::int64_t total = 0;
            for (std::size_t j = group.first; j < next_; ++j) total += fields_[j].Size;
            groups_.back().collected += total;
        }
        return true;
    }

    // The first repetition of `group` is complete (fields first..next_-1): add repetitions 2 to
    // count after it, at consecutive positions, and number the names.
    bool expand(const Group& group) {
        if (next_ <= group.first) return true;
        const std::size_t first = group.first, last = next_ - 1;
        const std::int64_t perRepetition = static_cast<std::int64_t>(last - first + 1);
        const std::int64_t total =
            static_cast<std::int64_t>(next_) + perRepetition * (group.count - 1);
        if (total > kMaxImportedFields) return false;
        slots_ += perRepetition * group.count;
        fields_.resize(next_);
        fields_.reserve(static_cast<std::size_t>(total));
        for (std::int32_t k = 2; k <= group.count; ++k) {
            for (std::size_t j = first; j <= last; ++j) {
                const FieldDef& prev = fields_.back();
                const std::int64_t pos = static_cast<std::int64_t>(prev.Pos) + prev.Size;
                if (!fitsInt32(pos)) return false;
                FieldDef copy = fields_[j];
                expandedTextBytes_ += static_cast<std::int64_t>(
                    copy.Name.size() + copy.Type.size() + copy.Memo.size() + 8);
                if (expandedTextBytes_ > kMaxExpandedTextBytes) return false;
                copy.Name = numbered(copy.Name, baseNameLength_[j], k);
                copy.Pos = static_cast<std::int32_t>(pos);
                fields_.push_back(std::move(copy));
                baseNameLength_.push_back(baseNameLength_[j]);
                ++next_;
            }
        }
        for (std::size_t j = first; j <= last; ++j) {
            fields_[j].Name = numbered(fields_[j].Name, baseNameLength_[j], 1);
        }
        return true;
    }

    // The repetition number goes right after the item's own name, before the numbers of inner
    // repetitions: "name(outer)(inner)".
    static std::string numbered(const std::string& name, std::size_t baseLength, std::int32_t k) {
        std::string result = name.substr(0, baseLength);
        result += "(" + std::to_string(k) + ")";
        result += name.substr(baseLength);
        return result;
    }

    RecordDefTable& table_;
    std::vector<FieldDef>& fields_;
    LineProblems& problems_;
    int line_ = 0;               // the line being read, 1-based
    bool givenUp_ = false;       // an expansion went beyond the limits
    bool slotless_ = false;      // an item found no slot
    bool sized_ = false;         // an item count was read
    std::int64_t slots_ = 0;     // fields the item count (and the expansions) make room for
    std::size_t next_ = 0;       // the slot being filled; also the number of fields kept
    std::int32_t pending_ = 0;   // repetition count for the next item
    std::vector<Group> groups_;  // open groups, innermost last
    std::vector<std::size_t> baseNameLength_;  // per field: bytes of its name before any number
    std::int64_t expandedTextBytes_ = 0;       // text of the copies made by expansions
};

}  // namespace

Status importRcdef(const std::string& path, RecordDefTable& table, FileSystem& files) {
    table.reset(2);
    Result<DefinitionText> read = readDefinitionText(path, files);
    if (!read) return read.error();
    return importRcdefText(read->text, table);
}

Status importRcdefText(std::string_view text, RecordDefTable& table) {
    table.reset(2);
    LineProblems problems;
    if (!Importer(table, problems).run(splitLines(toCodePoints(text)))) {
        return Failure(FailureKind::InvalidDefinition, problems.text());
    }
    return {};
}

}  // namespace sorvek
