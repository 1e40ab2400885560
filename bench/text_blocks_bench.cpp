// In-memory throughput of the text jobs' block work, apart from the file system.
#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "engine/text_blocks.h"

namespace {
using sorvek::convertBreaks;
using sorvek::cutRecords;

// Lines of 20 to 200 bytes with mixed CR LF and LF and double-byte characters.
const std::string& sampleText() {
    static const std::string text = [] {
        std::mt19937 rng(1);
        const char* words[] = {
            "\x8E\xF3\x92\x8D", "\x96\xBE\x8D\xD7", "ABC", "order", "0123456789", " "};
        std::string s;
        while (s.size() < (256u << 10)) {
            std::size_t target = 20 + rng() % 181;
            std::string line;
            while (line.size() < target) line += words[rng() % 6];
            line.resize(target);
            s += line + (rng() % 2 ? "\r\n" : "\n");
        }
        return s;
    }();
    return text;
}

void CutRecords(benchmark::State& state) {
    const std::string& in = sampleText();
    std::vector<char> out(3 * in.size() + 2 + sorvek::kOutputSlack);
    std::vector<char> scratch(in.size() + sorvek::kOutputSlack);
    const auto length = static_cast<std::int32_t>(state.range(0));
    for (auto _ : state) {
        std::int64_t count = 0;
        benchmark::DoNotOptimize(cutRecords(in.data(), in.data() + in.size(), length, count,
                                            out.data(), scratch.data()));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * in.size()));
}
BENCHMARK(CutRecords)->Arg(0)->Arg(80);

void ConvertBreaks(benchmark::State& state) {
    const std::string& in = sampleText();
    std::vector<char> out(2 * in.size() + sorvek::kOutputSlack);
    const char* ending = state.range(0) == 2 ? "\r\n" : "\n";
    for (auto _ : state) {
        bool afterCr = false;
        benchmark::DoNotOptimize(convertBreaks(in.data(), in.data() + in.size(), ending,
                                               static_cast<std::size_t>(state.range(0)), afterCr,
                                               out.data()));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * in.size()));
}
BENCHMARK(ConvertBreaks)->Arg(1)->Arg(2);

}  // namespace
