// The man page and the bash completion know every long option the parser knows.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "console/command_options.h"
#include "support/temp_dir.h"

namespace sorvek::testing {
namespace {

TEST(Documentation, ManPageAndCompletionNameEveryLongOption) {
    const std::string source = std::getenv("SORVEK_SOURCE_DIR");
    const std::string manPage = readFile(source + "/doc/man/sorvek-cli.1");
    const std::string completion = readFile(source + "/completions/sorvek-cli");
    for (const std::string& option : knownLongOptions()) {
        std::string troff;
        for (char c : option) troff += c == '-' ? std::string("\\-") : std::string(1, c);
        EXPECT_NE(std::string::npos, manPage.find(troff)) << option << " is not in the man page";
        EXPECT_NE(std::string::npos, completion.find(option)) << option << " is not completed";
    }
}

}  // namespace
}  // namespace sorvek::testing
