#include "app/job_registry.h"

#include "platform/codepage.h"

namespace sorvek {

std::span<const JobEntry* const> jobRegistry() {
    // A new job is one line here (in the order of the main window's buttons).
    static const JobEntry* const kJobs[] = {
        &recordLengthJob(), &recordsToCsvJob(), &csvToRecordsJob(),
        &lineEndingJob(),   &checkJob(),        &csvCheckJob(),
    };
    return kJobs;
}

bool readsTextIntoRecords(const JobEntry& job) {
    return !job.inputIsRecords && job.makesRecords;
}

namespace {

template <typename Matches>
const JobEntry* findJob(Matches matches) {
    for (const JobEntry* job : jobRegistry()) {
        if (matches(*job)) return job;
    }
    return nullptr;
}

}  // namespace

const JobEntry* findJobByKind(std::string_view kind) {
    return findJob([&](const JobEntry& job) { return kind == job.kind; });
}

const JobEntry* findJobByButton(int index) {
    if (index < 0) return nullptr;
    return findJob([&](const JobEntry& job) { return job.buttonIndex == index; });
}

const JobEntry* findJobBySwitch(std::string_view commandSwitch) {
    const std::string wanted = asciiUpper(commandSwitch);
    return findJob([&](const JobEntry& job) {
        return job.commandSwitch != nullptr && wanted == job.commandSwitch;
    });
}

const JobEntry* findJobByLongOption(std::string_view option) {
    return findJob([&](const JobEntry& job) { return option == job.longOption; });
}

std::string jobHint(int index) {
    const JobEntry* job = findJobByButton(index);
    return job == nullptr ? std::string() : std::string(job->hint);
}

bool startJob(int index, JobState& job) {
    const JobEntry* row = findJobByButton(index);
    if (row == nullptr) return false;
    job.JobKind = row->kind;
    job.JobTitle = row->title;
    job.PageSequence = {kPageFiles, row->page, kPageExecute};
    job.PageComments = {"入力ファイル、出力ファイルをフルパスで指定してください。", row->comment,
                        "これで宜しければ、実行ボタンを押して下さい。"};
    job.JobParams = {};
    return true;
}

}  // namespace sorvek
