#include "console/console_front.h"

#include <chrono>

#include "app/app_state.h"
#include "app/check_report.h"
#include "app/completion_text.h"
#include "app/definition_options.h"
#include "app/job_registry.h"
#include "app/record_data_check.h"
#include "app/run_job.h"
#include "app/shipped_layouts.h"
#include "app/startup.h"
#include "app/untold_kinds.h"
#include "app/version.h"
#include "console/check_command.h"
#include "console/command_options.h"
#include "console/console_ports.h"
#include "console/process_arguments.h"
#include "console/stop_signals.h"
#include "console/usage_text.h"
#include "engine/control_totals.h"
#include "engine/job_count.h"
#include "platform/codepage.h"
#include "platform/paths.h"
#include "platform/stop_request.h"
#include "ports/app_title.h"

namespace sorvek {
namespace {

// A path as the job takes it: "-" (a standard stream) as it is, any other made absolute.
std::string shownPath(const std::string& typed) {
    return typed == "-" ? typed : getFullPath(typed);
}

// What -v tells before the job runs: the job, its files and, for /C, how the text is written.
void describeJob(const AppState& state, const ConsoleStreams& streams) {
    const JobState& job = state.job;
    const char* name = streams.programName;
    std::fprintf(streams.err, "%s: %s: %s → %s\n", name, job.JobTitle.c_str(),
                 shownPath(job.JobParams[0]).c_str(), shownPath(job.JobParams[1]).c_str());
    const JobEntry* entry = findJobByKind(job.JobKind);
    if (entry == nullptr || !entry->readsDefinition) {
        std::fprintf(streams.err, "%s: パラメータ: %s\n", name, job.JobParams[2].c_str());
        return;
    }
    std::fprintf(streams.err, "%s: 定義ファイル: %s\n%s: 出力形式: %s\n", name,
                 state.definitionFile.c_str(), name, outputOptionsDescription(state).c_str());
    if (entry->makesRecords) {
        std::fprintf(streams.err, "%s: レコード: %s\n", name,
                     outputOptionsDescription(state, OptionTarget::Records).c_str());
    }
    if (const auto note = untoldKindsNote(state.recordDefTable); note) {
        std::fprintf(streams.err, "%s: 注意: %s\n", name, note->c_str());
    }
}

// What -v says of the workers a job runs with, and why.
std::string jobCountText(const JobCount& count) {
    const std::string jobs = "ジョブ数: " + std::to_string(count.jobs);
    const std::string cores = std::to_string(count.cores);
    switch (count.reason) {
        case JobCountReason::Asked:
            return jobs + " (指定どおり)";
        case JobCountReason::ByCores:
            return jobs + " (使えるコア " + cores + " 個に合わせて選びました)";
        case JobCountReason::CappedToCores:
            return jobs + " (指定の " + std::to_string(count.asked) + " は使えるコア " + cores +
                   " 個より多いため)";
        case JobCountReason::FewCores:
            return jobs + " (使えるコア " + cores +
                   " 個は、1 つのジョブの変換と書き込みの 2 "
                   "つのスレッドで埋まるため。出力は同じです)";
        case JobCountReason::SmallInput:
            return jobs + " (入力が 64 MiB より小さいため)";
    }
    return jobs;
}

// --layouts: the name and title of every shipped layout whose file is there, one a line.
int listLayouts(const ConsoleStreams& streams) {
    const std::string folder = shippedLayoutsFolder();
    bool any = false;
    for (const ShippedLayout& layout : shippedLayouts()) {
        if (shippedLayoutPath(layout, folder).empty()) continue;
        std::fprintf(streams.out, "%-16s%s\n", layout.name, layout.title);
        any = true;
    }
    if (any) return kExitSuccess;
    std::fprintf(streams.err, "%s: 同梱のレコード定義が見つかりません。\n", streams.programName);
    return kExitFailure;
}

}  // namespace

ConsoleStreams processStreams(const char* programName) {
    return ConsoleStreams{stdout, stderr, standardErrorIsTerminal(), programName};
}

bool isConsoleOnlyRequest(const std::vector<std::string>& args) {
    const ConsoleRequest request = parseConsoleCommand(args).request;
    return request == ConsoleRequest::Help || request == ConsoleRequest::Version ||
           request == ConsoleRequest::Layouts || request == ConsoleRequest::Check;
}

int runConsole(const std::vector<std::string>& args, const ConsoleStreams& streams) {
    const ConsoleCommand command = parseConsoleCommand(args);
    switch (command.request) {
        case ConsoleRequest::Help:
            std::fputs(jobUsageText(command.helpSwitch).c_str(), streams.out);
            return kExitSuccess;
        case ConsoleRequest::Version:
            std::fprintf(streams.out, "%s %s\n", kAppTitle, kVersionText);
            return kExitSuccess;
        case ConsoleRequest::Layouts:
            return listLayouts(streams);
        case ConsoleRequest::Usage:
            std::fputs(usageText().c_str(), streams.err);
            return kExitRefused;
        case ConsoleRequest::Refused:
            std::fprintf(streams.err, "%s: %s\n%s", streams.programName, command.refusal.c_str(),
                         moreHelpText(streams.programName).c_str());
            return kExitRefused;
        case ConsoleRequest::Job:
        case ConsoleRequest::Check:
            break;
    }

    if (Status codePages = checkCodePages(); !codePages) {
        std::fprintf(streams.err, "%s\n", codePages.error().reason.c_str());
        return kExitFailure;
    }
    if (command.request == ConsoleRequest::Check) {
        return runCheck(
            {command.checkArgs[0], command.checkArgs.size() > 1 ? command.checkArgs[1] : "",
             command.json, command.quiet, command.jobs, command.csv, command.overrides},
            streams);
    }

    ConsoleProgress progress(streams.err, streams.drawProgress && !command.quiet);
    ConsoleMessages messages(streams.err, &progress);
    AppState state;
    const StartupOutcome outcome = prepareStartup(command.jobArgs, state, messages);
    if (outcome.action != StartupAction::RunJob) return outcome.exitStatus;
    applyOverrides(command.overrides, state);

    const StopSignals stopSignals;
    if (command.verbose) describeJob(state, streams);
    // The console never asks: it warns and runs the job.
    if (const auto recordData = recordDataInInput(state.job)) {
        messages.show(recordDataWarning(*recordData, state.job.JobTitle), kAppTitle,
                      MessageIcon::Exclamation);
    }
    const auto started = std::chrono::steady_clock::now();
    EngineContext context{progress};
    context.cancelled = &stopRequestFlag();
    const JobCount jobs = chooseJobCount(command.jobs, state.job.JobParams[0], context.files);
    context.jobs = jobs.jobs;
    if (command.verbose) {
        std::fprintf(streams.err, "%s: %s\n", streams.programName, jobCountText(jobs).c_str());
    }
    // With -v the input is inspected alongside, so that what was left out of the output (an
    // incomplete last record, records skipped) is said as the desktop program's completion says
    // it; the output is the same bytes.
    // A definition with control totals has the input checked alongside too, so that a total
    // that disagrees with its records is said (the output is the same bytes).
    std::vector<std::string> notes;
    bool ok = false;
    const JobEntry* entry = findJobByKind(state.job.JobKind);
    if (command.verbose ||
        (entry != nullptr && entry->inputIsRecords && hasControlTotals(state.recordDefTable))) {
        const std::optional<JobSummary> summary = runJobWithSummary(state, context, messages);
        ok = summary.has_value();
        if (summary) notes = summary->warnings;
        // The files of an output split by kind, which no other line names.
        if (summary && command.verbose) {
            for (const WrittenFile& file : summary->files) {
                std::fprintf(streams.err, "%s: %s\n", streams.programName,
                             writtenFileText(file).c_str());
            }
        }
    } else {
        ok = runJob(state, context, messages);
    }
    progress.endLine();
    for (const std::string& note : notes) {
        std::fprintf(streams.err, "%s: 注意: %s\n", streams.programName, note.c_str());
    }
    if (command.verbose) {
        const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - started;
        std::fprintf(streams.err, "%s: %s (%.2f 秒)\n", streams.programName,
                     ok ? "完了しました" : "失敗しました", seconds.count());
    }
    if (ok) return kExitSuccess;
    const int stopped = stoppedExitStatus();
    return stopped != 0 ? stopped : kExitFailure;
}

}  // namespace sorvek
