#include "engine/parallel_jobs.h"

#include "engine/job_files.h"

#include <algorithm>
#include <atomic>
#include <random>
#include <thread>

#include "engine/in_order_writer.h"

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
    std::string runInMemory(const std::string& in, unsigned jobs, Job job, bool atOffsets = false) {
        memory.readsAtOffsets = atOffsets;
        memory.files["/in"] = in;
        memory.devices["/out"].clear();
        EngineContext ctx{progress, memory, blockSize};
        ctx.jobs = jobs;
        // Whoever reads the parts, the observer of the input is handed every byte once, in order.
        std::string observed;
        ctx.observeInput = [&](const char* data, std::size_t size) { observed.append(data, size); };
        EXPECT_TRUE(job("/in", "/out", ctx));
        EXPECT_BYTES_EQ(in, observed);
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
            return ran(tranRecLen(i, o, length, c));
        };
        // Parts read in order by the job's thread (a pipe), and at offsets by the workers.
        for (const bool atOffsets : {false, true}) {
            EXPECT_BYTES_EQ(runInMemory(in, 1, recLen), runInMemory(in, jobs, recLen, atOffsets))
                << "round " << round << ", length " << length << ", at offsets " << atOffsets;
            for (const char* ending : {"CRLF", "CR", "LF"}) {
                auto crlf = [&](const std::string& i, const std::string& o, EngineContext& c) {
                    std::string e = ending;
                    return ran(tranCrlf(i, o, e, c));
                };
                EXPECT_BYTES_EQ(runInMemory(in, 1, crlf), runInMemory(in, jobs, crlf, atOffsets))
                    << "round " << round << ", " << ending << ", at offsets " << atOffsets;
            }
        }
    }
}

TEST_F(ParallelJobsTest, RecordsLongerThanSeveralPartsConvertAsInTheSequentialRun) {
    // A header of 150000 bytes (its field at its end) over details of 4: a header runs through
    // many parts and beyond the room kept for the bytes that run on from one part into the next.
    RecordDefTable table =
        makeTable(fileDefinition(0, "1", ",", true),
                  {recordDefinition("H", 150000, "H", 0, 2,
                                    {unmarked("KIND", "X", 1, 1), field("NO", "X", 149996, 5)}),
                   recordDefinition("D", 4, "D", 1, 0,
                                    {unmarked("KIND", "X", 1, 1), field("QTY", "9", 2, 3)})});
    std::string in;
    for (int h = 0; h < 4; ++h) {
        in += "H" + std::string(149994, 'x') + "NO00" + std::to_string(h) + "\r\n";
        for (int d = 0; d < 3; ++d) in += "D00" + std::to_string(d) + "\r\n";
    }
    in += "H" + std::string(1000, 'y');  // cut short: left out, as in the sequential run
    blockSize = 4096;
    auto rec2csv = [&](const std::string& i, const std::string& o, EngineContext& c) {
        RecordDefTable copy = table;
        return ran(tranRec2Csv(i, o, copy, c));
    };
    const std::string expected = runInMemory(in, 1, rec2csv);
    EXPECT_NE(std::string::npos, expected.find("NO003"));
    for (const bool atOffsets : {false, true}) {
        EXPECT_BYTES_EQ(expected, runInMemory(in, 3, rec2csv, atOffsets)) << atOffsets;
    }
}

// Takes what is written; the write of call `failCall` (1 the first) fails.
class RecordingFile final : public WritableFile {
  public:
    Status write(const char* data, std::size_t n) override {
        if (++calls == failCall) return failure("disk full");
        bytes.append(data, n);
        return {};
    }
    Status sync() override { return {}; }
    Status copyPermissions(const FileInfo&) override { return {}; }
    Status close() override { return {}; }

    std::string bytes;
    int calls = 0;
    int failCall = 0;
};

TEST(InOrderWriterTest, PartsDeliveredOutOfOrderByManyThreadsAreWrittenInOrder) {
    constexpr int kParts = 400;
    constexpr int kThreads = 4;
    auto text = [](int part) { return std::to_string(part) + (part % 7 == 0 ? "" : ";"); };
    // What reaches the file when part `lastPart` ends the conversion (-1: none) and the write
    // call `failCall` fails (0: none).
    auto written = [&](int lastPart, int failCall, Status* finished) {
        RecordingFile file;
        file.failCall = failCall;
        InOrderWriter writer(file);
        writer.writeFirst("title\n", 6);
        std::vector<std::thread> threads;
        for (int t = 0; t < kThreads; ++t) {
            threads.emplace_back([&, t] {
                // Thread t delivers every kThreads-th part, the later ones first in each ten.
                std::mt19937 rng(static_cast<unsigned>(t));
                std::vector<int> mine;
                for (int p = t; p < kParts; p += kThreads) mine.push_back(p);
                for (std::size_t i = 0; i < mine.size(); i += 10) {
                    std::shuffle(
                        mine.begin() + static_cast<std::ptrdiff_t>(i),
                        mine.begin() + static_cast<std::ptrdiff_t>(std::min(i + 10, mine.size())),
                        rng);
                }
                for (int p : mine) {
                    MemoryOutput bytes = writer.takeBuffer();
                    bytes.append(text(p).data(), text(p).size());
                    writer.deliver(static_cast<std::uint64_t>(p), std::move(bytes), p == lastPart);
                }
            });
        }
        for (std::thread& t : threads) t.join();
        *finished = writer.finish(kParts);
        return file.bytes;
    };
    std::string all = "title\n";
    for (int p = 0; p < kParts; ++p) all += text(p);

    Status finished;
    EXPECT_EQ(all, written(-1, 0, &finished));
    EXPECT_TRUE(finished);

    std::string upTo = "title\n";
    for (int p = 0; p <= 123; ++p) upTo += text(p);
    EXPECT_EQ(upTo, written(123, 0, &finished));
    EXPECT_TRUE(finished);

    // A failed write keeps its failure, and nothing after it is written.
    const std::string before = written(-1, 50, &finished);
    ASSERT_FALSE(finished);
    EXPECT_EQ("disk full", finished.error().reason);
    EXPECT_EQ(all.substr(0, before.size()), before);
    EXPECT_LT(before.size(), all.size());
}

TEST_F(ParallelJobsTest, ReadAndWriteFailuresKeepTheOldOutputWithEveryJob) {
    RecordDefTable table = orderExampleTable();
    std::string in;
    for (int i = 0; i < 400; ++i) in += "H00001\r\nD012\r\n";
    blockSize = 64;
    auto rec2csv = [&](const std::string& i, const std::string& o, EngineContext& c) {
        RecordDefTable copy = table;
        return ran(tranRec2Csv(i, o, copy, c));
    };
    auto recLen = [&](const std::string& i, const std::string& o, EngineContext& c) {
        return ran(tranRecLen(i, o, 5, c));
    };
    auto crlf = [&](const std::string& i, const std::string& o, EngineContext& c) {
        std::string e = "LF";
        return ran(tranCrlf(i, o, e, c));
    };
    const std::vector<std::function<bool(const std::string&, const std::string&, EngineContext&)>>
        jobs = {rec2csv, recLen, crlf};
    for (std::size_t k = 0; k < 2 * jobs.size(); ++k) {
        // Each job with its input read in order (a pipe), and at offsets by the workers.
        const std::size_t j = k / 2;
        files.inOrderReads = k % 2 == 0;
        files.readLimit = 3000;
        files.writeLimit = INT64_MAX;
        failures.clear();
        dir.write("out.txt", "old output");
        EXPECT_EQ("old output", run(in, 2, jobs[j], false)) << k;
        EXPECT_EQ(Failure(FailureKind::ReadError, "injected fault", FailureSubject::InputRead,
                          dir.file("in.txt")),
                  onlyFailure())
            << k;

        files.readLimit = INT64_MAX;
        files.writeLimit = 100;
        failures.clear();
        EXPECT_EQ("old output", run(in, 2, jobs[j], false)) << k;
        EXPECT_EQ(Failure(FailureKind::WriteError, "injected fault", FailureSubject::OutputWrite,
                          dir.file("out.txt")),
                  onlyFailure())
            << k;
    }
}

TEST_F(ParallelJobsTest, ACancelledJobKeepsTheOldOutput) {
    std::atomic<bool> cancelled{true};
    dir.write("out.txt", "old output");
    auto crlf = [&](const std::string& i, const std::string& o, EngineContext& c) {
        c.cancelled = &cancelled;
        std::string e = "LF";
        return ran(tranCrlf(i, o, e, c));
    };
    EXPECT_EQ("old output", run(std::string(10000, 'a'), 2, crlf, false));
    EXPECT_EQ(FailureKind::Cancelled, onlyFailure().kind);
}

TEST_F(ParallelJobsTest, ProgressEndsAtTheInputLength) {
    blockSize = 100;
    auto recLen = [&](const std::string& i, const std::string& o, EngineContext& c) {
        return ran(tranRecLen(i, o, 3, c));
    };
    (void)run(std::string(5000, 'a'), 2, recLen);
    ASSERT_FALSE(progress.calls.empty());
    EXPECT_EQ(5000, progress.calls.back().value);
}

}  // namespace
}  // namespace sorvek::testing
