#include "formats/copybook_import.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <vector>

#include "formats/line_problems.h"
#include "formats/rcdef_import.h"
#include "platform/codepage.h"
#include "platform/number_text.h"

namespace sorvek {
namespace {

constexpr const char* kCannotImportText = "コピー句を読み込めません。";

struct Token {
    std::string text;  // as written; keywords are compared in upper case
    int line = 0;
};

// A failure at line `line`.
struct ParseError {
    int line = 0;
    std::string reason;
};

// Every problem of a copybook, so that one refusal names them all.
class Problems {
  public:
    void add(int line, std::string reason) { list_.add(line, std::move(reason)); }
    void add(const ParseError& error) { add(error.line, error.reason); }
    bool empty() const { return list_.empty(); }

    // "コピー句を読み込めません。" and a line feed, then the problems as LineProblems lists them.
    Failure failure() const {
        return sorvek::failure(std::string(kCannotImportText) + "\n" + list_.text(),
                               FailureKind::InvalidDefinition);
    }

  private:
    LineProblems list_;
};

std::string upper(std::string_view text) {
    return asciiUpper(text);
}

std::vector<std::string> splitLines(std::string_view text) {
    std::vector<std::string> lines;
    std::string line;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(line);
            line.clear();
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            line += c;
        }
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}

// Fixed format when the first line with text has a sequence area of digits or blanks and an
// indicator column that fixed format allows.
bool isFixedFormat(const std::vector<std::string>& lines) {
    for (const std::string& line : lines) {
        if (line.find_first_not_of(" \t") == std::string::npos) continue;
        if (line.size() < 7) return false;
        for (std::size_t i = 0; i < 6; ++i) {
            if (line[i] != ' ' && !std::isdigit(static_cast<unsigned char>(line[i]))) {
                return false;
            }
        }
        return std::string_view(" */-Dd").find(line[6]) != std::string_view::npos;
    }
    return false;
}

// The text of each line that counts, without comments and areas, with its line number.
std::vector<std::pair<std::string, int>> sourceText(std::string_view text) {
    const std::vector<std::string> lines = splitLines(text);
    const bool fixed = isFixedFormat(lines);
    std::vector<std::pair<std::string, int>> source;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string line = lines[i];
        const int number = static_cast<int>(i) + 1;
        if (fixed) {
            if (line.size() < 7) continue;
            const char indicator = line[6];
            if (indicator == '*' || indicator == '/' || indicator == 'D' || indicator == 'd') {
                continue;
            }
            line = line.size() > 7 ? line.substr(7, 65) : std::string();  // columns 8-72
            if (indicator == '-' && !source.empty()) {
                // A continued word or literal goes on without the blanks before it.
                const std::size_t from = line.find_first_not_of(' ');
                if (from == std::string::npos) continue;
                std::string rest = line.substr(from);
                if (!rest.empty() && (rest[0] == '\'' || rest[0] == '"')) rest.erase(0, 1);
                std::string& previous = source.back().first;
                while (!previous.empty() && previous.back() == ' ') previous.pop_back();
                previous += rest;
                continue;
            }
        } else {
            const std::size_t first = line.find_first_not_of(" \t");
            if (first != std::string::npos && line[first] == '*' &&
                (first + 1 >= line.size() || line[first + 1] != '>')) {
                continue;  // a comment line of free format written the old way
            }
        }
        // "*>" outside a literal ends the line's text.
        char quote = 0;
        for (std::size_t j = 0; j < line.size(); ++j) {
            const char c = line[j];
            if (quote != 0) {
                if (c == quote) quote = 0;
            } else if (c == '\'' || c == '"') {
                quote = c;
            } else if (c == '*' && j + 1 < line.size() && line[j + 1] == '>') {
                line.erase(j);
                break;
            }
        }
        source.emplace_back(line, number);
    }
    return source;
}

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\f';
}

// The words, pictures and literals of the source; a period that ends an entry is a token "."
// of its own. Commas and semicolons followed by a blank separate like blanks. A literal that its
// line does not close is a problem; the entry then ends with its line, so that the literal does
// not take in the entries after it.
std::vector<Token> tokenize(const std::vector<std::pair<std::string, int>>& source,
                            Problems& problems) {
    std::vector<Token> tokens;
    for (const auto& [line, number] : source) {
        std::size_t i = 0;
        const std::size_t n = line.size();
        bool unclosed = false;
        while (i < n && !unclosed) {
            const char c = line[i];
            const bool separatorHere =
                isSpace(c) || ((c == ',' || c == ';') && (i + 1 == n || isSpace(line[i + 1])));
            if (separatorHere) {
                ++i;
                continue;
            }
            if (c == '.' && (i + 1 == n || isSpace(line[i + 1]))) {
                tokens.push_back({".", number});
                ++i;
                continue;
            }
            std::string word;
            while (i < n) {
                const char d = line[i];
                if (d == '\'' || d == '"') {
                    const std::size_t close = line.find(d, i + 1);
                    if (close == std::string::npos) {
                        problems.add(number, "文字定数が閉じていません: " +
                                                 decodeText(line.substr(i), TextEncoding::Utf8));
                        unclosed = true;
                    }
                    const std::size_t end = close == std::string::npos ? n : close + 1;
                    word.append(line, i, end - i);
                    i = end;
                    continue;
                }
                if (isSpace(d)) break;
                if ((d == ',' || d == ';' || d == '.') && (i + 1 == n || isSpace(line[i + 1]))) {
                    break;
                }
                word += d;
                ++i;
            }
            tokens.push_back({word, number});
        }
        if (unclosed) tokens.push_back({".", number});
    }
    return tokens;
}

enum class Usage : std::uint8_t { Unset, Display, Packed, Binary, NativeBinary, DoubleByte };

struct Item {
    int level = 0;
    int line = 0;
    std::string name;  // "FILLER" for an unnamed item
    bool filler = false;
    std::string picture;
    std::string usageText;  // as written, for the memo
    Usage usage = Usage::Unset;
    SignPosition sign = SignPosition::Undeclared;
    bool signClause = false;
    std::int64_t occurs = 1;  // the most occurrences
    bool occursClause = false;
    // OCCURS ... DEPENDING ON: the counter's name (upper case), the names it is qualified by
    // (OF, IN), the fewest occurrences and the line of the clause.
    std::string dependingOn;
    std::vector<std::string> dependingQualifiers;
    std::int64_t occursMin = 0;
    int occursLine = 0;
    std::string redefines;
    std::vector<std::size_t> children;
    std::optional<std::size_t> parent;
    std::optional<std::size_t> redefined;  // the index of the item it redefines
    bool broken = false;                   // its entry has a problem of its own
};

bool isClauseWord(const std::string& word) {
    static const char* const kWords[] = {"PIC",
                                         "PICTURE",
                                         "USAGE",
                                         "DISPLAY",
                                         "COMP",
                                         "COMPUTATIONAL",
                                         "COMP-3",
                                         "COMPUTATIONAL-3",
                                         "PACKED-DECIMAL",
                                         "COMP-4",
                                         "COMPUTATIONAL-4",
                                         "BINARY",
                                         "COMP-5",
                                         "COMPUTATIONAL-5",
                                         "DISPLAY-1",
                                         "NATIONAL",
                                         "COMP-1",
                                         "COMP-2",
                                         "COMPUTATIONAL-1",
                                         "COMPUTATIONAL-2",
                                         "POINTER",
                                         "INDEX",
                                         "SIGN",
                                         "LEADING",
                                         "TRAILING",
                                         "OCCURS",
                                         "REDEFINES",
                                         "VALUE",
                                         "VALUES",
                                         "JUSTIFIED",
                                         "JUST",
                                         "BLANK",
                                         "GLOBAL",
                                         "EXTERNAL",
                                         "SYNC",
                                         "SYNCHRONIZED",
                                         "RENAMES",
                                         "IS"};
    const std::string u = upper(word);
    return std::find(std::begin(kWords), std::end(kWords), u) != std::end(kWords);
}

std::optional<Usage> usageOf(const std::string& word) {
    const std::string u = upper(word);
    if (u == "DISPLAY") return Usage::Display;
    if (u == "COMP-3" || u == "COMPUTATIONAL-3" || u == "PACKED-DECIMAL") return Usage::Packed;
    if (u == "COMP" || u == "COMPUTATIONAL" || u == "COMP-4" || u == "COMPUTATIONAL-4" ||
        u == "BINARY") {
        return Usage::Binary;
    }
    if (u == "COMP-5" || u == "COMPUTATIONAL-5") return Usage::NativeBinary;
    if (u == "DISPLAY-1" || u == "NATIONAL") return Usage::DoubleByte;
    return std::nullopt;
}

bool isUnsupportedUsage(const std::string& word) {
    const std::string u = upper(word);
    return u == "COMP-1" || u == "COMP-2" || u == "COMPUTATIONAL-1" || u == "COMPUTATIONAL-2" ||
           u == "POINTER" || u == "INDEX" || u == "FUNCTION-POINTER" || u == "PROCEDURE-POINTER";
}

// Whether a definition file keeps `name` as it is: a comma would split the field's line,
// a control character is not kept as it is, and the file holds CP932.
bool storableName(const std::string& name) {
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == ',' || byte < 0x20 || byte == 0x7F) return false;
    }
    return cp932ToUtf8(utf8ToCp932(name)) == name;
}

// Reads an OCCURS clause after its keyword, from token `i` on: "n [TIMES]", or a table whose
// counter gives the occurrences, "m TO n [TIMES] DEPENDING [ON] c" or "n [TIMES] DEPENDING [ON]
// c" (at least none); then KEY and INDEXED BY phrases, which change no byte.
void readOccurs(const std::vector<Token>& t, std::size_t& i, std::size_t end, int line, Item& item,
                Problems& problems) {
    auto word = [&](std::size_t k) { return k < end ? upper(t[k].text) : std::string(); };
    auto problem = [&](std::string reason) {
        problems.add(line, std::move(reason));
        item.broken = true;
    };
    const std::optional<std::int32_t> first = parseInt32(word(i));
    if (!first || *first < 0) return problem("OCCURS 句の回数に誤りがあります。");
    ++i;
    std::int64_t min = *first, max = *first;
    const bool range = word(i) == "TO";
    if (range) {
        ++i;
        const std::optional<std::int32_t> most = parseInt32(word(i));
        if (!most) return problem("OCCURS 句の回数に誤りがあります。");
        ++i;
        max = *most;
    }
    if (word(i) == "TIMES") ++i;
    item.occursClause = true;
    item.occursLine = line;
    while (i < end) {
        const std::string v = word(i);
        if (v == "DEPENDING") {
            ++i;
            if (word(i) == "ON") ++i;
            if (i >= end || isClauseWord(t[i].text)) {
                return problem("DEPENDING ON に項目名がありません。");
            }
            item.dependingOn = upper(t[i++].text);
            while ((word(i) == "OF" || word(i) == "IN") && i + 1 < end) {
                item.dependingQualifiers.push_back(upper(t[i + 1].text));
                i += 2;
            }
            continue;
        }
        if (v == "ASCENDING" || v == "DESCENDING" || v == "INDEXED" || v == "KEY" || v == "BY" ||
            v == "IS") {
            ++i;
            while (i < end && !isClauseWord(t[i].text) && word(i) != "DEPENDING" &&
                   word(i) != "INDEXED" && word(i) != "ASCENDING" && word(i) != "DESCENDING") {
                ++i;
            }
            continue;
        }
        break;
    }
    const bool depending = !item.dependingOn.empty();
    if (depending && !range) min = 0;
    if (range && !depending) return problem("OCCURS 句の TO には DEPENDING ON が必要です。");
    if (max < 1) return problem("OCCURS 句の回数に誤りがあります。");
    if (min > max) {
        return problem("最小の回数が最大の回数を超える OCCURS には対応していません。");
    }
    item.occurs = max;
    item.occursMin = min;
}

// Reads the clauses of one entry, tokens [begin, end) after the level number. Each problem
// goes to `problems` and marks the item broken; the clauses after it are still read.
void readEntry(const std::vector<Token>& t, std::size_t begin, std::size_t end, Item& item,
               Problems& problems) {
    auto problem = [&](int line, std::string reason) {
        problems.add(line, std::move(reason));
        item.broken = true;
    };
    std::size_t i = begin;
    if (i < end && !isClauseWord(t[i].text)) {
        item.name = t[i].text;
        ++i;
    }
    item.filler = item.name.empty() || upper(item.name) == "FILLER";
    if (item.filler) item.name = "FILLER";
    if (!storableName(item.name)) {
        problem(t[begin].line, "定義ファイルに保存できない文字を含む名前です: " +
                                   decodeText(item.name, TextEncoding::Utf8));
    }
    auto word = [&](std::size_t k) { return k < end ? upper(t[k].text) : std::string(); };
    auto skipIs = [&] {
        if (word(i) == "IS" || word(i) == "ARE") ++i;
    };
    while (i < end) {
        const std::string w = word(i);
        const int line = t[i].line;
        ++i;
        if (w == "PIC" || w == "PICTURE") {
            skipIs();
            if (i >= end) {
                problem(line, "PIC 句に文字列がありません。");
                break;
            }
            item.picture = t[i++].text;
        } else if (w == "USAGE") {
            skipIs();
            if (i >= end) {
                problem(line, "USAGE 句に用途がありません。");
                break;
            }
            const std::string u = t[i++].text;
            if (isUnsupportedUsage(u)) {
                problem(line, "対応していない用途です: " + u);
                continue;
            }
            const std::optional<Usage> usage = usageOf(u);
            if (!usage) {
                problem(line, "解釈できない用途です: " + u);
                continue;
            }
            item.usage = *usage;
            item.usageText = upper(u);
        } else if (usageOf(w)) {
            item.usage = *usageOf(w);
            item.usageText = w;
        } else if (isUnsupportedUsage(w)) {
            problem(line, "対応していない用途です: " + w);
        } else if (w == "SIGN" || w == "LEADING" || w == "TRAILING") {
            std::string position = w;
            if (w == "SIGN") {
                skipIs();
                position = word(i++);
            }
            if (position != "LEADING" && position != "TRAILING") {
                problem(line, "SIGN 句には LEADING か TRAILING を指定します。");
                continue;
            }
            bool separate = false;
            if (word(i) == "SEPARATE") {
                separate = true;
                ++i;
                if (word(i) == "CHARACTER") ++i;
            }
            item.signClause = true;
            item.sign = position == "LEADING"
                            ? (separate ? SignPosition::LeadingSeparate : SignPosition::Leading)
                            : (separate ? SignPosition::TrailingSeparate : SignPosition::Trailing);
        } else if (w == "OCCURS") {
            readOccurs(t, i, end, line, item, problems);
        } else if (w == "REDEFINES") {
            if (i >= end) {
                problem(line, "REDEFINES 句に項目名がありません。");
                break;
            }
            item.redefines = upper(t[i++].text);
        } else if (w == "VALUE" || w == "VALUES") {
            // The literals up to the next clause.
            while (i < end && !isClauseWord(t[i].text)) ++i;
            skipIs();
            while (i < end && !isClauseWord(t[i].text)) ++i;
        } else if (w == "JUSTIFIED" || w == "JUST") {
            if (word(i) == "RIGHT") ++i;
        } else if (w == "BLANK") {
            if (word(i) == "WHEN") ++i;
            ++i;  // ZERO
        } else if (w == "GLOBAL" || w == "EXTERNAL") {
        } else if (w == "SYNC" || w == "SYNCHRONIZED") {
            problem(line, "SYNCHRONIZED 句には対応していません。");
        } else {
            problem(line, "解釈できない句です: " + t[i - 1].text);
        }
    }
}

// A picture in the form the layout needs.
struct Picture {
    enum class Kind : std::uint8_t { Text, Numeric, DoubleByte } kind = Kind::Text;
    std::int64_t length = 0;  // characters (text, double-byte) or positions (edited)
    std::int64_t digits = 0;
    std::int64_t dec = 0;
    std::int64_t scale = 0;
    bool isSigned = false;
};

std::optional<Picture> readPicture(const std::string& written) {
    // Each symbol with its count.
    std::vector<std::pair<char, std::int64_t>> symbols;
    const std::string p = upper(written);
    for (std::size_t i = 0; i < p.size();) {
        const char c = p[i++];
        std::int64_t count = 1;
        if (c == 'C' || c == 'D') {  // CR, DB
            if (i >= p.size() || p[i] != (c == 'C' ? 'R' : 'B')) return std::nullopt;
            ++i;
            symbols.emplace_back('E', 2);
            continue;
        }
        if (i < p.size() && p[i] == '(') {
            const std::size_t close = p.find(')', i);
            if (close == std::string::npos) return std::nullopt;
            const std::optional<std::int32_t> n = parseInt32(p.substr(i + 1, close - i - 1));
            if (!n || *n < 1) return std::nullopt;
            count = *n;
            i = close + 1;
        }
        symbols.emplace_back(c, count);
    }
    Picture picture;
    bool text = false, edited = false, doubleByte = false, point = false, digitSeen = false;
    bool periodSeen = false;
    std::int64_t positions = 0, leadingP = 0, trailingP = 0;
    for (std::size_t k = 0; k < symbols.size(); ++k) {
        const auto [c, count] = symbols[k];
        // One sign, first; one assumed point; no digit after the P positions that follow the
        // digits (9P9).
        if (c == 'S' && (k != 0 || count != 1)) return std::nullopt;
        if (c == 'V' && (point || count != 1)) return std::nullopt;
        if (c == '9' && trailingP != 0) return std::nullopt;
        if (c == '.') periodSeen = true;
        switch (c) {
            case 'X':
            case 'A':
                text = true;
                positions += count;
                break;
            case '9':
                picture.digits += count;
                if (point) picture.dec += count;
                digitSeen = true;
                positions += count;
                break;
            case 'S':
                picture.isSigned = true;
                break;
            case 'V':
                point = true;
                break;
            case 'P':
                (digitSeen ? trailingP : leadingP) += count;
                break;
            case 'G':
            case 'N':
                doubleByte = true;
                positions += count;
                break;
            case 'Z':
            case '*':
            case '+':
            case '-':
            case ',':
            case '.':
            case 'B':
            case '0':
            case '/':
            case '$':
            case 'E':
                edited = true;
                positions += count;
                break;
            default:
                return std::nullopt;
        }
    }
    // A sign, an assumed point or P positions belong to numbers; an edited number has no S
    // and no assumed point besides its period.
    const bool numericSymbols = picture.isSigned || point || leadingP != 0 || trailingP != 0;
    if ((text || doubleByte) && numericSymbols) return std::nullopt;
    if (edited && (picture.isSigned || (point && periodSeen))) return std::nullopt;
    if (doubleByte) {
        if (text || edited || picture.digits != 0) return std::nullopt;
        picture.kind = Picture::Kind::DoubleByte;
        picture.length = positions;
        return picture;
    }
    if (text || edited) {
        picture.kind = Picture::Kind::Text;
        picture.length = positions;
        return picture;
    }
    if (picture.digits == 0) return std::nullopt;
    picture.kind = Picture::Kind::Numeric;
    if (leadingP != 0) {
        // The point stands before the P positions: every digit is a decimal place.
        picture.dec = picture.digits;
        picture.scale = -leadingP;
    } else {
        picture.scale = trailingP;
    }
    return picture;
}

// The table of a record whose occurrences a counter gives: the OCCURS DEPENDING ON item and its
// counter, both indices of items.
struct CountedTable {
    std::size_t item = 0;
    std::size_t counter = 0;
};

// A layout that lies over bytes of its record (REDEFINES), offered as a kind of its own.
struct Alternative {
    std::size_t item = 0;               // the redefining item
    std::optional<std::size_t> within;  // the alternative it lies in; none: the record's layout
    // The bytes it lies over, one range per occurrence of the tables around it: 0-based offset
    // and size.
    std::vector<std::pair<std::int64_t, std::int64_t>> ranges;
    std::vector<FieldDef> fields;
};

// Whether item `index` or a group it belongs to (up to its 01 level) has `has`.
bool holds(const std::vector<Item>& items, std::size_t index,
           const std::function<bool(const Item&)>& has) {
    for (std::optional<std::size_t> at = index; at; at = items[*at].parent) {
        if (items[*at].level != 1 && has(items[*at])) return true;
    }
    return false;
}

// The 01 level item `index` belongs to, as an index of `records`; none for an item outside any.
std::optional<std::size_t> recordOf(const std::vector<Item>& items,
                                    const std::vector<std::size_t>& records, std::size_t index) {
    std::size_t at = index;
    while (items[at].parent) at = *items[at].parent;
    const auto it = std::lower_bound(records.begin(), records.end(), at);
    if (it == records.end() || *it != at) return std::nullopt;
    return static_cast<std::size_t>(it - records.begin());
}

// The table of varying length of each record (by index of `records`) with its counter: an
// elementary numeric item earlier in the record, in no table and no redefinition, found by its
// name and the names it is qualified by. A table the import cannot lay out is a problem.
std::vector<std::optional<CountedTable>> countedTables(const std::vector<Item>& items,
                                                       const std::vector<std::size_t>& records,
                                                       Problems& problems) {
    std::vector<std::optional<CountedTable>> tables(records.size());
    const auto inOccurs = [](const Item& i) { return i.occursClause; };
    const auto redefining = [](const Item& i) { return !i.redefines.empty(); };
    for (std::size_t index = 0; index < items.size(); ++index) {
        const Item& item = items[index];
        if (item.dependingOn.empty() || item.broken) continue;
        const std::optional<std::size_t> record = recordOf(items, records, index);
        if (!record) continue;
        const int line = item.occursLine;
        if (item.parent && holds(items, *item.parent, inOccurs)) {
            problems.add(line, "OCCURS の中の OCCURS DEPENDING ON には対応していません。");
            continue;
        }
        if (holds(items, index, redefining)) {
            problems.add(line, "REDEFINES の中の OCCURS DEPENDING ON には対応していません。");
            continue;
        }
        if (tables[*record]) {
            problems.add(line,
                         "一つのレコードに二つ目の OCCURS DEPENDING ON には対応していません。");
            continue;
        }
        std::vector<std::size_t> found;
        for (std::size_t j = records[*record]; j < index; ++j) {
            if (items[j].filler || upper(items[j].name) != item.dependingOn) continue;
            if (recordOf(items, records, j) != record) continue;
            const bool qualified =
                std::all_of(item.dependingQualifiers.begin(), item.dependingQualifiers.end(),
                            [&](const std::string& q) {
                                for (std::optional<std::size_t> at = items[j].parent; at;
                                     at = items[*at].parent) {
                                    if (upper(items[*at].name) == q) return true;
                                }
                                return false;
                            });
            if (qualified) found.push_back(j);
        }
        const std::string& name = item.dependingOn;
        if (found.empty()) {
            problems.add(line, "DEPENDING ON の項目が表より前にありません: " + name);
            continue;
        }
        if (found.size() > 1) {
            problems.add(line, "DEPENDING ON の項目が一つに決まりません: " + name);
            continue;
        }
        const std::size_t counter = found.front();
        const Item& c = items[counter];
        if (c.broken) continue;  // its own problem is reported
        const std::optional<Picture> picture =
            c.children.empty() ? readPicture(c.picture) : std::nullopt;
        Usage usage = Usage::Unset;
        for (std::optional<std::size_t> at = counter; at && usage == Usage::Unset;
             at = items[*at].parent) {
            usage = items[*at].usage;
        }
        if (!picture || picture->kind != Picture::Kind::Numeric || usage == Usage::DoubleByte) {
            problems.add(line, "DEPENDING ON の項目が数字の基本項目ではありません: " + name);
            continue;
        }
        if (holds(items, counter, inOccurs)) {
            problems.add(line, "DEPENDING ON の項目が OCCURS の中にあります: " + name);
            continue;
        }
        if (holds(items, counter, redefining)) {
            problems.add(line, "DEPENDING ON の項目が REDEFINES の中にあります: " + name);
            continue;
        }
        tables[*record] = CountedTable{index, counter};
    }
    return tables;
}

class Importer {
  public:
    Importer(const std::vector<Item>& items, Problems& problems)
        : redefinedSize_(items.size(), 0), items_(items), problems_(problems) {}

    // The kinds of record `record`: its own layout and then one per REDEFINES in it, in the
    // order of the entries, appended to `table`. `counted` is its table of varying length.
    // Problems go to problems_; the kinds are then left out.
    void importRecord(std::size_t record, const std::optional<CountedTable>& counted,
                      RecordDefTable& table) {
        alternatives_.clear();
        byItem_.clear();
        tooMany_ = false;
        counted_ = counted;
        counterPos_ = 0;
        varying_ = VaryingTable{};
        const Item& item = items_[record];
        std::vector<FieldDef> fields;
        std::int64_t size = 0;
        layOut(record, 0, Usage::Unset, SignPosition::Undeclared, false, "", std::nullopt, fields,
               size);
        if (tooMany_) return;
        if (size > INT32_MAX) return problems_.add(item.line, "レコードが長すぎます。");
        RecordDef kind;
        kind.Name = item.name;
        kind.Size = static_cast<std::int32_t>(size);
        kind.Fields = std::move(fields);
        if (counted_ && !placeTable(kind)) return;
        table.entries.push_back(kind);
        for (std::size_t a = 0; a < alternatives_.size(); ++a) {
            RecordDef other = kind;
            other.Name = item.name + " (" + items_[alternatives_[a].item].name + ")";
            // The alternatives it lies in first, outermost first.
            std::vector<std::size_t> chain{a};
            while (alternatives_[chain.back()].within) {
                chain.push_back(*alternatives_[chain.back()].within);
            }
            for (auto k = chain.rbegin(); k != chain.rend(); ++k) lay(alternatives_[*k], other);
            if (counted_) other.varying.counter = counterIndex(other.Fields);
            table.entries.push_back(std::move(other));
        }
    }

  private:
    // The fields of item `index` at byte `offset` (0-based), its occurrences expanded, appended
    // to `fields`; `size` the bytes one occurrence of it takes times its count. `alternative`
    // is the redefining layout the item lies in, if any. A redefining item is laid out at the
    // place of the item it redefines into an alternative of its own.
    void layOut(std::size_t index, std::int64_t offset, Usage usage, SignPosition sign,
                bool signClause, const std::string& subscripts,
                std::optional<std::size_t> alternative, std::vector<FieldDef>& fields,
                std::int64_t& size) {
        size = 0;
        if (tooMany_) return;
        const Item& item = items_[index];
        if (item.usage != Usage::Unset) usage = item.usage;
        if (item.signClause) {
            sign = item.sign;
            signClause = true;
        }
        std::int64_t one = 0;
        for (std::int64_t k = 1; k <= item.occurs; ++k) {
            const std::int64_t at = offset + (k - 1) * one;
            const std::string sub =
                item.occurs == 1 ? subscripts : subscripts + "(" + std::to_string(k) + ")";
            if (item.children.empty()) {
                FieldDef f;
                if (item.broken) {
                } else if (auto error = elementary(item, usage, sign, signClause, f)) {
                    problems_.add(*error);
                } else {
                    f.Name = item.name + sub;
                    f.Pos = static_cast<std::int32_t>(at + 1);
                    one = f.Size;
                    fields.push_back(f);
                    if (counted_ && index == counted_->counter && !alternative) {
                        counterPos_ = f.Pos;
                    }
                }
            } else {
                one = group(item, at, usage, sign, signClause, sub, alternative, fields);
            }
            if (fields.size() > static_cast<std::size_t>(kMaxImportedFields)) {
                problems_.add(item.line, "項目が多すぎます。");
                tooMany_ = true;
            }
            // An occurrence without bytes (its items have problems) adds nothing more.
            if (tooMany_ || one == 0) break;
        }
        size = one * item.occurs;
        if (counted_ && index == counted_->item && !alternative) {
            varying_.Pos = static_cast<std::int32_t>(offset + 1);
            varying_.occurrenceSize = static_cast<std::int32_t>(one);
            varying_.min = static_cast<std::int32_t>(item.occursMin);
            varying_.max = static_cast<std::int32_t>(item.occurs);
        }
    }

    // One occurrence of group `item` at byte `at`; returns its bytes.
    std::int64_t group(const Item& item, std::int64_t at, Usage usage, SignPosition sign,
                       bool signClause, const std::string& sub,
                       std::optional<std::size_t> alternative, std::vector<FieldDef>& fields) {
        std::int64_t extent = 0;
        std::vector<std::int64_t> starts(item.children.size(), 0);
        std::int64_t next = at;
        for (std::size_t n = 0; n < item.children.size() && !tooMany_; ++n) {
            const std::size_t child = item.children[n];
            const Item& c = items_[child];
            std::int64_t childSize = 0;
            if (c.redefined) {
                const auto redefined = static_cast<std::size_t>(
                    std::find(item.children.begin(), item.children.end(), *c.redefined) -
                    item.children.begin());
                if (redefined >= n) continue;
                const std::int64_t start = starts[redefined];
                const std::size_t a = alternativeFor(child, alternative);
                std::vector<FieldDef> laid;
                layOut(child, start, usage, sign, signClause, sub, a, laid, childSize);
                Alternative& over = alternatives_[a];  // after the layout, which may add some
                over.ranges.emplace_back(start, redefinedSize_[*c.redefined]);
                over.fields.insert(over.fields.end(), laid.begin(), laid.end());
                if (over.fields.size() > static_cast<std::size_t>(kMaxImportedFields)) {
                    problems_.add(c.line, "項目が多すぎます。");
                    tooMany_ = true;
                }
                extent = std::max(extent, start + childSize - at);
                continue;
            }
            starts[n] = next;
            layOut(child, next, usage, sign, signClause, sub, alternative, fields, childSize);
            redefinedSize_[child] = childSize;
            next += childSize;
            extent = std::max(extent, next - at);
        }
        return extent;
    }

    // The alternative of redefining item `item` (one for all the occurrences around it).
    std::size_t alternativeFor(std::size_t item, std::optional<std::size_t> within) {
        const auto [it, added] = byItem_.emplace(item, alternatives_.size());
        if (added) alternatives_.push_back({item, within, {}, {}});
        return it->second;
    }

    // `kind` with the fields of `alternative` in place of those it lies over.
    static void lay(const Alternative& alternative, RecordDef& kind) {
        std::erase_if(kind.Fields, [&](const FieldDef& f) {
            return std::any_of(
                alternative.ranges.begin(), alternative.ranges.end(), [&](const auto& range) {
                    return f.Pos > range.first && f.Pos <= range.first + range.second;
                });
        });
        kind.Fields.insert(kind.Fields.end(), alternative.fields.begin(), alternative.fields.end());
        std::stable_sort(kind.Fields.begin(), kind.Fields.end(),
                         [](const FieldDef& a, const FieldDef& b) { return a.Pos < b.Pos; });
    }

    // The 1-based index of the counter among `fields`; 0 when it is not there.
    std::int32_t counterIndex(const std::vector<FieldDef>& fields) const {
        const std::string& name = items_[counted_->counter].name;
        for (std::size_t i = 0; i < fields.size(); ++i) {
            if (fields[i].Pos == counterPos_ && fields[i].Name == name) {
                return static_cast<std::int32_t>(i + 1);
            }
        }
        return 0;
    }

    // Gives `kind` its table of varying length. False, with a problem, when a redefinition lies
    // over the counter or over part of the table: the kinds could not follow the counter.
    bool placeTable(RecordDef& kind) {
        varying_.counter = counterIndex(kind.Fields);
        if (varying_.counter == 0 || varying_.occurrenceSize == 0) {
            // Its items have problems of their own; the record is never left out unsaid.
            if (problems_.empty()) {
                problems_.add(items_[counted_->item].occursLine,
                              "OCCURS DEPENDING ON の表を配置できません。");
            }
            return false;
        }
        const FieldDef& counter = kind.Fields[static_cast<std::size_t>(varying_.counter - 1)];
        const std::int64_t tableFrom = varying_.Pos - 1, tableTo = varying_.end() - 1;
        const std::int64_t counterFrom = counter.Pos - 1, counterTo = counterFrom + counter.Size;
        bool placed = true;
        for (const Alternative& alternative : alternatives_) {
            // A redefinition within the table's occurrences goes with them.
            bool inTable = false;
            for (std::optional<std::size_t> at = alternative.item; at && !inTable;
                 at = items_[*at].parent) {
                inTable = *at == counted_->item;
            }
            for (const auto& [from, bytes] : alternative.ranges) {
                const std::int64_t to = from + bytes;
                const bool overCounter = from < counterTo && counterFrom < to;
                const bool overTable = from < tableTo && tableFrom < to;
                if (overCounter || (overTable && !inTable)) {
                    problems_.add(items_[alternative.item].line,
                                  "OCCURS DEPENDING ON の表や回数の項目に重なる REDEFINES "
                                  "には対応していません。");
                    placed = false;
                    break;
                }
            }
        }
        kind.varying = varying_;
        return placed;
    }

    static std::optional<ParseError> elementary(const Item& item, Usage usage, SignPosition sign,
                                                bool signClause, FieldDef& f) {
        if (item.picture.empty()) {
            return ParseError{item.line, "PIC 句がありません: " + item.name};
        }
        const std::optional<Picture> picture = readPicture(item.picture);
        if (!picture) return ParseError{item.line, "解釈できない PIC 句です: " + item.picture};
        f.Check = item.filler ? 0 : -1;
        f.Memo = "PIC " + item.picture + (item.usageText.empty() ? "" : " " + item.usageText);
        // A field line holds no comma of its own: an edited picture's commas become full-width.
        for (std::size_t at = f.Memo.find(','); at != std::string::npos; at = f.Memo.find(',')) {
            f.Memo.replace(at, 1, "，");
        }
        switch (picture->kind) {
            case Picture::Kind::DoubleByte:
                f.Type = std::string(kTypeDoubleByte);
                f.Size = static_cast<std::int32_t>(2 * picture->length);
                return std::nullopt;
            case Picture::Kind::Text:
                f.Type = "X";
                f.Size = static_cast<std::int32_t>(picture->length);
                return std::nullopt;
            case Picture::Kind::Numeric:
                break;
        }
        if (picture->digits > 37) {
            return ParseError{item.line, "38 桁以上の数値には対応していません。"};
        }
        f.Dec = static_cast<std::int32_t>(picture->dec);
        f.scale = static_cast<std::int32_t>(picture->scale);
        const std::int64_t digits = picture->digits;
        switch (usage) {
            case Usage::Packed:
                f.Type = "P";
                f.Size = static_cast<std::int32_t>(digits / 2 + 1);
                break;
            case Usage::Binary:
            case Usage::NativeBinary:
                if (digits > 18) {
                    return ParseError{item.line, "19 桁以上のバイナリ項目には対応していません。"};
                }
                f.Type = std::string(kTypeBinary);
                f.Size = digits <= 4 ? 2 : digits <= 9 ? 4 : 8;
                f.signedBinary = picture->isSigned;
                f.byteOrder = usage == Usage::NativeBinary ? ByteOrder::Native : ByteOrder::Big;
                break;
            case Usage::DoubleByte:
                return ParseError{item.line, "数字の PIC 句に DISPLAY-1 は指定できません。"};
            case Usage::Unset:
            case Usage::Display:
                f.Type = "9";
                f.Size = static_cast<std::int32_t>(digits);
                if (picture->isSigned && signClause) {
                    f.sign = sign;
                    if (separateSign(sign)) ++f.Size;
                }
                break;
        }
        return std::nullopt;
    }

    std::vector<Alternative> alternatives_;
    std::map<std::size_t, std::size_t> byItem_;  // redefining item -> its alternative
    std::vector<std::int64_t> redefinedSize_;    // by item: the bytes of its layout
    const std::vector<Item>& items_;
    Problems& problems_;
    bool tooMany_ = false;  // the record's expansion went beyond kMaxImportedFields
    std::optional<CountedTable> counted_;
    std::int32_t counterPos_ = 0;  // where the counter's field was laid out
    VaryingTable varying_;
};

}  // namespace

bool isCopybookPath(const std::string& path) {
    if (path.size() < 4) return false;
    const std::string extension = asciiLower(path.substr(path.size() - 4));
    return extension == ".cpy" || extension == ".cob" || extension == ".cbl";
}

Status importCopybookText(std::string_view text, RecordDefTable& table) {
    table.reset(1);
    Problems problems;
    const std::vector<Token> tokens = tokenize(sourceText(text), problems);

    // The entries, and the tree of items under each 01 level.
    std::vector<Item> items;
    std::vector<std::size_t> records;  // the 01 levels
    std::vector<std::size_t> open;     // the items an entry may belong to, outermost first
    for (std::size_t i = 0; i < tokens.size();) {
        std::size_t end = i;
        while (end < tokens.size() && tokens[end].text != ".") ++end;
        if (end == i) {
            ++i;
            continue;
        }
        const Token& first = tokens[i];
        const std::size_t begin = i + 1;
        i = end + 1;
        const std::optional<std::int32_t> level = parseInt32(first.text);
        if (!level) {
            problems.add(first.line, "レベル番号がありません: " + first.text);
            continue;
        }
        if (*level == 66 || *level == 77 || *level == 88) continue;
        if (*level < 1 || *level > 49) {
            problems.add(first.line, "レベル番号に誤りがあります: " + first.text);
            continue;
        }
        Item item;
        item.level = *level;
        item.line = first.line;
        readEntry(tokens, begin, end, item, problems);
        const std::size_t index = items.size();
        if (item.level == 1) {
            open.clear();
        } else {
            while (!open.empty() && items[open.back()].level >= item.level) open.pop_back();
            if (open.empty()) {
                problems.add(item.line, "01 レベルの前に項目があります: " + item.name);
                continue;
            }
        }
        // The item it redefines: the last earlier item of its level under the same parent.
        const std::vector<std::size_t>& siblings =
            open.empty() ? records : items[open.back()].children;
        if (!item.redefines.empty()) {
            auto it = std::find_if(siblings.rbegin(), siblings.rend(), [&](std::size_t s) {
                return upper(items[s].name) == item.redefines && items[s].level == item.level;
            });
            if (it == siblings.rend()) {
                problems.add(item.line, "REDEFINES の対象の項目がありません: " + item.redefines);
            } else {
                // A chain of redefinitions all lie over the first item.
                item.redefined = items[*it].redefined ? *items[*it].redefined : *it;
            }
        }
        if (!open.empty()) item.parent = open.back();
        items.push_back(item);
        if (open.empty()) {
            records.push_back(index);
        } else if (!items[open.back()].picture.empty()) {
            problems.add(item.line,
                         "PIC 句のある項目の下に項目があります: " + items[open.back()].name);
            items[index].parent.reset();
        } else {
            items[open.back()].children.push_back(index);
        }
        open.push_back(index);
    }
    if (records.empty() && problems.empty()) problems.add(1, "01 レベルの項目がありません。");

    const std::vector<std::optional<CountedTable>> counted =
        countedTables(items, records, problems);
    Importer importer(items, problems);
    for (std::size_t r = 0; r < records.size(); ++r) {
        importer.importRecord(records[r], counted[r], table);
    }
    if (!problems.empty()) {
        table.reset(1);
        return problems.failure();
    }
    RecordDef& file = table[0];
    file.Name = table[1].Name;
    file.Size = table[1].Size;
    for (int k = 1; k <= table.maxIndex(); ++k) {
        const RecordDef& kind = table[static_cast<std::size_t>(k)];
        // Records of a kind with a table of varying length differ in length.
        if (kind.Size != file.Size || kind.varying.present()) file.Size = 0;
    }
    file.Delimiter = ",";
    file.TitleLine = true;
    return {};
}

}  // namespace sorvek
