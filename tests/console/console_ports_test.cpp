#include "console/console_ports.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>

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
