// Helper of bench/rec2csv.sh: makes the benchmark's record files and definition files, and
// runs the conversion on them with the definition built in memory.
//
//   rec2csv_tool gen one|hd MEGABYTES FILE   records of the layout, about that many MB
//   rec2csv_tool trd one|hd FILE             the layout as a definition file
//   rec2csv_tool run one|hd INPUT OUTPUT     the conversion (as sorvek-cli /C would run it)
//   rec2csv_tool ebcdic one|hd INPUT OUTPUT  the records of INPUT (made by gen) on the Japanese
//                                            EBCDIC page IBM930: text and zoned fields and
//                                            class codes translated, packed fields as they are
//   rec2csv_tool trd-ebcdic one|hd FILE      the layout's definition file for such records
//
// Layouts, 100-byte records without line breaks:
//   one  a single kind: text with double-byte characters, zoned fields with and without
//        decimals, packed fields with decimals, unmarked filler
//   hd   a header (class code H) and its detail lines (class code D), 1 to 9 per header
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "engine/tran_rec2csv.h"
#include "formats/ini_profile.h"
#include "platform/codepage.h"
#include "platform/ebcdic_decoder.h"

namespace {

using namespace sorvek;

FieldDef field(const char* name, const char* type, int pos, int size, int dec, bool marked) {
    return FieldDef{name, type, pos, size, dec, marked ? -1 : 0, ""};
}

RecordDef record(const char* name, int size, const char* cls, int parent, int child,
                 std::vector<FieldDef> fields) {
    RecordDef r;
    r.Name = name;
    r.Size = size;
    r.Class = cls;
    r.Parent = parent;
    r.Child = child;
    r.Fields = std::move(fields);
    return r;
}

RecordDefTable layout(const std::string& name) {
    RecordDefTable t;
    t.reset(1);
    t[0].Name = name;
    t[0].Size = 100;
    t[0].Delimiter = ",";
    if (name == "one") {
        t.entries.push_back(
            record("ITEM", 100, "", 0, 0,
                   {field("CODE", "X", 1, 10, 0, true), field("NAME", "X", 11, 30, 0, true),
                    field("QTY", "9", 41, 7, 0, true), field("PRICE", "9", 48, 9, 2, true),
                    field("AMOUNT", "P", 57, 7, 2, true), field("TAX", "P", 64, 5, 2, true),
                    field("FILLER", "X", 69, 10, 0, false), field("DATE", "9", 79, 8, 0, true),
                    field("RATE", "P", 87, 3, 2, true), field("REST", "X", 90, 11, 0, false)}));
    } else {
        t[0].Class = "1";
        t.entries.push_back(record(
            "HEADER", 100, "H", 0, 2,
            {field("KIND", "X", 1, 1, 0, false), field("ORDERNO", "9", 2, 10, 0, true),
             field("CUSTOMER", "X", 12, 30, 0, true), field("ORDERDATE", "9", 42, 8, 0, true),
             field("FILLER", "X", 50, 51, 0, false)}));
        t.entries.push_back(
            record("DETAIL", 100, "D", 1, 0,
                   {field("KIND", "X", 1, 1, 0, false), field("LINENO", "9", 2, 3, 0, true),
                    field("ITEM", "X", 5, 20, 0, true), field("QTY", "9", 25, 5, 0, true),
                    field("PRICE", "9", 30, 9, 2, true), field("AMOUNT", "P", 39, 6, 2, true),
                    field("FILLER", "X", 45, 56, 0, false)}));
    }
    return t;
}

// A small, fast generator of varied values.
struct Random {
    std::uint64_t state = 0x9E3779B97F4A7C15ull;
    std::uint64_t next() {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return state;
    }
    std::uint64_t below(std::uint64_t n) { return next() % n; }
};

void putText(char* out, const std::string& cp932, int size) {
    std::memset(out, ' ', static_cast<std::size_t>(size));
    std::memcpy(out, cp932.data(),
                std::min<std::size_t>(cp932.size(), static_cast<std::size_t>(size)));
}

void putZoned(char* out, std::uint64_t value, int size) {
    for (int i = size - 1; i >= 0; --i, value /= 10) out[i] = static_cast<char>('0' + value % 10);
}

// Packed decimal of `size` bytes: 2 × size - 1 digits and the sign nibble C or D.
void putPacked(char* out, std::int64_t value, int size) {
    std::uint64_t v = static_cast<std::uint64_t>(value < 0 ? -value : value);
    unsigned char nibbles[64];
    const int count = 2 * size;
    nibbles[count - 1] = value < 0 ? 0x0D : 0x0C;
    for (int i = count - 2; i >= 0; --i, v /= 10) nibbles[i] = static_cast<unsigned char>(v % 10);
    for (int i = 0; i < size; ++i)
        out[i] = static_cast<char>(nibbles[2 * i] << 4 | nibbles[2 * i + 1]);
}

std::vector<std::string> names(std::initializer_list<const char*> utf8) {
    std::vector<std::string> out;
    for (const char* n : utf8) out.push_back(utf8ToCp932(n));
    return out;
}

int generate(const std::string& kind, long megabytes, const std::string& path) {
    const std::vector<std::string> items =
        names({"ボールペン　黒", "ノートＡ４方眼", "ｸﾘｯﾌﾟ ｽﾃﾝﾚｽ 50本入", "消しゴム",
               "付箋（黄）７５ｍｍ", "Copy paper A4 500", "ホッチキス針 No.10", "修正テープ５ｍｍ",
               "封筒 長形3号 白", "蛍光ペン"});
    const std::vector<std::string> customers =
        names({"株式会社山田商店", "有限会社佐藤工業", "ｶﾌﾞｼｷｶﾞｲｼｬ ｽｽﾞｷ", "東京文具販売株式会社",
               "Global Trading Co.", "合同会社みらい", "大阪事務機", "株式会社ＡＢＣ"});
    FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr) return 1;
    const long records = megabytes * 1000000 / 100;
    std::vector<char> chunk;
    chunk.reserve(100 * 10000);
    Random rnd;
    long lines = 0;
    std::uint64_t order = 1000000;
    for (long n = 0; n < records; ++n) {
        char rec[100];
        std::memset(rec, ' ', sizeof rec);
        if (kind == "one") {
            std::memcpy(rec, "A", 1);
            putZoned(rec + 1, rnd.below(1000000000), 9);
            putText(rec + 10, items[rnd.below(items.size())], 30);
            putZoned(rec + 40, rnd.below(100000), 7);
            putZoned(rec + 47, rnd.below(100000000), 9);
            putPacked(rec + 56, static_cast<std::int64_t>(rnd.below(20000000000ull)) - 2000000000,
                      7);
            putPacked(rec + 63, static_cast<std::int64_t>(rnd.below(200000000)) - 10000000, 5);
            putZoned(rec + 78, 20240101 + rnd.below(1130), 8);
            putPacked(rec + 86, static_cast<std::int64_t>(rnd.below(20000)) - 5000, 3);
        } else if (lines == 0) {
            lines = 1 + static_cast<long>(rnd.below(9));
            rec[0] = 'H';
            putZoned(rec + 1, ++order, 10);
            putText(rec + 11, customers[rnd.below(customers.size())], 30);
            putZoned(rec + 41, 20240101 + rnd.below(1130), 8);
        } else {
            rec[0] = 'D';
            putZoned(rec + 1, static_cast<std::uint64_t>(10 - lines), 3);
            putText(rec + 4, items[rnd.below(items.size())], 20);
            putZoned(rec + 24, rnd.below(100000), 5);
            putZoned(rec + 29, rnd.below(1000000000), 9);
            putPacked(rec + 38, static_cast<std::int64_t>(rnd.below(199999999999ull)) - 99999999999,
                      6);
            --lines;
        }
        chunk.insert(chunk.end(), rec, rec + sizeof rec);
        if (chunk.size() >= 100 * 10000) {
            std::fwrite(chunk.data(), 1, chunk.size(), out);
            chunk.clear();
        }
    }
    std::fwrite(chunk.data(), 1, chunk.size(), out);
    return std::fclose(out) == 0 ? 0 : 1;
}

int writeDefinition(const std::string& kind, const std::string& path, bool ebcdic = false) {
    const RecordDefTable t = layout(kind);
    IniDocument doc;
    if (ebcdic) doc.set("File Property", "CodePage", "IBM930");
    doc.set("Sorvek Trd File", "Function", "REC2CSV");
    doc.set("File Property", "MaxRecordIndex", std::to_string(t.maxIndex()));
    doc.set("File Property", "Name", t[0].Name);
    doc.set("File Property", "Size", std::to_string(t[0].Size));
    doc.set("File Property", "ClassPos", t[0].Class);
    doc.set("File Property", "Delimiter", t[0].Delimiter);
    doc.set("File Property", "TitleLine", t[0].TitleLine ? "True" : "False");
    for (int i = 1; i <= t.maxIndex(); ++i) {
        const RecordDef& r = t[static_cast<std::size_t>(i)];
        const std::string s = "Record_" + std::to_string(i);
        doc.set(s, "Name", r.Name);
        doc.set(s, "Size", std::to_string(r.Size));
        doc.set(s, "Class", r.Class);
        doc.set(s, "Parent", std::to_string(r.Parent));
        doc.set(s, "Child", std::to_string(r.Child));
        doc.set(s, "MaxFieldIndex", std::to_string(r.Fields.size() - 1));
        for (std::size_t j = 0; j < r.Fields.size(); ++j) {
            const FieldDef& f = r.Fields[j];
            doc.set(s, "Field_" + std::to_string(j),
                    f.Name + "," + f.Type + "," + std::to_string(f.Pos) + "," +
                        std::to_string(f.Size) + "," + std::to_string(f.Dec) + "," +
                        std::to_string(f.Check) + "," + f.Memo);
        }
    }
    return doc.save(path) ? 0 : 1;
}

// A text field's Shift-JIS bytes as IBM930 bytes of the same width: characters that no longer
// fit are left out, the rest is filled with EBCDIC blanks.
void textToEbcdic(const EbcdicDecoder& page, char* field, std::size_t size) {
    std::string text = cp932ToUtf8(std::string(field, size));
    while (!text.empty() && text.back() == ' ') text.pop_back();
    std::string bytes = page.fromUtf8(text);
    while (bytes.size() > size && !text.empty()) {
        do {
            text.pop_back();
        } while (!text.empty() && (static_cast<unsigned char>(text.back()) & 0xC0) == 0x80);
        if (!text.empty()) text.pop_back();
        bytes = page.fromUtf8(text);
    }
    std::memset(field, EbcdicDecoder::kBlank, size);
    std::memcpy(field, bytes.data(), bytes.size());
}

int toEbcdic(const std::string& kind, const std::string& input, const std::string& output) {
    const RecordDefTable t = layout(kind);
    const EbcdicDecoder& page = EbcdicDecoder::get(InputCodePage::Ibm930);
    FILE* in = std::fopen(input.c_str(), "rb");
    FILE* out = std::fopen(output.c_str(), "wb");
    if (in == nullptr || out == nullptr) return 1;
    std::vector<char> chunk(100 * 10000);
    std::size_t got;
    while ((got = std::fread(chunk.data(), 1, chunk.size(), in)) > 0) {
        for (std::size_t at = 0; at + 100 <= got; at += 100) {
            char* rec = chunk.data() + at;
            const std::size_t k = t.maxIndex() == 1 || rec[0] == 'H' ? 1 : 2;
            for (const FieldDef& f : t[k].Fields) {
                char* field = rec + f.Pos - 1;
                const std::size_t size = static_cast<std::size_t>(f.Size);
                if (f.Type == "9") {
                    for (std::size_t i = 0; i < size; ++i) {
                        field[i] = static_cast<char>(0xF0 | (field[i] & 0x0F));
                    }
                } else if (f.Type == "X") {
                    textToEbcdic(page, field, size);
                }
            }
        }
        std::fwrite(chunk.data(), 1, got, out);
    }
    std::fclose(in);
    return std::fclose(out) == 0 ? 0 : 1;
}

class QuietProgress final : public Progress {
  public:
    void showLabel() override {}
    void showProgress(std::int32_t, std::int32_t) override {}
};

class StderrMessages final : public Messages {
  public:
    void show(const std::string& text, const std::string&, MessageIcon) override {
        std::cerr << text << '\n';
    }
    bool askYesNo(const std::string&, const std::string&) override { return false; }
};

int run(const std::string& kind, const std::string& input, const std::string& output) {
    RecordDefTable table = layout(kind);
    QuietProgress progress;
    StderrMessages messages;
    EngineContext context{progress, messages};
    return tranRec2Csv(input, output, table, context) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 4 && args[0] == "gen") {
        return generate(args[1], std::atol(args[2].c_str()), args[3]);
    }
    if (args.size() == 3 && args[0] == "trd") return writeDefinition(args[1], args[2]);
    if (args.size() == 4 && args[0] == "run") return run(args[1], args[2], args[3]);
    if (args.size() == 4 && args[0] == "ebcdic") return toEbcdic(args[1], args[2], args[3]);
    if (args.size() == 3 && args[0] == "trd-ebcdic") return writeDefinition(args[1], args[2], true);
    std::cerr << "usage: rec2csv_tool gen one|hd MEGABYTES FILE | trd one|hd FILE | "
                 "run one|hd INPUT OUTPUT | ebcdic one|hd INPUT OUTPUT | trd-ebcdic one|hd FILE\n";
    return 2;
}
