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
#include <unordered_map>
#include <vector>

#include "bench_records.h"
#include "engine/tran_rec2csv.h"
#include "formats/ini_profile.h"
#include "platform/codepage.h"
#include "platform/ebcdic_decoder.h"

namespace {

using namespace sorvek;

int generate(const std::string& kind, long megabytes, const std::string& path) {
    bench::RecordMaker maker(
        kind,
        bench::cp932Names({"ボールペン　黒", "ノートＡ４方眼", "ｸﾘｯﾌﾟ ｽﾃﾝﾚｽ 50本入", "消しゴム",
                           "付箋（黄）７５ｍｍ", "Copy paper A4 500", "ホッチキス針 No.10",
                           "修正テープ５ｍｍ", "封筒 長形3号 白", "蛍光ペン"}),
        bench::cp932Names({"株式会社山田商店", "有限会社佐藤工業", "ｶﾌﾞｼｷｶﾞｲｼｬ ｽｽﾞｷ",
                           "東京文具販売株式会社", "Global Trading Co.", "合同会社みらい",
                           "大阪事務機", "株式会社ＡＢＣ"}));
    FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr) return 1;
    const long records = megabytes * 1000000 / 100;
    std::vector<char> chunk;
    chunk.reserve(100 * 10000);
    for (long n = 0; n < records; ++n) {
        char rec[bench::RecordMaker::kSize];
        maker.next(rec);
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
    const RecordDefTable t = bench::layout(kind);
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

// The page's byte of each ASCII character that has one of its own (0: none).
std::vector<unsigned char> asciiTable(const EbcdicDecoder& page) {
    std::vector<unsigned char> table(128, 0);
    for (int c = 0x20; c < 0x7F; ++c) {
        const std::string bytes = page.fromUtf8(std::string(1, static_cast<char>(c)));
        if (bytes.size() == 1)
            table[static_cast<std::size_t>(c)] = static_cast<unsigned char>(bytes[0]);
    }
    return table;
}

// A text field of ASCII characters that each have a byte of the page, translated byte by byte
// (as the system's converter would); false, untouched, when it holds any other byte.
bool asciiToEbcdic(const std::vector<unsigned char>& table, char* field, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) {
        const auto b = static_cast<unsigned char>(field[i]);
        if (b >= 0x80 || table[b] == 0) return false;
    }
    for (std::size_t i = 0; i < size; ++i) {
        field[i] = static_cast<char>(table[static_cast<unsigned char>(field[i])]);
    }
    return true;
}

// The records of a file made by `generate` on IBM930. Text of ASCII characters is translated
// by a table; the files hold few other texts, so each of those is translated once and then
// looked up: the translation runs at the speed of the disk, not of the system's converter.
int toEbcdic(const std::string& kind, const std::string& input, const std::string& output) {
    const RecordDefTable t = bench::layout(kind);
    const EbcdicDecoder& page = EbcdicDecoder::get(InputCodePage::Ibm930);
    // Zoned digits 30-39 become F0-F9 (the layouts' zoned fields are unsigned).
    unsigned char zoned[256];
    for (int b = 0; b < 256; ++b) zoned[b] = static_cast<unsigned char>(0xF0 | (b & 0x0F));
    const std::vector<unsigned char> ascii = asciiTable(page);
    std::unordered_map<std::string, std::string> texts;
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
                        field[i] = static_cast<char>(zoned[static_cast<unsigned char>(field[i])]);
                    }
                } else if (f.Type == "X" && !asciiToEbcdic(ascii, field, size)) {
                    auto [it, added] = texts.try_emplace(std::string(field, size));
                    if (added) {
                        it->second = it->first;
                        textToEbcdic(page, it->second.data(), size);
                    }
                    std::memcpy(field, it->second.data(), size);
                }
            }
        }
        std::fwrite(chunk.data(), 1, got, out);
    }
    std::fclose(in);
    return std::fclose(out) == 0 ? 0 : 1;
}

int run(const std::string& kind, const std::string& input, const std::string& output) {
    RecordDefTable table = bench::layout(kind);
    SilentProgress progress;
    EngineContext context{progress};
    const Status converted = tranRec2Csv(input, output, table, context);
    // The reason alone: the tool links no front end that makes the whole message.
    if (!converted)
        std::cerr << converted.error().subject << ": " << converted.error().reason << '\n';
    return converted ? 0 : 1;
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
