#include "formats/copybook_import.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

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

Failure failureAt(int line, const std::string& reason) {
    return failure(std::string(kCannotImportText) + "\n行 " + std::to_string(line) + ": " + reason,
                   FailureKind::InvalidDefinition);
}

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
// of its own. Commas and semicolons followed by a blank separate like blanks.
std::vector<Token> tokenize(const std::vector<std::pair<std::string, int>>& source) {
    std::vector<Token> tokens;
    for (const auto& [line, number] : source) {
        std::size_t i = 0;
        const std::size_t n = line.size();
        while (i < n) {
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
    std::int64_t occurs = 1;
    std::string redefines;
    std::vector<std::size_t> children;
    std::optional<std::size_t> redefined;  // the index of the item it redefines
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

// Reads the clauses of one entry, tokens [begin, end) after the level number.
std::optional<ParseError> readEntry(const std::vector<Token>& t, std::size_t begin, std::size_t end,
                                    Item& item) {
    std::size_t i = begin;
    if (i < end && !isClauseWord(t[i].text)) {
        item.name = t[i].text;
        ++i;
    }
    item.filler = item.name.empty() || upper(item.name) == "FILLER";
    if (item.filler) item.name = "FILLER";
    if (!storableName(item.name)) {
        return ParseError{t[begin].line, "定義ファイルに保存できない文字を含む名前です: " +
                                             decodeText(item.name, TextEncoding::Utf8)};
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
            if (i >= end) return ParseError{line, "PIC 句に文字列がありません。"};
            item.picture = t[i++].text;
        } else if (w == "USAGE") {
            skipIs();
            if (i >= end) return ParseError{line, "USAGE 句に用途がありません。"};
            const std::string u = t[i++].text;
            if (isUnsupportedUsage(u)) {
                return ParseError{line, "対応していない用途です: " + u};
            }
            const std::optional<Usage> usage = usageOf(u);
            if (!usage) return ParseError{line, "解釈できない用途です: " + u};
            item.usage = *usage;
            item.usageText = upper(u);
        } else if (usageOf(w)) {
            item.usage = *usageOf(w);
            item.usageText = w;
        } else if (isUnsupportedUsage(w)) {
            return ParseError{line, "対応していない用途です: " + w};
        } else if (w == "SIGN" || w == "LEADING" || w == "TRAILING") {
            std::string position = w;
            if (w == "SIGN") {
                skipIs();
                position = word(i++);
            }
            if (position != "LEADING" && position != "TRAILING") {
                return ParseError{line, "SIGN 句には LEADING か TRAILING を指定します。"};
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
            const std::optional<std::int32_t> n = parseInt32(word(i));
            if (!n || *n < 1) return ParseError{line, "OCCURS 句の回数に誤りがあります。"};
            item.occurs = *n;
            ++i;
            if (word(i) == "TO") {
                return ParseError{line, "OCCURS DEPENDING ON (可変回数) には対応していません。"};
            }
            if (word(i) == "TIMES") ++i;
            // KEY and INDEXED BY name keys and indexes; they change no byte.
            while (i < end) {
                const std::string v = word(i);
                if (v == "DEPENDING") {
                    return ParseError{t[i].line,
                                      "OCCURS DEPENDING ON (可変回数) には対応していません。"};
                }
                if (v == "ASCENDING" || v == "DESCENDING" || v == "INDEXED" || v == "KEY" ||
                    v == "BY" || v == "IS") {
                    ++i;
                    while (i < end && !isClauseWord(t[i].text) && word(i) != "DEPENDING" &&
                           word(i) != "INDEXED" && word(i) != "ASCENDING" &&
                           word(i) != "DESCENDING") {
                        ++i;
                    }
                    continue;
                }
                break;
            }
        } else if (w == "REDEFINES") {
            if (i >= end) return ParseError{line, "REDEFINES 句に項目名がありません。"};
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
            return ParseError{line, "SYNCHRONIZED 句には対応していません。"};
        } else {
            return ParseError{line, "解釈できない句です: " + t[i - 1].text};
        }
    }
    return std::nullopt;
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
    std::int64_t positions = 0, leadingP = 0, trailingP = 0;
    for (const auto& [c, count] : symbols) {
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

class Importer {
  public:
    explicit Importer(const std::vector<Item>& items)
        : redefinedSize_(items.size(), 0), items_(items) {}

    // The fields of item `index` at byte `offset` (0-based), its occurrences expanded; returns
    // the bytes one occurrence of it takes times its count. Redefining items are laid out at the
    // place of the item they redefine and left out of `fields`; those outside any OCCURS are
    // kept in alternatives_.
    std::optional<ParseError> layOut(std::size_t index, std::int64_t offset, Usage usage,
                                     SignPosition sign, bool signClause,
                                     const std::string& subscripts, bool insideOccurs,
                                     std::vector<FieldDef>& fields, std::int64_t& size) {
        const Item& item = items_[index];
        if (item.usage != Usage::Unset) usage = item.usage;
        if (item.signClause) {
            sign = item.sign;
            signClause = true;
        }
        std::int64_t one = 0;
        std::vector<FieldDef> occurrence;
        auto subscripted = [&](std::int64_t k) {
            if (item.occurs == 1) return subscripts;
            return subscripts + "(" + std::to_string(k) + ")";
        };
        for (std::int64_t k = 1; k <= item.occurs; ++k) {
            const std::int64_t at = offset + (k - 1) * one;
            const std::string sub = subscripted(k);
            const bool inside = insideOccurs || item.occurs > 1;
            if (item.children.empty()) {
                FieldDef f;
                if (auto error = elementary(item, usage, sign, signClause, f)) return error;
                f.Name = item.name + sub;
                f.Pos = static_cast<std::int32_t>(at + 1);
                one = f.Size;
                fields.push_back(f);
            } else {
                std::int64_t extent = 0;  // of one occurrence
                std::vector<std::int64_t> starts(item.children.size(), 0);
                std::int64_t next = at;
                for (std::size_t n = 0; n < item.children.size(); ++n) {
                    const std::size_t child = item.children[n];
                    const Item& c = items_[child];
                    std::int64_t childSize = 0;
                    if (c.redefined) {
                        const std::size_t redefined = static_cast<std::size_t>(
                            std::find(item.children.begin(), item.children.end(), *c.redefined) -
                            item.children.begin());
                        const std::int64_t start = starts[redefined];
                        std::vector<FieldDef> alternative;
                        // A redefinition inside a redefinition offers no kind of its own.
                        if (auto error = layOut(child, start, usage, sign, signClause, sub, true,
                                                alternative, childSize)) {
                            return error;
                        }
                        if (!inside) {
                            alternatives_.push_back({child, start, redefinedSize_[*c.redefined],
                                                     std::move(alternative)});
                        }
                        extent = std::max(extent, start + childSize - at);
                        continue;
                    }
                    starts[n] = next;
                    if (auto error = layOut(child, next, usage, sign, signClause, sub, inside,
                                            fields, childSize)) {
                        return error;
                    }
                    redefinedSize_[child] = childSize;
                    next += childSize;
                    extent = std::max(extent, next - at);
                }
                one = extent;
            }
            if (fields.size() > static_cast<std::size_t>(kMaxImportedFields)) {
                return ParseError{item.line, "項目が多すぎます。"};
            }
        }
        size = one * item.occurs;
        return std::nullopt;
    }

    struct Alternative {
        std::size_t item;
        std::int64_t offset;
        std::int64_t redefinedSize;
        std::vector<FieldDef> fields;
    };
    std::vector<Alternative> alternatives_;
    std::vector<std::int64_t> redefinedSize_;  // by item: the bytes of its layout

  private:
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

    const std::vector<Item>& items_;
};

}  // namespace

bool isCopybookPath(const std::string& path) {
    if (path.size() < 4) return false;
    const std::string extension = asciiLower(path.substr(path.size() - 4));
    return extension == ".cpy" || extension == ".cob" || extension == ".cbl";
}

Status importCopybookText(std::string_view text, RecordDefTable& table) {
    table.reset(1);
    const std::vector<Token> tokens = tokenize(sourceText(text));

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
        const std::optional<std::int32_t> level = parseInt32(first.text);
        if (!level) return failureAt(first.line, "レベル番号がありません: " + first.text);
        const std::size_t next = end + 1;
        if (*level == 66 || *level == 77 || *level == 88) {
            i = next;
            continue;
        }
        if (*level < 1 || *level > 49) {
            return failureAt(first.line, "レベル番号に誤りがあります: " + first.text);
        }
        Item item;
        item.level = *level;
        item.line = first.line;
        if (auto error = readEntry(tokens, i + 1, end, item)) {
            return failureAt(error->line, error->reason);
        }
        const std::size_t index = items.size();
        if (item.level == 1) {
            open.clear();
        } else {
            while (!open.empty() && items[open.back()].level >= item.level) open.pop_back();
            if (open.empty()) {
                return failureAt(item.line, "01 レベルの前に項目があります: " + item.name);
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
                return failureAt(item.line,
                                 "REDEFINES の対象の項目がありません: " + item.redefines);
            }
            // A chain of redefinitions all lie over the first item.
            item.redefined = items[*it].redefined ? *items[*it].redefined : *it;
        }
        items.push_back(item);
        if (open.empty()) {
            records.push_back(index);
        } else {
            if (!items[open.back()].picture.empty()) {
                return failureAt(
                    item.line, "PIC 句のある項目の下に項目があります: " + items[open.back()].name);
            }
            items[open.back()].children.push_back(index);
        }
        open.push_back(index);
        i = next;
    }
    if (records.empty()) return failureAt(1, "01 レベルの項目がありません。");

    Importer importer(items);
    for (std::size_t record : records) {
        const Item& item = items[record];
        std::vector<FieldDef> fields;
        std::int64_t size = 0;
        importer.alternatives_.clear();
        if (auto error = importer.layOut(record, 0, Usage::Unset, SignPosition::Undeclared, false,
                                         "", false, fields, size)) {
            return failureAt(error->line, error->reason);
        }
        if (size > INT32_MAX) return failureAt(item.line, "レコードが長すぎます。");
        RecordDef kind;
        kind.Name = item.name;
        kind.Size = static_cast<std::int32_t>(size);
        kind.Fields = fields;
        table.entries.push_back(kind);
        for (const Importer::Alternative& alternative : importer.alternatives_) {
            RecordDef other = kind;
            other.Name = item.name + " (" + items[alternative.item].name + ")";
            const std::int64_t from = alternative.offset + 1;
            const std::int64_t to = from + alternative.redefinedSize;
            std::erase_if(other.Fields,
                          [&](const FieldDef& f) { return f.Pos >= from && f.Pos < to; });
            other.Fields.insert(other.Fields.end(), alternative.fields.begin(),
                                alternative.fields.end());
            std::stable_sort(other.Fields.begin(), other.Fields.end(),
                             [](const FieldDef& a, const FieldDef& b) { return a.Pos < b.Pos; });
            table.entries.push_back(std::move(other));
        }
    }
    RecordDef& file = table[0];
    file.Name = table[1].Name;
    file.Size = table[1].Size;
    for (int k = 2; k <= table.maxIndex(); ++k) {
        if (table[static_cast<std::size_t>(k)].Size != file.Size) file.Size = 0;
    }
    file.Delimiter = ",";
    file.TitleLine = true;
    return {};
}

}  // namespace sorvek
