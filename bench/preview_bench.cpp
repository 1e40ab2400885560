// The preview of the record-definition page rebuilt after an edit: 200 records of 100 fields
// (text with double-byte characters, zoned and packed), cut, converted, checked and decoded.
#include <benchmark/benchmark.h>

#include "bench_records.h"
#include "editor/data_preview.h"

namespace {

using namespace sorvek;

// One kind of 100 fields: text of 6 bytes, zoned of 5 with 2 decimals, packed of 4 with 2, in
// turn; 500 bytes a record.
RecordDefTable hundredFields() {
    RecordDefTable t;
    t.reset(1);
    t[0].Name = "wide";
    t[0].Size = 500;
    t[0].Delimiter = ",";
    RecordDef r;
    r.Name = "R";
    r.Size = 500;
    int pos = 1;
    for (int i = 0; i < 100; ++i) {
        const char* type = i % 3 == 0 ? "X" : i % 3 == 1 ? "9" : "P";
        const int size = i % 3 == 0 ? 6 : i % 3 == 1 ? 5 : 4;
        r.Fields.push_back(bench::field(("F" + std::to_string(i)).c_str(), type, pos, size,
                                        i % 3 == 0 ? 0 : 2, true));
        pos += size;
    }
    r.Size = pos - 1;
    t[0].Size = r.Size;
    t.entries.push_back(r);
    return t;
}

std::string records(const RecordDefTable& t, int count) {
    const std::string kanji = utf8ToCp932("受注");
    bench::Random rnd;
    std::string out;
    for (int n = 0; n < count; ++n) {
        std::string rec(static_cast<std::size_t>(t[1].Size), ' ');
        for (const FieldDef& f : t[1].Fields) {
            char* at = rec.data() + f.Pos - 1;
            if (f.Type == "X") {
                bench::putText(at, rnd.below(2) ? kanji : "ABC", f.Size);
            } else if (f.Type == "9") {
                bench::putZoned(at, rnd.below(100000), f.Size);
            } else {
                bench::putPacked(at, static_cast<std::int64_t>(rnd.below(1000000)) - 500000,
                                 f.Size);
            }
        }
        out += rec;
    }
    return out;
}

void PreviewRebuild(benchmark::State& state) {
    RecordDefTable table = hundredFields();
    PreviewSource source;
    source.bytes = records(table, 250);
    source.fileSize = 1ll << 30;
    int edit = 0;
    for (auto _ : state) {
        // An edit: the last field's decimals change, as through the edit dialog.
        table[1].Fields.back().Dec = edit++ % 3;
        Preview preview = buildPreview(table, source, 1);
        benchmark::DoNotOptimize(preview.rows.data());
    }
    state.counters["rows"] = kPreviewRecords;
    state.counters["fields"] = 100;
}
BENCHMARK(PreviewRebuild)->Unit(benchmark::kMillisecond);

}  // namespace
