#include "console/command_options.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <array>
#include <optional>

#include "app/definition_options.h"
#include "app/job_registry.h"
#include "engine/engine_context.h"
#include "platform/number_text.h"

namespace sorvek {
namespace {

ConsoleCommand refused(std::string text) {
    ConsoleCommand command;
    command.request = ConsoleRequest::Refused;
    command.refusal = std::move(text);
    return command;
}

// The option CLI11 names at the start of its message ("--encoding: ..."), or nothing.
std::string optionNamedIn(const std::string& message) {
    const std::size_t colon = message.find(':');
    if (colon == std::string::npos || message.rfind("-", 0) != 0) return {};
    return message.substr(0, colon);
}

// `--check --csv`: the text read as the CSV-to-records job reads it, which takes that job's
// options over the definition (they change how the text is read) but no job of its own.
ConsoleCommand csvCheckCommand(ConsoleCommand command, const JobEntry* jobOption,
                               const std::vector<std::string>& positionals, bool json) {
    if (jobOption != nullptr)
        return refused("--check --csv にはジョブのオプションを指定できません。");
    if (positionals.size() != 2) {
        return refused("--check --csv には入力ファイルと定義ファイルを指定してください。");
    }
    command.request = ConsoleRequest::Check;
    command.checkArgs = positionals;
    command.json = json;
    command.csv = true;
    return command;
}

}  // namespace

std::vector<std::string> knownLongOptions() {
    std::vector<std::string> names = {"--help",    "--version", "--layouts", "--quiet",
                                      "--verbose", "--json",    "--jobs"};
    for (const JobEntry* job : jobRegistry()) names.emplace_back(job->longOption);
    for (const DefinitionOption& o : definitionOptions())
        names.push_back(std::string("--") + o.name);
    return names;
}

ConsoleCommand parseConsoleCommand(const std::vector<std::string>& args) {
    CLI::App app;
    app.set_help_flag();  // --help is answered in the program's own words
    // The switches (/C, /L, ...) are arguments, not options, on Windows as well.
    app.allow_windows_style_options(false);
    app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    bool help = false, version = false, layouts = false, quiet = false, verbose = false;
    bool check = false, json = false, csv = false;
    app.add_flag("-h,--help", help);
    app.add_flag("--version", version);
    app.add_flag("--layouts", layouts);
    app.add_flag("-q,--quiet", quiet);
    app.add_flag("-v,--verbose", verbose);
    app.add_flag(checkJob().longOption, check);
    app.add_flag(csvCheckJob().longOption, csv);
    app.add_flag("--json", json);
    std::string jobs;
    CLI::Option* jobsOption = app.add_option("--jobs", jobs);

    // The option that names a job's parameter, for every job of the switch form; with one of
    // them the job needs only INPUT and OUTPUT.
    std::vector<const JobEntry*> switchJobs;
    for (const JobEntry* job : jobRegistry()) {
        if (job->commandSwitch != nullptr) switchJobs.push_back(job);
    }
    std::vector<std::string> jobValues(switchJobs.size());
    std::vector<CLI::Option*> jobOptions(switchJobs.size());
    for (std::size_t i = 0; i < switchJobs.size(); ++i) {
        jobOptions[i] = app.add_option(switchJobs[i]->longOption, jobValues[i]);
    }

    // The options over the definition: a flag means "on".
    const std::span<const DefinitionOption> options = definitionOptions();
    std::vector<std::string> optionValues(options.size());
    std::vector<CLI::Option*> optionGiven(options.size());
    for (std::size_t i = 0; i < options.size(); ++i) {
        const std::string name = std::string("--") + options[i].name;
        optionGiven[i] =
            options[i].flag ? app.add_flag(name) : app.add_option(name, optionValues[i]);
    }

    // Everything from the first argument that is no option on is the job's, as it stands.
    std::vector<std::string> positionals;
    app.add_option("arguments", positionals)->allow_extra_args();
    app.positionals_at_end();

    std::vector<std::string> reversed(args.rbegin(), args.rend());
    try {
        app.parse(reversed);
    } catch (const CLI::ExtrasError&) {
        const std::vector<std::string> rest = app.remaining();
        return refused("不明なオプションです: " + (rest.empty() ? std::string() : rest.front()));
    } catch (const CLI::ArgumentMismatch& e) {
        const std::string name = optionNamedIn(e.what());
        return refused(name.empty() ? std::string("オプションの指定に誤りがあります: ") + e.what()
                                    : name + " に値を指定してください。");
    } catch (const CLI::ParseError& e) {
        return refused(std::string("オプションの指定に誤りがあります: ") + e.what());
    }

    ConsoleCommand command;
    if (jobsOption->count() > 0) {
        const std::optional<std::int32_t> count = parseInt32(jobs);
        if (!count || *count < 0 || *count > static_cast<int>(kMaxJobs)) {
            return refused("--jobs には 0 (自動) から " + std::to_string(kMaxJobs) +
                           " までの整数を指定してください: " + jobs);
        }
        command.jobs = static_cast<unsigned>(*count);
    }
    command.quiet = quiet;
    command.verbose = verbose;

    const JobEntry* jobOption = nullptr;
    std::string jobValue;
    for (std::size_t i = 0; i < jobValues.size(); ++i) {
        if (jobOptions[i]->count() == 0) continue;
        if (jobOption != nullptr) {
            return refused(std::string(jobOption->longOption) + " と " + switchJobs[i]->longOption +
                           " は同時に指定できません。");
        }
        jobOption = switchJobs[i];
        jobValue = jobValues[i];
    }

    if (help) {
        command.request = ConsoleRequest::Help;
        if (jobOption != nullptr) {
            command.helpSwitch = jobOption->commandSwitch;
        } else if (!positionals.empty()) {
            if (const JobEntry* job = findJobBySwitch(positionals.front())) {
                command.helpSwitch = job->commandSwitch;
            }
        }
        return command;
    }
    if (version) {
        command.request = ConsoleRequest::Version;
        return command;
    }
    if (layouts) {
        command.request = ConsoleRequest::Layouts;
        return command;
    }

    const CsvOutputOverrides& out = command.overrides.output;
    const InputOverrides& in = command.overrides.input;
    const RecordOutputOverrides& layout = command.overrides.records;
    for (std::size_t i = 0; i < options.size(); ++i) {
        if (optionGiven[i]->count() == 0) continue;
        const std::string word = options[i].flag ? "on" : optionValues[i];
        if (!options[i].take(word, command.overrides)) {
            return refused(optionValueRefusal(options[i], optionGiven[i]->get_name(), word));
        }
    }

    if (check || json || csv) {
        if (!check) {
            return refused(std::string(csv ? csvCheckJob().longOption : "--json") +
                           " は --check と一緒に指定してください。");
        }
        if (csv) return csvCheckCommand(std::move(command), jobOption, positionals, json);
        if (jobOption != nullptr || !out.empty() || !layout.empty()) {
            return refused("--check にはジョブや出力形式のオプションを指定できません。");
        }
        if (positionals.empty() || positionals.size() > 2) {
            return refused("--check には入力ファイルと、必要なら定義ファイルを指定してください。");
        }
        // How the records are read (code page, record format, descriptor words) goes over the
        // definition's, as for the job.
        if (!in.empty() && positionals.size() != 2) {
            return refused(
                "入力の読み方のオプションは --check に定義ファイルと一緒に指定してください。");
        }
        command.request = ConsoleRequest::Check;
        command.checkArgs = positionals;
        command.json = json;
        return command;
    }

    if (jobOption != nullptr) {
        if (positionals.size() != 2) {
            return refused(std::string(jobOption->longOption) +
                           " のほかに入力ファイルと出力ファイルを指定してください。");
        }
        command.jobArgs = {jobOption->commandSwitch, positionals[0], positionals[1], jobValue};
    } else {
        command.jobArgs = positionals;
    }
    if (command.jobArgs.empty()) {
        command.request = ConsoleRequest::Usage;
        return command;
    }
    // The output options belong to the jobs that read a definition.
    const JobEntry* job = findJobBySwitch(command.jobArgs.front());
    if (!out.empty() && job != nullptr && !job->readsDefinition) {
        return refused(
            "出力形式のオプションは REC→CSV変換 (/C, --definition) と CSV→REC変換 (/R, "
            "--to-records) にだけ指定できます。");
    }
    if (!layout.empty() && job != nullptr && !job->makesRecords) {
        return refused(
            "--record-end と --block-size は CSV→REC変換 (/R, --to-records) にだけ指定できます。");
    }
    command.request = ConsoleRequest::Job;
    return command;
}

}  // namespace sorvek
