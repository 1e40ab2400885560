// The man page and the bash completion know every long option the parser knows; the manual has
// the topic of every job, and the usage names every job's forms.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "app/job_registry.h"
#include "console/command_options.h"
#include "console/usage_text.h"
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
    // And the completion is a script bash can read (a formatter once made it none).
    const std::string check = "bash -n '" + source + "/completions/sorvek-cli' 2>&1";
    EXPECT_EQ(0, std::system(check.c_str())) << "bash cannot read the completion";
}

TEST(Documentation, EveryJobHasItsManualTopicAndItsUsage) {
    const std::string source = std::getenv("SORVEK_SOURCE_DIR");
    const std::string manual = readFile(source + "/doc/manual/index.html");
    const std::string usage = usageText();
    for (const JobEntry* job : jobRegistry()) {
        const std::string anchor = std::string("id=\"") + job->manualTopic + "\"";
        EXPECT_NE(std::string::npos, manual.find(anchor)) << job->kind << ": no " << anchor;
        EXPECT_NE(std::string::npos, usage.find(job->usage)) << job->kind;
        EXPECT_NE(std::string::npos, usage.find(job->longOption)) << job->kind;
        if (job->commandSwitch != nullptr) {
            EXPECT_EQ(job, findJobBySwitch(job->commandSwitch)) << "two jobs share a switch";
            EXPECT_NE(std::string::npos, jobUsageText(job->commandSwitch).find(job->usage));
        }
        EXPECT_EQ(job, findJobByKind(job->kind)) << "two jobs share a kind";
        EXPECT_EQ(job, findJobByLongOption(job->longOption)) << "two jobs share an option";
    }
}

}  // namespace
}  // namespace sorvek::testing
