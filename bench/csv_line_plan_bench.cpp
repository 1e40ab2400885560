// In-memory throughput of the record-to-CSV lines, apart from the file system: 100-byte
// records of text with double-byte characters, zoned and packed fields, written as they are
// and with the output options.
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "engine/csv_line_plan.h"
#include "platform/codepage.h"

namespace {
using namespace sorvek;

FieldDef field(const char* name, const char* type, int pos, int size, int dec) {
    FieldDef f;
    f.Name = name;
    f.Type = type;
    f.Pos = pos;
    f.Size = size;
    f.Dec = dec;
    f.Check = -1;
    return f;
}

RecordDefTable itemTable() {
    RecordDefTable t;
    t.reset(2);
    t[0].Size = 100;
    t[0].Delimiter = ",";
    t[1].Size = 100;
    t[1].Fields = {field("CODE", "X", 1, 10, 0),   field("NAME", "X", 11, 30, 0),
                   field("QTY", "9", 41, 7, 0),    field("PRICE", "9", 48, 9, 2),
                   field("AMOUNT", "P", 57, 7, 2), field("TAX", "P", 64, 5, 2),
                   field("DATE", "9", 79, 8, 0),   field("RATE", "P", 87, 3, 2)};
    return t;
}

// 4096 records of the item layout: names of double-byte, one-byte katakana and ASCII text
// padded with blanks, digits, packed values with a C or D sign.
const std::vector<unsigned char>& records() {
    static const std::vector<unsigned char> data = [] {
        const char* names[] = {"ボールペン　黒", "ノートＡ４方眼", "ｸﾘｯﾌﾟ ｽﾃﾝﾚｽ 50本入",
                               "消しゴム",       "Copy paper A4",  "付箋（黄）７５ｍｍ"};
        std::mt19937 rng(7);
        std::vector<unsigned char> out;
        for (int r = 0; r < 4096; ++r) {
            std::string rec(100, ' ');
            for (int i = 0; i < 10; ++i) rec[i] = static_cast<char>('0' + rng() % 10);
            const std::string name = utf8ToCp932(names[rng() % 6]);
            rec.replace(10, name.size(), name);
            for (int i = 40; i < 56; ++i) rec[i] = static_cast<char>('0' + rng() % 10);
            for (int i = 56; i < 68; ++i)
                rec[i] = static_cast<char>((rng() % 10) << 4 | rng() % 10);
            rec[62] = static_cast<char>((rec[62] & 0xF0) | (rng() % 2 ? 0x0C : 0x0D));
            rec[67] = static_cast<char>((rec[67] & 0xF0) | 0x0C);
            for (int i = 78; i < 86; ++i) rec[i] = static_cast<char>('0' + rng() % 10);
            for (int i = 86; i < 89; ++i)
                rec[i] = static_cast<char>((rng() % 10) << 4 | rng() % 10);
            rec[88] = static_cast<char>((rec[88] & 0xF0) | 0x0C);
            out.insert(out.end(), rec.begin(), rec.end());
        }
        return out;
    }();
    return data;
}

// Writes the line of each record at `out` (followed by CR LF when `lineEnds`); returns the end.
char* writeAll(const CsvLinePlan& plan, const std::vector<unsigned char>& in, char* out,
               bool lineEnds) {
    const unsigned char* data[2] = {nullptr, nullptr};
    for (std::size_t p = 0; p < in.size(); p += 100) {
        data[1] = in.data() + p;
        if (plan.formatted()) {
            CsvLinePlan::RecordMark marks[2];
            marks[1].mayNeedQuotes = plan.quoting() && plan.recordMayNeedQuotes(1, data[1]);
            out = plan.writeFormatted(1, data, marks, out);
        } else {
            out = plan.write(1, data, out);
        }
        if (lineEnds) {
            std::memcpy(out, "\r\n", 2);
            out += 2;
        }
    }
    return out;
}

void writeLines(benchmark::State& state, const CsvOutputOptions& options,
                Utf8Decoding decoding = Utf8Decoding::ByField) {
    const RecordDefTable table = itemTable();
    const CsvLinePlan plan(table, ",", options, decoding);
    if (decoding == Utf8Decoding::ByCaller && !plan.callerDecodes()) {
        state.SkipWithError("the lines are decoded by field");
        return;
    }
    const std::vector<unsigned char>& in = records();
    std::vector<char> out(plan.maxLineLength(1) + 8);
    for (auto _ : state) {
        // Each line over the last, as a line buffer is reused.
        const unsigned char* data[2] = {nullptr, nullptr};
        for (std::size_t p = 0; p < in.size(); p += 100) {
            data[1] = in.data() + p;
            char* end;
            if (plan.formatted()) {
                CsvLinePlan::RecordMark marks[2];
                marks[1].mayNeedQuotes = plan.quoting() && plan.recordMayNeedQuotes(1, data[1]);
                end = plan.writeFormatted(1, data, marks, out.data());
            } else {
                end = plan.write(1, data, out.data());
            }
            benchmark::DoNotOptimize(end);
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * in.size()));
}

void AsTheyAre(benchmark::State& state) {
    writeLines(state, {});
}
void Utf8(benchmark::State& state) {
    CsvOutputOptions o;
    o.encoding = CsvEncoding::Utf8;
    writeLines(state, o);
}
void QuoteMinimal(benchmark::State& state) {
    CsvOutputOptions o;
    o.quoting = CsvQuoting::Minimal;
    writeLines(state, o);
}
void Trim(benchmark::State& state) {
    CsvOutputOptions o;
    o.trimBlanks = true;
    writeLines(state, o);
}
void Utf8QuoteMinimalTrim(benchmark::State& state) {
    CsvOutputOptions o;
    o.encoding = CsvEncoding::Utf8;
    o.quoting = CsvQuoting::Minimal;
    o.trimBlanks = true;
    writeLines(state, o);
}
// The converting thread's part when the lines are decoded on the writer's thread.
void Utf8QuoteMinimalTrimByCaller(benchmark::State& state) {
    CsvOutputOptions o;
    o.encoding = CsvEncoding::Utf8;
    o.quoting = CsvQuoting::Minimal;
    o.trimBlanks = true;
    writeLines(state, o, Utf8Decoding::ByCaller);
}
// The writer's part: the lines of the records above, CP932, decoded in one piece. Bytes
// processed are those of the records, as above.
void DecodeLines(benchmark::State& state) {
    CsvOutputOptions o;
    o.encoding = CsvEncoding::Utf8;
    o.quoting = CsvQuoting::Minimal;
    o.trimBlanks = true;
    const RecordDefTable table = itemTable();
    const CsvLinePlan plan(table, ",", o, Utf8Decoding::ByCaller);
    const std::vector<unsigned char>& in = records();
    std::vector<char> lines(in.size() / 100 * (plan.maxLineLength(1) + 2));
    lines.resize(static_cast<std::size_t>(writeAll(plan, in, lines.data(), true) - lines.data()));
    const Cp932Decoder& decoder = Cp932Decoder::get();
    std::vector<char> out(Cp932Decoder::kMaxGrowth * lines.size() + Cp932Decoder::kSlack);
    for (auto _ : state) {
        char* end = decoder.decode(reinterpret_cast<const unsigned char*>(lines.data()),
                                   lines.size(), out.data());
        benchmark::DoNotOptimize(end);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * in.size()));
}

BENCHMARK(AsTheyAre);
BENCHMARK(Utf8);
BENCHMARK(QuoteMinimal);
BENCHMARK(Trim);
BENCHMARK(Utf8QuoteMinimalTrim);
BENCHMARK(Utf8QuoteMinimalTrimByCaller);
BENCHMARK(DecodeLines);

}  // namespace
