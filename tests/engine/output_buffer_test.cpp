// Buffers reach the file in the order they were filled, decoded wherever the decoding happened
// (on the writer's thread, or on the filling one while the writer is behind).
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>

#include "engine/job_files.h"
#include "platform/codepage.h"

namespace sorvek::testing {
namespace {

// A file that takes its time over every write, as a busy disk may.
class SlowFile final : public WritableFile {
  public:
    Status write(const char* data, std::size_t n) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        std::lock_guard lock(mutex);
        bytes.append(data, n);
        ++writes;
        return {};
    }
    Status sync() override { return {}; }
    Status copyPermissions(const FileInfo&) override { return {}; }
    Status close() override { return {}; }

    std::mutex mutex;
    std::string bytes;
    int writes = 0;
};

TEST(OutputBuffer, BuffersBehindASlowFileReachItInOrderAndDecodedOnce) {
    const Cp932Decoder& decoder = Cp932Decoder::get();
    SlowFile file;
    std::string expected = "head\n";
    {
        OutputBuffer output(file, 24);
        output.append("head\n", 5);
        output.decodeFromHere(decoder);
        // Lines of CP932 (katakana of one byte, kanji of two, ASCII) that fill many buffers
        // while the file is still busy with the first.
        for (int line = 0; line < 60; ++line) {
            const std::string text = utf8ToCp932("ｶﾅ漢字 " + std::to_string(line)) + "\n";
            char* at = output.reserve(text.size());
            text.copy(at, text.size());
            output.commit(text.size());
            expected += cp932ToUtf8(text);
        }
        ASSERT_TRUE(output.finish());
    }
    EXPECT_EQ(expected, file.bytes);
    EXPECT_GT(file.writes, 10);
}

// Buffers far larger than the writer's decoding slices: lines of every length, pairs at every
// offset, and a line of more than a slice with no line feed to cut at.
TEST(OutputBuffer, LargeBuffersDecodeAsAWholeWhereverTheirSlicesEnd) {
    const Cp932Decoder& decoder = Cp932Decoder::get();
    SlowFile file;
    std::string cp932;
    {
        OutputBuffer output(file, 300 * 1024);
        output.decodeFromHere(decoder);
        // Lines are handed over whole, as the converter hands them.
        for (int line = 0; line < 20000; ++line) {
            std::string text(static_cast<std::size_t>(line % 7), 'a');
            for (int i = 0; i < line % 90; ++i) text += utf8ToCp932(i % 3 == 0 ? "ｶ" : "漢");
            if (line == 2000) {
                for (int i = 0; i < 200000; ++i) text += utf8ToCp932(i % 5 == 0 ? "x" : "字");
            } else {
                text += '\n';
            }
            text.copy(output.reserve(text.size()), text.size());
            output.commit(text.size());
            cp932 += text;
        }
        ASSERT_TRUE(output.finish());
    }
    const std::string expected = cp932ToUtf8(cp932);
    ASSERT_EQ(expected.size(), file.bytes.size());
    const auto differ = std::mismatch(expected.begin(), expected.end(), file.bytes.begin());
    EXPECT_TRUE(differ.first == expected.end())
        << "first difference at byte " << differ.first - expected.begin();
}

}  // namespace
}  // namespace sorvek::testing
