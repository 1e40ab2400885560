#pragma once
// What --help prints: the whole usage, or the usage of one job.
#include <string>

namespace sorvek {

// The usage of every form and option.
std::string usageText();

// The usage of the job of `commandSwitch` ("/L", "/C", "/E"); the whole usage for any other.
std::string jobUsageText(const std::string& commandSwitch);

// The line that follows a refusal of the options: where to read more.
std::string moreHelpText(const std::string& programName);

}  // namespace sorvek
