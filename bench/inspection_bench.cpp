// In-memory throughput of the inspection's two passes, apart from the file system: the byte
// profile (every byte, by instruction set: 0 SSE2, 1 AVX2, 2 AVX-512; at the start of the file,
// read as Shift-JIS too, and beyond it) and the records read through a definition.
#include <benchmark/benchmark.h>

#include "bench_records.h"
#include "engine/byte_profile.h"
#include "engine/field_checks.h"
#include "engine/inspection.h"
#include "engine/record_findings.h"
#include "engine/record_walk.h"
#include "engine/text_blocks.h"

namespace {

using namespace sorvek;

constexpr std::size_t kBytes = 4u << 20;

const std::string& data(const std::string& name) {
    static const std::string one = bench::records("one", kBytes);
    static const std::string hd = bench::records("hd", kBytes);
    return name == "one" ? one : hd;
}

void ByteProfile(benchmark::State& state) {
    const auto width = static_cast<ByteProfiler::Width>(state.range(0));
    if ((width == ByteProfiler::Width::Avx2 && !avx2Available()) ||
        (width == ByteProfiler::Width::Avx512 && !byte_classes::avx512Available())) {
        state.SkipWithError("not on this processor");
        return;
    }
    const std::string& in = data("one");
    const bool sjis = state.range(1) != 0;
    for (auto _ : state) {
        ByteProfiler profiler(width);
        if (!sjis) {
            // Past the start of the file that is read as Shift-JIS.
            state.PauseTiming();
            for (std::int64_t done = 0; done < byte_classes::kSjisSampleBytes;
                 done += static_cast<std::int64_t>(in.size())) {
                profiler.add(reinterpret_cast<const unsigned char*>(in.data()), in.size());
            }
            state.ResumeTiming();
        }
        profiler.add(reinterpret_cast<const unsigned char*>(in.data()), in.size());
        benchmark::DoNotOptimize(profiler.finish());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * in.size()));
}
BENCHMARK(ByteProfile)->ArgsProduct({{0, 1, 2}, {1, 0}})->ArgNames({"isa", "sjis"});

void Records(benchmark::State& state, const std::string& name) {
    const RecordDefTable table = bench::layout(name);
    const std::string& in = data(name);
    const FieldCheckPlan plan(table);
    for (auto _ : state) {
        DefinitionFindings findings;
        RecordFindingsCollector collector(table, plan, findings);
        RecordStream stream(table);
        stream.add(reinterpret_cast<const unsigned char*>(in.data()), in.size(), collector);
        stream.finish(collector);
        collector.finish(stream.trailingBytes(), stream.trailingOffset(), stream.records() + 1);
        benchmark::DoNotOptimize(findings.linesWritten);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * in.size()));
}
BENCHMARK_CAPTURE(Records, one, std::string("one"));
BENCHMARK_CAPTURE(Records, hd, std::string("hd"));

void WholeInspection(benchmark::State& state) {
    const RecordDefTable table = bench::layout("one");
    const std::string& in = data("one");
    for (auto _ : state) {
        Inspector inspector(&table);
        inspector.add(in.data(), in.size());
        benchmark::DoNotOptimize(inspector.finish());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * in.size()));
}
BENCHMARK(WholeInspection);

}  // namespace
