// Inputs beyond 4 GiB, without the disk: a file system that makes up a large input and counts
// what is written. Proves 64-bit offsets and the scaling of progress to the 32-bit bar.
#include <algorithm>
#include <cstring>

#include "engine/tran_crlf.h"
#include "engine/tran_rec2csv.h"
#include "engine/tran_rec_len.h"
#include "support/engine_fixture.h"

namespace sorvek::testing {
namespace {

constexpr std::int64_t kLargeSize = (std::int64_t{1} << 32) + 12345;  // 4 GiB and a little
constexpr std::int64_t kLineLength = 100;                             // 99 bytes + LF
constexpr std::size_t kPatternSize = 1 << 20;

// The input "/big.in" is made up; the output "/big.out" is a device that counts what reaches it.
class GeneratedFileSystem final : public FileSystem {
  public:
    bool fileExists(const std::string& p) override { return p == "/big.in"; }
    Status deleteFile(const std::string&) override { return {}; }
    std::int64_t fileSize(const std::string&) override { return kLargeSize; }
    bool isSameFile(const std::string&, const std::string&) override { return false; }
    Result<FileInfo> inspect(const std::string& p) override {
        FileInfo info;
        if (p == "/big.in") info.kind = FileKind::Regular;
        if (p == "/big.out") info.kind = FileKind::Other;
        info.size = kLargeSize;
        return info;
    }
    Result<std::string> resolveLinks(const std::string& p) override { return p; }
    Result<TemporaryFile> createTemporary(const std::string&) override {
        return failure("not here");
    }
    Status replaceFile(const std::string&, const std::string&) override {
        return failure("not here");
    }
    Status syncFolder(const std::string&) override { return failure("not here"); }
    Status createFolders(const std::string&) override { return failure("not here"); }
    bool folderWritable(const std::string&) override { return false; }
    Result<std::unique_ptr<WritableFile>> openWrite(const std::string&) override {
        return failure("not here");
    }

    Result<std::unique_ptr<ReadableFile>> openRead(const std::string&) override {
        class Reader final : public ReadableFile {
          public:
            Reader() {
                // Lines of 99 'x' and an LF; copied from a period-aligned pattern.
                pattern_.assign(kPatternSize + kLineLength, 'x');
                for (std::size_t i = kLineLength - 1; i < pattern_.size(); i += kLineLength)
                    pattern_[i] = '\n';
            }
            Result<std::size_t> read(char* buffer, std::size_t n) override {
                std::size_t want =
                    static_cast<std::size_t>(std::min<std::int64_t>(n, kLargeSize - offset_));
                for (std::size_t i = 0; i < want;) {
                    std::size_t phase = static_cast<std::size_t>(
                        (offset_ + static_cast<std::int64_t>(i)) % kLineLength);
                    std::size_t run = std::min(want - i, kPatternSize);
                    std::memcpy(buffer + i, pattern_.data() + phase, run);
                    i += run;
                }
                offset_ += static_cast<std::int64_t>(want);
                return want;
            }

          private:
            std::string pattern_;
            std::int64_t offset_ = 0;
        };
        return std::unique_ptr<ReadableFile>(std::make_unique<Reader>());
    }

    Result<std::unique_ptr<WritableFile>> openWriteExisting(const std::string&) override {
        class Counter final : public WritableFile {
          public:
            explicit Counter(GeneratedFileSystem& fs) : fs_(fs) {}
            Status write(const char* data, std::size_t n) override {
                fs_.written += static_cast<std::int64_t>(n);
                fs_.lineFeeds += std::count(data, data + n, '\n');
                fs_.carriageReturns += std::count(data, data + n, '\r');
                return {};
            }
            Status sync() override { return {}; }
            Status copyPermissions(const FileInfo&) override { return {}; }
            Status close() override { return {}; }

          private:
            GeneratedFileSystem& fs_;
        };
        return std::unique_ptr<WritableFile>(std::make_unique<Counter>(*this));
    }

    std::int64_t written = 0, lineFeeds = 0, carriageReturns = 0;
};

void expectProgressWithinBar(const std::vector<ProgressCall>& calls) {
    ASSERT_GE(calls.size(), 2u);
    const std::int32_t maximum = calls.front().maximum;
    EXPECT_GT(maximum, 1 << 30);  // scaled, yet fine-grained
    EXPECT_EQ(0, calls.front().value);
    std::int32_t last = 0;
    for (std::size_t i = 1; i < calls.size(); ++i) {
        EXPECT_EQ(-1, calls[i].maximum);
        EXPECT_GE(calls[i].value, last);
        EXPECT_LE(calls[i].value, maximum);
        last = calls[i].value;
    }
    EXPECT_EQ(maximum, calls.back().value);
}

TEST(LargeFile, RecordLengthConversionBeyondFourGiB) {
    GeneratedFileSystem fs;
    RecordingProgress progress;
    EngineContext context{progress, fs, 4 << 20};
    ASSERT_TRUE(tranRecLen("/big.in", "/big.out", 80, context).ok());
    const std::int64_t lines = kLargeSize / kLineLength;
    const std::int64_t lastLineBytes = kLargeSize % kLineLength;  // no LF in a partial last line
    const std::int64_t data = lines * (kLineLength - 1) + lastLineBytes;
    EXPECT_EQ(data + 2 * (data / 80), fs.written);
    EXPECT_EQ(data / 80, fs.lineFeeds);
    expectProgressWithinBar(progress.calls);
}

TEST(LargeFile, LineEndingConversionBeyondFourGiB) {
    GeneratedFileSystem fs;
    RecordingProgress progress;
    EngineContext context{progress, fs, 4 << 20};
    std::string ending = "CRLF";
    ASSERT_TRUE(tranCrlf("/big.in", "/big.out", ending, context).ok());
    const std::int64_t lines = kLargeSize / kLineLength;
    EXPECT_EQ(kLargeSize + lines, fs.written);
    EXPECT_EQ(lines, fs.carriageReturns);
    expectProgressWithinBar(progress.calls);
}

TEST(LargeFile, RecordToCsvConversionBeyondFourGiB) {
    GeneratedFileSystem fs;
    RecordingProgress progress;
    EngineContext context{progress, fs, 4 << 20};
    // Records of 99 bytes, each followed by an LF; the short last line is an incomplete record.
    RecordDefTable table;
    table.reset(2);
    table[0].Delimiter = ",";
    table[1].Size = 99;
    table[1].Fields = {FieldDef{"a", "X", 1, 10, 0, -1, ""}, FieldDef{"b", "9", 95, 5, 2, -1, ""}};
    ASSERT_TRUE(tranRec2Csv("/big.in", "/big.out", table, context).ok());
    const std::int64_t records = kLargeSize / kLineLength;
    EXPECT_EQ(records * (10 + 1 + 6 + 2), fs.written);
    EXPECT_EQ(records, fs.lineFeeds);
    EXPECT_EQ(std::string(99, 'x'), std::string(table[1].Data.begin(), table[1].Data.end()));
    expectProgressWithinBar(progress.calls);
}

}  // namespace
}  // namespace sorvek::testing
