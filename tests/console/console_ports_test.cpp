#include "console/console_ports.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <thread>

namespace sorvek {
namespace {

// What a port wrote to its stream.
class Captured {
  public:
    Captured() : file_(std::tmpfile()) {}
    ~Captured() { std::fclose(file_); }
    std::FILE* file() { return file_; }
    std::string text() {
        std::fflush(file_);
        std::rewind(file_);
        std::string s;
        int c;
        while ((c = std::fgetc(file_)) != EOF) s += static_cast<char>(c);
        return s;
    }

  private:
    std::FILE* file_;
};

TEST(ConsoleProgress, DrawsOnATerminalAtMostTenTimesASecondAndAlwaysTheEnd) {
    Captured out;
    {
        ConsoleProgress progress(out.file(), true);
        progress.showLabel();
        progress.showProgress(0, 1000);
        for (int i = 1; i < 1000; ++i) progress.showProgress(i, -1);  // far quicker than 0.1 s
        progress.showProgress(1000, -1);
    }
    const std::string text = out.text();
    EXPECT_EQ(0u, text.find("\r[----------------------------------------] (0/100%)"));
    EXPECT_LE(std::count(text.begin(), text.end(), '\r'), 3);
    EXPECT_NE(std::string::npos,
              text.find("\r[########################################] (100/100%)\n"));
}

TEST(ConsoleProgress, DrawsNothingWhenNotATerminalOrForAnEmptyInput) {
    Captured out;
    {
        ConsoleProgress quiet(out.file(), false);
        quiet.showProgress(0, 10);
        quiet.showProgress(10, -1);
        ConsoleProgress empty(out.file(), true);
        empty.showProgress(0, 0);  // refused: an empty input has no maximum
        empty.showProgress(0, -1);
    }
    EXPECT_EQ("", out.text());
}

TEST(ConsoleProgress, AnInputOfUnknownLengthShowsBytesDoneThenTheFullBar) {
    Captured out;
    {
        ConsoleProgress progress(out.file(), true);
        progress.showLabel();
        progress.showBytesDone(0);
        for (int i = 1; i <= 1000; ++i) progress.showBytesDone(i * 1024);  // quicker than 0.1 s
        progress.showProgress(1000 * 1024, 1000 * 1024);
    }
    const std::string text = out.text();
    EXPECT_EQ(0u, text.find("\r0 B"));
    EXPECT_LE(std::count(text.begin(), text.end(), '\r'), 3);
    EXPECT_NE(std::string::npos,
              text.find("\r[########################################] (100/100%)\n"));

    Captured quiet;
    {
        ConsoleProgress progress(quiet.file(), false);
        progress.showBytesDone(0);
        progress.showBytesDone(4096);
    }
    EXPECT_EQ("", quiet.text());
}

TEST(ConsoleProgress, ALongerLineDrawnBeforeIsBlankedOut) {
    Captured out;
    {
        ConsoleProgress progress(out.file(), true);
        progress.showBytesDone(1048575);
        std::this_thread::sleep_for(std::chrono::milliseconds(120));  // past the redraw pause
        progress.showBytesDone(1048576);
    }
    EXPECT_EQ("\r1023.9 KiB\r1.0 MiB   \n", out.text());
}

TEST(ByteCountText, CountsInUnitsOf1024WithOneDecimalRoundedDown) {
    const std::pair<std::int64_t, const char*> cases[] = {
        {0, "0 B"},
        {1023, "1023 B"},
        {1024, "1.0 KiB"},
        {1048575, "1023.9 KiB"},
        {12345678, "11.7 MiB"},
        {std::int64_t{1} << 30, "1.0 GiB"},
        {std::int64_t{5} << 40, "5.0 TiB"},
    };
    for (const auto& [bytes, text] : cases) EXPECT_EQ(text, byteCountText(bytes)) << bytes;
}

TEST(ConsoleMessages, WritesTheTextAsItStandsOnALineOfItsOwn) {
    Captured out;
    ConsoleProgress progress(out.file(), true);
    ConsoleMessages messages(out.file(), &progress);
    progress.showProgress(5, 10);
    messages.show("入力ファイルが存在しません。\nfni = /x", "tranRecLen()",
                  MessageIcon::Exclamation);
    EXPECT_FALSE(messages.askYesNo("削除してもよろしいですか？", "t"));
    const std::string text = out.text();
    EXPECT_NE(std::string::npos, text.find("(50/100%)\n入力ファイルが存在しません。\nfni = /x\n"));
}

}  // namespace
}  // namespace sorvek
