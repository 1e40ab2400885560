// The converting thread's part of a record-to-CSV run, apart from reading, decoding and
// writing: 4 MiB of records of the two layouts of bench/rec2csv.sh walked block by block and
// written as lines into memory, without options and with UTF-8 (decoded later, on the writer's
// side), minimal quoting and trimming.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>

#include "bench_records.h"
#include "engine/csv_line_plan.h"
#include "engine/engine_context.h"
#include "engine/memory_output.h"
#include "engine/record_converter.h"

namespace {
using namespace sorvek;

void convertLines(benchmark::State& state, const std::string& layout, bool options) {
    RecordDefTable table = bench::layout(layout);
    const std::string data = bench::records(layout, 4 << 20);
    CsvOutputOptions o;
    if (options) {
        o.encoding = CsvEncoding::Utf8;
        o.quoting = CsvQuoting::Minimal;
        o.trimBlanks = true;
    }
    const CsvLinePlan plan(table, ",", o, Utf8Decoding::ByCaller);
    MemoryOutput output(2 * data.size());
    const auto* begin = reinterpret_cast<const unsigned char*>(data.data());
    for (auto _ : state) {
        output.clear();
        RecordConverter<MemoryOutput> converter(table, plan, output, "\r\n", false);
        // In blocks of the size a run reads.
        for (std::size_t at = 0; at < data.size();) {
            const std::size_t end = std::min(data.size(), at + kDefaultBlockSize);
            at += converter
                      .convert(begin + at, begin + end, end == data.size(),
                               static_cast<std::int64_t>(at))
                      .consumed;
            converter.keepData();
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * data.size()));
}

void One(benchmark::State& state) {
    convertLines(state, "one", false);
}
void OneWithOptions(benchmark::State& state) {
    convertLines(state, "one", true);
}
void HeaderDetail(benchmark::State& state) {
    convertLines(state, "hd", false);
}
void HeaderDetailWithOptions(benchmark::State& state) {
    convertLines(state, "hd", true);
}

BENCHMARK(One)->Unit(benchmark::kMillisecond);
BENCHMARK(OneWithOptions)->Unit(benchmark::kMillisecond);
BENCHMARK(HeaderDetail)->Unit(benchmark::kMillisecond);
BENCHMARK(HeaderDetailWithOptions)->Unit(benchmark::kMillisecond);

}  // namespace
