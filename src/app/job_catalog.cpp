#include "app/job_catalog.h"

#include "platform/codepage.h"

namespace sorvek {
namespace {

// The guidance text of the record-length page has a full-width space after its first sentence.
constexpr JobDefinition kJobs[] = {
    {0, "/L", kJobRecLen, "レコード長変換", kPageRecordLength, "レコード長を指定桁数に変換します。",
     "レコード長をバイト数で指定してください。　0 を指定すると、改行無しのデータに変換できます。",
     "job_reclen", "パラメータの数が違います"},
    {1, "/C", kJobRec2Csv, "REC→CSV変換", kPageRecordDefinition,
     "固定長レコードをCSV形式に変換します。",
     "レコード定義情報を入力してください。項目のチェックを外すことで、出力しないように制限できます"
     "。",
     "job_rec2csv", "パラメータの数が違います。"},
    {3, "/E", kJobCrlf, "改行コード変換", kPageLineEnding, "改行コード(LF,CR,CRLF)を変換します。",
     "変換後の改行コードを指定してください。", "job_crlf", "パラメータの数が違います"},
};

}  // namespace

std::span<const JobDefinition> jobCatalog() {
    return kJobs;
}

const JobDefinition* findJobByButton(int index) {
    for (const JobDefinition& job : kJobs) {
        if (job.buttonIndex == index) return &job;
    }
    return nullptr;
}

const JobDefinition* findJobBySwitch(std::string_view commandSwitch) {
    const std::string wanted = asciiUpper(commandSwitch);
    for (const JobDefinition& job : kJobs) {
        if (wanted == job.commandSwitch) return &job;
    }
    return nullptr;
}

std::string jobHint(int index) {
    const JobDefinition* job = findJobByButton(index);
    return job == nullptr ? std::string() : std::string(job->hint);
}

bool startJob(int index, JobState& job) {
    const JobDefinition* row = findJobByButton(index);
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
