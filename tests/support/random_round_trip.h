#pragma once
// Random definitions and records that the CSV-to-records job must make again, byte for byte,
// from the text the record-to-CSV job writes of them. Every byte of every record lies in exactly
// one written field, so the text holds all there is; and the records are canonical, as the way
// back writes a value: zoned signs as the option or the layout reads them (negative digits "p"
// to "y" in CP932, zones C or F and D on EBCDIC, "+" or "-" of the page apart), packed signs C
// and D, no negative zero, text padded with the page's blanks, made of characters the page and
// the text's encoding both hold.
#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "engine/engine_context.h"
#include "model/host_data.h"
#include "model/record_def.h"
#include "model/record_output_options.h"
#include "platform/codepage.h"
#include "platform/page_encoder.h"
#include "support/random_records.h"
#include "support/record_tables.h"

namespace sorvek::testing {

struct RoundTripCase {
    RecordDefTable table;  // the output options drawn in `output`, the title line in entry 0
    RecordOutputOptions framing;
    std::string records;  // the data file, framed as `framing` and the definition say
    std::size_t blockSize = kDefaultBlockSize;  // the jobs' input blocks
    std::string summary;                        // what was drawn, for a failure's message
    std::vector<int> lineKinds;  // the kind of each record that writes a line, in order
};

// Draws cases: a page (CP932 or an EBCDIC page), fixed records (with a line end after each on
// CP932) or records behind descriptor words (V, VB blocked greedily), kinds told apart by a
// class code held in a written text field, three generations deep with several kinds without
// children, every field type with its host forms, and every output option of the record-to-CSV
// job.
class RoundTripDraw {
  public:
    explicit RoundTripDraw(std::mt19937& rng) : rng_(rng) {}

    RoundTripCase next() {
        RoundTripCase c;
        classField_.clear();
        classOffsets_.clear();
        drawFile(c);
        drawKinds(c);
        lineKinds_.clear();
        drawRecords(c);
        c.lineKinds = lineKinds_;
        return c;
    }

  private:
    static constexpr int kMaxDepth = 3;
    std::vector<int> lineKinds_;

    int pick(int n) { return static_cast<int>(rng_() % static_cast<unsigned>(n)); }
    bool chance(int n) { return pick(n) == 0; }
    template <class T, std::size_t N>
    const T& oneOf(const T (&items)[N]) {
        return items[pick(static_cast<int>(N))];
    }
    template <class T>
    const T& oneOf(const std::vector<T>& items) {
        return items[static_cast<std::size_t>(pick(static_cast<int>(items.size())))];
    }

    void drawFile(RoundTripCase& c) {
        const InputCodePage pages[] = {InputCodePage::Cp932,  InputCodePage::Cp932,
                                       InputCodePage::Ibm930, InputCodePage::Ibm939,
                                       InputCodePage::Ibm037, InputCodePage::Ibm1047};
        const RecordFormat formats[] = {RecordFormat::Fixed, RecordFormat::Fixed, RecordFormat::V,
                                        RecordFormat::VB};
        const char* delimiters[] = {",", ",", "\\t", ";", "||"};
        page_ = oneOf(pages);
        ebcdic_ = isEbcdic(page_);
        c.table = makeTable(fileDefinition(0, "", oneOf(delimiters), chance(2)), {});
        c.table[0].codePage = page_;
        c.table[0].recordFormat = oneOf(formats);
        c.table[0].descriptorWords = randomDescriptorWords([this](int n) { return pick(n); });
        options_ = {static_cast<CsvEncoding>(pick(3)),
                    static_cast<CsvQuoting>(pick(3)),
                    chance(2),
                    static_cast<ZonedSign>(pick(3)),
                    static_cast<InvalidPacked>(pick(3)),
                    static_cast<CsvLineEnd>(pick(2))};
        c.table.output = options_;
        if (c.table[0].recordFormat == RecordFormat::Fixed && !ebcdic_) {
            c.framing.end = static_cast<RecordEnd>(pick(3));
        }
        const std::size_t blocks[] = {1, 2, 3, 7, 64, kDefaultBlockSize};
        c.blockSize = oneOf(blocks);
        delimiter_ = c.table[0].Delimiter == "\\t" ? "\t" : c.table[0].Delimiter;
        drawCharacters();
        const RecordDef& file = c.table[0];
        c.summary =
            std::string(inputCodePageName(page_)) + " " +
            std::string(optionWord(kRecordFormatWords, file.recordFormat)) + " (words " +
            std::string(optionWord(kDescriptorByteOrderWords, file.descriptorWords.byteOrder)) +
            " " + std::string(optionWord(kDescriptorLengthWords, file.descriptorWords.length)) +
            "), record end " + std::string(optionWord(kRecordEndWords, c.framing.end)) +
            ", delimiter \"" + file.Delimiter + "\", title " + (file.TitleLine ? "on" : "off") +
            ", " + std::string(optionWord(kEncodingWords, options_.encoding)) + ", quoting " +
            std::string(optionWord(kQuotingWords, options_.quoting)) + ", trim " +
            (options_.trimBlanks ? "on" : "off") + ", zoned sign " +
            std::string(optionWord(kZonedSignWords, options_.zonedSign)) + ", invalid packed " +
            std::string(optionWord(kInvalidPackedWords, options_.invalidPacked)) + ", " +
            std::string(optionWord(kLineEndWords, options_.lineEnd)) + ", blocks of " +
            std::to_string(c.blockSize) + "\n";
    }

    // The characters text is drawn from: one-byte characters of the page, and its double-byte
    // ones (on the Japanese pages). Bytes that quoting must carry (the delimiter's, a double
    // quote, CR and LF) only where the text is quoted.
    void drawCharacters() {
        const bool japanese = page_ == InputCodePage::Cp932 || hasShiftedDoubleByte(page_);
        single_.clear();
        wide_.clear();
        for (char c : std::string("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 .-/()+&*%=?:'<>_"))
            single_.emplace_back(1, c);
        if (page_ != InputCodePage::Ibm930) {
            for (char c = 'a'; c <= 'z'; ++c) single_.emplace_back(1, c);
        }
        if (page_ == InputCodePage::Cp932 || page_ == InputCodePage::Ibm930) {
            for (const char* k : {"ｱ", "ｲ", "ｳ", "ｶ", "ｷ", "ﾀ", "ﾁ", "ﾝ", "ｰ", "ﾞ"})
                single_.emplace_back(k);
        }
        // Minimal quoting leaves a value that ends with the start of a longer delimiter, or
        // starts with its end, as it is, which no reader can split again.
        const bool quoted = options_.quoting != CsvQuoting::None;
        const bool delimiterQuoted =
            options_.quoting == CsvQuoting::All || (quoted && delimiter_.size() == 1);
        for (const char* s : {"\"", ",", ";", "\t", "\r", "\n", "|"}) {
            const bool carried = delimiter_.find(s[0]) != std::string::npos ? delimiterQuoted
                                 : std::string("\"\r\n").find(s[0]) != std::string::npos ? quoted
                                                                                         : true;
            if (carried) single_.emplace_back(s);
        }
        if (!japanese) return;
        for (const char* w : {"あ", "い", "う", "ア", "イ", "ウ", "ー", "漢", "字", "日", "本",
                              "売", "上", "伝", "票", "金", "額", "東", "京", "Ａ", "１", "　"}) {
            wide_.emplace_back(w);
        }
    }

    void drawKinds(RoundTripCase& c) {
        const int kinds = chance(5) ? 1 : 2 + pick(5);
        classCodes_ = kinds > 1 || chance(2);
        const int classPos = 1 + pick(3);
        const int codeLength = 1 + pick(2);
        if (classCodes_) c.table[0].Class = std::to_string(classPos);
        std::string letters = "ABCDEFGHJKLMNPQRSTUVWXYZ";
        std::shuffle(letters.begin(), letters.end(), rng_);
        depth_.assign(static_cast<std::size_t>(kinds) + 1, 0);
        for (int k = 1; k <= kinds; ++k) {
            int parent = 0;
            if (k > 1 && !chance(3)) {
                parent = 1 + pick(k - 1);
                if (depth_[static_cast<std::size_t>(parent)] >= kMaxDepth) parent = 0;
            }
            depth_[static_cast<std::size_t>(k)] =
                parent == 0 ? 1 : depth_[static_cast<std::size_t>(parent)] + 1;
            std::string code;
            if (classCodes_) {
                code = letters.substr(static_cast<std::size_t>(k - 1), 1);
                if (codeLength == 2) code += static_cast<char>('0' + pick(10));
            }
            c.table.entries.push_back(
                recordDefinition("R" + std::to_string(k), 0, code, parent, 0, {}));
            if (parent != 0) c.table[static_cast<std::size_t>(parent)].Child = k;
        }
        for (int k = 1; k <= kinds; ++k) {
            RecordDef& kind = c.table[static_cast<std::size_t>(k)];
            drawFields(kind, classPos, kind.Child != 0);
            c.summary += describe(kind);
        }
        // A common record length where every kind has it, now and then.
        const int size = c.table[1].Size;
        bool same = true;
        for (int k = 2; k <= kinds; ++k)
            same = same && c.table[static_cast<std::size_t>(k)].Size == size;
        if (same && chance(2)) c.table[0].Size = size;
    }

    // Fields that cover every byte of the kind: the ones before the class code, the text field
    // that holds it, and some more (at least one in a kind with children, whose records must
    // differ).
    void drawFields(RecordDef& kind, int classPos, bool hasChildren) {
        int at = 0;
        int classOffset = 0;
        auto add = [&](FieldDef f) {
            f.Name = kind.Name + "_" + std::to_string(kind.Fields.size() + 1);
            f.Pos = at + 1;
            at += f.Size;
            kind.Fields.push_back(std::move(f));
        };
        if (classCodes_) {
            const int codeAt = classPos - 1;
            const int before = codeAt > 0 && chance(2) ? 1 : 0;  // the code inside the field
            while (at < codeAt - before) add(drawField(codeAt - before - at));
            FieldDef text =
                field("", "X", 0, before + static_cast<int>(kind.Class.size()) + pick(3));
            classOffset = before;
            add(text);
            classField_.push_back(static_cast<int>(kind.Fields.size()) - 1);
        } else {
            classField_.push_back(-1);
        }
        for (int n = pick(5) + (hasChildren || kind.Fields.empty() ? 1 : 0); n > 0; --n)
            add(drawField(12));
        kind.Size = at;
        classOffsets_.push_back(classOffset);
    }

    FieldDef drawField(int room) {
        const int kind = pick(room >= 2 ? (ebcdic_ ? 11 : 10) : 6);
        if (kind < 3) return field("", "X", 0, 1 + pick(std::min(room, 12)));
        if (kind < 6) {
            const int size = 1 + pick(std::min(room, 9));
            FieldDef f = field("", "9", 0, size, pick(size + 1));
            if (chance(2)) {
                const SignPosition signs[] = {SignPosition::Trailing, SignPosition::Leading,
                                              SignPosition::TrailingSeparate,
                                              SignPosition::LeadingSeparate};
                f.sign = size >= 2 ? oneOf(signs) : signs[pick(2)];
            }
            f.leadingSign = chance(2);
            f.scale = chance(3) ? pick(7) - 3 : 0;
            return f;
        }
        if (kind < 8) {
            const int size = 1 + pick(std::min(room, 6));
            FieldDef f = field("", "P", 0, size, pick(2 * size));
            f.scale = chance(4) ? pick(7) - 3 : 0;
            return f;
        }
        if (kind < 10) {
            const int sizes[] = {2, 4, 8};
            int size = oneOf(sizes);
            while (size > room) size /= 2;
            FieldDef f = field("", "BIN", 0, size, pick(4));
            f.signedBinary = chance(2);
            f.byteOrder = chance(2) ? ByteOrder::Big : ByteOrder::Native;
            f.scale = chance(4) ? pick(7) - 3 : 0;
            return f;
        }
        return field("", "DBCS", 0, 2 + pick(std::min(room, 10) - 1));
    }

    static std::string describe(const RecordDef& kind) {
        std::string text = kind.Name + " (parent " + std::to_string(kind.Parent) + ", class \"" +
                           kind.Class + "\", " + std::to_string(kind.Size) + " bytes):";
        for (const FieldDef& f : kind.Fields) {
            text += " " + f.Type + "@" + std::to_string(f.Pos) + "+" + std::to_string(f.Size);
            if (f.Dec != 0) text += "." + std::to_string(f.Dec);
            if (f.sign != SignPosition::Undeclared)
                text += " " + std::string(optionWord(kSignPositionWords, f.sign));
            if (f.leadingSign) text += " leading";
            if (f.scale != 0) text += " scale " + std::to_string(f.scale);
            if (f.Type == "BIN") {
                text += f.signedBinary ? " signed" : " unsigned";
                if (f.byteOrder == ByteOrder::Native) text += " native";
            }
        }
        return text + "\n";
    }

    // The records: groups under kinds without a parent, each record of a kind with children
    // followed by one to three of them, so that every record reaches a line. Now and then the
    // file starts with a group under a kind with a parent, whose lines leave the generations
    // above it out.
    void drawRecords(RoundTripCase& c) {
        last_.assign(c.table.entries.size(), std::string());
        std::vector<std::string> records;
        std::vector<int> roots, children;
        for (int k = 1; k <= c.table.maxIndex(); ++k)
            (c.table[static_cast<std::size_t>(k)].Parent == 0 ? roots : children).push_back(k);
        if (!children.empty() && chance(4)) emit(c.table, oneOf(children), records);
        for (int groups = chance(15) ? 0 : 1 + pick(6); groups > 0; --groups)
            emit(c.table, oneOf(roots), records);
        frame(c, records);
    }

    void emit(const RecordDefTable& table, int k, std::vector<std::string>& records) {
        const RecordDef& kind = table[static_cast<std::size_t>(k)];
        std::string record;
        // Another record of a kind with children must differ from the one before, or the text
        // would hold one group where the records held two; a CR or LF that starts a record
        // would be taken for the line end of the one before.
        for (int tries = 0; tries < 50; ++tries) {
            record = drawRecord(kind, k);
            const bool lineEnd = !ebcdic_ && (record[0] == '\r' || record[0] == '\n');
            if (!lineEnd && (kind.Child == 0 || record != last_[static_cast<std::size_t>(k)]))
                break;
        }
        last_[static_cast<std::size_t>(k)] = record;
        records.push_back(record);
        if (kind.Child == 0) {
            lineKinds_.push_back(k);
            return;
        }
        std::vector<int> children;
        for (int r = 1; r <= table.maxIndex(); ++r) {
            if (table[static_cast<std::size_t>(r)].Parent == k) children.push_back(r);
        }
        for (int n = 1 + pick(3); n > 0; --n) emit(table, oneOf(children), records);
    }

    void frame(RoundTripCase& c, const std::vector<std::string>& records) {
        const RecordFormat format = c.table[0].recordFormat;
        const char* ends[] = {"", "\r\n", "\n"};
        std::size_t longest = 0;
        for (int k = 1; k <= c.table.maxIndex(); ++k)
            longest = std::max(longest,
                               static_cast<std::size_t>(c.table[static_cast<std::size_t>(k)].Size));
        c.framing.blockSize = static_cast<std::uint32_t>(
            longest + 8 + static_cast<std::size_t>(pick(static_cast<int>(3 * longest + 10))));
        auto word = [&c](std::size_t length) {
            return descriptorWordOf(length, c.table[0].descriptorWords);
        };
        std::string block;
        for (const std::string& r : records) {
            if (format == RecordFormat::Fixed) {
                c.records += r + ends[static_cast<int>(c.framing.end)];
            } else if (format == RecordFormat::V) {
                c.records += word(r.size() + 4) + r;
            } else {
                // Greedy: a record goes into the block while the block stays within its size.
                if (!block.empty() && 4 + block.size() + 4 + r.size() > c.framing.blockSize) {
                    c.records += word(block.size() + 4) + block;
                    block.clear();
                }
                block += word(r.size() + 4) + r;
            }
        }
        if (!block.empty()) c.records += word(block.size() + 4) + block;
        c.summary += std::to_string(records.size()) + " records, VB block " +
                     std::to_string(c.framing.blockSize) + "\n";
    }

    std::string drawRecord(const RecordDef& kind, int k) {
        std::string record(static_cast<std::size_t>(kind.Size), '\0');
        const int classField = classField_[static_cast<std::size_t>(k - 1)];
        for (std::size_t i = 0; i < kind.Fields.size(); ++i) {
            const FieldDef& f = kind.Fields[i];
            auto* at = reinterpret_cast<unsigned char*>(record.data()) + f.Pos - 1;
            if (static_cast<int>(i) == classField) {
                classText(f, kind.Class, classOffsets_[static_cast<std::size_t>(k - 1)], at);
            } else if (f.Type == "X" || f.Type == "DBCS") {
                text(f, at);
            } else if (f.Type == "9") {
                zoned(f, at);
            } else if (f.Type == "P") {
                packed(f, at);
            } else {
                binary(f, at);
            }
        }
        return record;
    }

    // `n` random digits, "0" to "9", with at most `significant` of them after the zeros.
    std::string digits(std::size_t n) {
        std::string d(n, '0');
        const std::size_t significant = static_cast<std::size_t>(pick(static_cast<int>(n) + 1));
        for (std::size_t i = n - significant; i < n; ++i) d[i] = static_cast<char>('0' + pick(10));
        return d;
    }

    void zoned(const FieldDef& f, unsigned char* out) {
        const auto size = static_cast<std::size_t>(f.Size);
        const bool separate = separateSign(f.sign);
        const std::string d = digits(separate ? size - 1 : size);
        const bool declared = f.sign != SignPosition::Undeclared;
        // Where the sign is read: as the layout declares; else the last digit's zone on EBCDIC,
        // and in CP932 the zone the option reads, or nowhere without the option.
        const bool readable = declared || ebcdic_ || options_.zonedSign != ZonedSign::Off;
        const bool negative =
            readable && d.find_first_not_of('0') != std::string::npos && chance(2);
        const bool leading =
            declared ? f.sign == SignPosition::Leading
                     : !ebcdic_ && (options_.zonedSign == ZonedSign::Leading ||
                                    (options_.zonedSign == ZonedSign::Trailing && f.leadingSign));
        unsigned char* digitsAt = out + (f.sign == SignPosition::LeadingSeparate ? 1 : 0);
        for (std::size_t i = 0; i < d.size(); ++i) {
            const int digit = d[i] - '0';
            digitsAt[i] = static_cast<unsigned char>(ebcdic_ ? 0xF0 | digit : '0' + digit);
        }
        if (separate) {
            const unsigned char sign = ebcdic_ ? (negative ? 0x60 : 0x4E) : (negative ? '-' : '+');
            out[f.sign == SignPosition::LeadingSeparate ? 0 : size - 1] = sign;
            return;
        }
        unsigned char& carrier = digitsAt[leading ? 0 : size - 1];
        const int digit = carrier & 0x0F;
        if (ebcdic_) {
            const int zone = negative ? 0xD0 : declared ? 0xC0 : 0xF0;
            carrier = static_cast<unsigned char>(zone | digit);
        } else if (negative) {
            carrier = static_cast<unsigned char>(0x70 | digit);
        }
    }

    void packed(const FieldDef& f, unsigned char* out) {
        const auto size = static_cast<std::size_t>(f.Size);
        const std::string d = digits(2 * size - 1);
        const bool negative = d.find_first_not_of('0') != std::string::npos && chance(2);
        for (std::size_t i = 0; i < size; ++i) {
            const int high = d[2 * i] - '0';
            const int low = i + 1 < size ? d[2 * i + 1] - '0' : (negative ? 0x0D : 0x0C);
            out[i] = static_cast<unsigned char>(high << 4 | low);
        }
    }

    void binary(const FieldDef& f, unsigned char* out) {
        const auto size = static_cast<std::size_t>(f.Size);
        std::uint64_t value = static_cast<std::uint64_t>(rng_()) << 32 | rng_();
        // Small values as often as large ones.
        if (chance(2)) value >>= pick(64);
        const bool big =
            f.byteOrder == ByteOrder::Big || ebcdic_ || std::endian::native == std::endian::big;
        for (std::size_t i = 0; i < size; ++i) {
            const auto b = static_cast<unsigned char>(value >> (8 * i));
            out[big ? size - 1 - i : i] = b;
        }
    }

    // The page's bytes of the UTF-8 text `text` (in CP932 as the text's UTF-8 comes back).
    std::string pageBytes(const std::string& text, bool doubleByte) const {
        if (!ebcdic_) return utf8ToCp932(text);
        std::string bytes;
        const PageEncoder& encoder = PageEncoder::get(page_);
        (void)(doubleByte ? encoder.encodeDoubleByte(text, bytes) : encoder.encode(text, bytes));
        return bytes;
    }

    // Random text that fits the field, then the page's blanks. Trimming takes the blanks at the
    // end of the text for padding, so where it is on, no blank ends it.
    void text(const FieldDef& f, unsigned char* out) {
        const auto size = static_cast<std::size_t>(f.Size);
        const bool doubleByte = f.Type == "DBCS" && hasShiftedDoubleByte(page_);
        std::string chosen, bytes;
        for (int n = pick(static_cast<int>(size) + 2); n > 0; --n) {
            const bool wide = doubleByte || (!wide_.empty() && chance(3));
            const std::vector<std::string>& from = wide ? wide_ : single_;
            const std::string next =
                chosen + from[static_cast<std::size_t>(pick(static_cast<int>(from.size())))];
            const std::string nextBytes = pageBytes(next, doubleByte);
            if (nextBytes.size() > size) break;
            chosen = next;
            bytes = nextBytes;
        }
        while (options_.trimBlanks && (chosen.ends_with(" ") || chosen.ends_with("　"))) {
            chosen.resize(chosen.size() - (chosen.back() == ' ' ? 1 : 3));
            bytes = pageBytes(chosen, doubleByte);
        }
        std::memset(out, ebcdic_ ? 0x40 : ' ', size);
        std::memcpy(out, bytes.data(), bytes.size());
    }

    // The class code at its offset in the field, one-byte letters and digits around it.
    void classText(const FieldDef& f, const std::string& code, int offset, unsigned char* out) {
        std::string chosen;
        for (int i = 0; i < offset; ++i) chosen += static_cast<char>('0' + pick(10));
        chosen += code;
        for (int n = pick(f.Size - static_cast<int>(chosen.size()) + 1); n > 0; --n)
            chosen += static_cast<char>('A' + pick(26));
        const std::string bytes = pageBytes(chosen, false);
        std::memset(out, ebcdic_ ? 0x40 : ' ', static_cast<std::size_t>(f.Size));
        std::memcpy(out, bytes.data(), bytes.size());
    }

    std::mt19937& rng_;
    InputCodePage page_ = InputCodePage::Cp932;
    bool ebcdic_ = false;
    CsvOutputOptions options_;
    std::string delimiter_;
    std::vector<std::string> single_, wide_;
    bool classCodes_ = false;
    std::vector<int> classField_;    // by kind - 1: the index of its class code's field, or -1
    std::vector<int> classOffsets_;  // by kind - 1: where in that field the code starts
    std::vector<int> depth_;
    std::vector<std::string> last_;  // by kind: its last record
};

}  // namespace sorvek::testing
