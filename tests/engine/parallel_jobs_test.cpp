#include "engine/parallel_jobs.h"

#include "engine/job_files.h"

#include <atomic>
#include <random>

#include "engine/tran_crlf.h"
#include "engine/tran_rec2csv.h"
#include "engine/tran_rec_len.h"
#include "support/engine_fixture.h"
#include "support/memory_file_system.h"
#include "support/record_tables.h"

namespace sorvek::testing {
namespace {

class ParallelJobsTest : public EngineTest {
  protected:
    // Runs `job` with `jobs` workers on `in`; the output and whether the job succeeded.
    template <class Job>
    std::string run(const std::string& in, unsigned jobs, Job job, bool expectOk = true) {
        const std::string input = dir.write("in.txt", in);
        EngineContext ctx = context();
        ctx.jobs = jobs;
        EXPECT_EQ(expectOk, job(input, dir.file("out.txt"), ctx));
        return readFile(dir.file("out.txt"));
    }
    // The same in memory, into a device: no file to make durable.
    template <class Job>
    std::string runInMemory(const std::string& in, unsigned jobs, Job job) {
        memory.files["/in"] = in;
        memory.devices["/out"].clear();
        EngineContext ctx{progress, messages, memory, blockSize};
        ctx.jobs = jobs;
        EXPECT_TRUE(job("/in", "/out", ctx));
        return memory.devices["/out"];
    }

    MemoryFileSystem memory;
};

// Text with every kind of line break, CR LF pairs split between parts included.
std::string randomText(std::mt19937& rng) {
    const char alphabet[] = "ab\r\n\r\n\x82\xA0";
    std::string text;
    for (int n = static_cast<int>(rng() % 300); n > 0; --n) text += alphabet[rng() % 8];
    return text;
}

TEST_F(ParallelJobsTest, TextJobsWriteTheBytesOfTheSequentialRunWhereverPartsAreCut) {
    std::mt19937 rng(7);
    for (int round = 0; round < 120; ++round) {
        const std::string in = randomText(rng);
        blockSize = 1 + rng() % 12;
        const unsigned jobs = 2 + rng() % 3;
        const std::int32_t length = static_cast<std::int32_t>(rng() % 9) - 1;
        auto recLen = [&](const std::string& i, const std::string& o, EngineContext& c) {
            return tranRecLen(i, o, length, c);
        };
        EXPECT_BYTES_EQ(runInMemory(in, 1, recLen), runInMemory(in, jobs, recLen))
            << "round " << round << ", length " << length;
        for (const char* ending : {"CRLF", "CR", "LF"}) {
            auto crlf = [&](const std::string& i, const std::string& o, EngineContext& c) {
                std::string e = ending;
                return tranCrlf(i, o, e, c);
            };
            EXPECT_BYTES_EQ(runInMemory(in, 1, crlf), runInMemory(in, jobs, crlf))
                << "round " << round << ", " << ending;
        }
    }
}

TEST_F(ParallelJobsTest, ReadAndWriteFailuresKeepTheOldOutputWithEveryJob) {
    RecordDefTable table = orderExampleTable();
    std::string in;
    for (int i = 0; i < 400; ++i) in += "H00001\r\nD012\r\n";
    blockSize = 64;
    auto rec2csv = [&](const std::string& i, const std::string& o, EngineContext& c) {
        RecordDefTable copy = table;
        return tranRec2Csv(i, o, copy, c);
    };
    auto recLen = [&](const std::string& i, const std::string& o, EngineContext& c) {
        return tranRecLen(i, o, 5, c);
    };
    auto crlf = [&](const std::string& i, const std::string& o, EngineContext& c) {
        std::string e = "LF";
        return tranCrlf(i, o, e, c);
    };
    const std::vector<std::function<bool(const std::string&, const std::string&, EngineContext&)>>
        jobs = {rec2csv, recLen, crlf};
    for (std::size_t j = 0; j < jobs.size(); ++j) {
        files.readLimit = 3000;
        files.writeLimit = INT64_MAX;
        messages.shown.clear();
        dir.write("out.txt", "old output");
        EXPECT_EQ("old output", run(in, 2, jobs[j], false)) << j;
        EXPECT_EQ(
            "ファイルの読み込みに失敗しました。\nfni = " + dir.file("in.txt") + "\ninjected fault",
            onlyMessage().text)
            << j;

        files.readLimit = INT64_MAX;
        files.writeLimit = 100;
        messages.shown.clear();
        EXPECT_EQ("old output", run(in, 2, jobs[j], false)) << j;
        EXPECT_EQ(
            "ファイルの書き込みに失敗しました。\nfno = " + dir.file("out.txt") + "\ninjected fault",
            onlyMessage().text)
            << j;
    }
}

TEST_F(ParallelJobsTest, ACancelledJobKeepsTheOldOutput) {
    std::atomic<bool> cancelled{true};
    dir.write("out.txt", "old output");
    auto crlf = [&](const std::string& i, const std::string& o, EngineContext& c) {
        c.cancelled = &cancelled;
        std::string e = "LF";
        return tranCrlf(i, o, e, c);
    };
    EXPECT_EQ("old output", run(std::string(10000, 'a'), 2, crlf, false));
    EXPECT_EQ(kCancelledText, onlyMessage().text);
}

TEST_F(ParallelJobsTest, ProgressEndsAtTheInputLength) {
    blockSize = 100;
    auto recLen = [&](const std::string& i, const std::string& o, EngineContext& c) {
        return tranRecLen(i, o, 3, c);
    };
    (void)run(std::string(5000, 'a'), 2, recLen);
    ASSERT_FALSE(progress.calls.empty());
    EXPECT_EQ(5000, progress.calls.back().value);
}

}  // namespace
}  // namespace sorvek::testing
