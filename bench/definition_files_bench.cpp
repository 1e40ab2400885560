// Loading and saving a large definition file: 200 records of 100 fields each.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "formats/trd_file.h"

namespace {

using namespace sorvek;

RecordDefTable largeTable() {
    RecordDefTable table;
    table.reset(201);
    table[0].Name = "大きな定義";
    table[0].Class = "1";
    table[0].Delimiter = ",";
    table[0].TitleLine = true;
    for (int i = 1; i <= 200; ++i) {
        RecordDef& r = table[i];
        r.Name = "レコード" + std::to_string(i);
        r.Class = "R" + std::to_string(i);
        r.Parent = i > 1 ? 1 : 0;
        r.Child = i == 1 ? 2 : 0;
        std::int32_t pos = 1;
        for (int j = 0; j < 100; ++j) {
            r.Fields.push_back({"項目名" + std::to_string(j), j % 3 == 0 ? "9" : "X", pos, 8,
                                j % 3 == 0 ? 2 : 0, j % 5 == 0 ? 0 : -1,
                                j % 4 == 0 ? "備考のテキスト" : ""});
            pos += 8;
        }
        r.Size = pos - 1;
    }
    return table;
}

std::string benchPath() {
    return std::string(P_tmpdir) + "/sorvek-bench-" + std::to_string(::getpid()) + ".trd";
}

void BM_SaveDefinition(benchmark::State& state) {
    const RecordDefTable table = largeTable();
    const std::string path = benchPath();
    for (auto _ : state) {
        if (!writeTrdFile(path, table)) state.SkipWithError("write failed");
    }
    std::remove(path.c_str());
}
BENCHMARK(BM_SaveDefinition)->Unit(benchmark::kMillisecond);

void BM_LoadDefinition(benchmark::State& state) {
    const std::string path = benchPath();
    if (!writeTrdFile(path, largeTable())) state.SkipWithError("write failed");
    for (auto _ : state) {
        RecordDefTable table;
        if (!readTrdFile(path, table)) state.SkipWithError("read failed");
        benchmark::DoNotOptimize(table.entries.data());
    }
    std::remove(path.c_str());
}
BENCHMARK(BM_LoadDefinition)->Unit(benchmark::kMillisecond);

}  // namespace
