#include "app/job_catalog.h"

namespace sorvek {
namespace {

struct JobRow {
    int index;
    const char* kind;
    const char* title;
    std::int32_t page;
    const char* hint;
    const char* comment;
};

// The guidance text of the record-length page has a full-width space after its first sentence.
constexpr JobRow kJobs[] = {
    {0, kJobRecLen, "レコード長変換", kPageRecordLength, "レコード長を指定桁数に変換します。",
     "レコード長をバイト数で指定してください。　0 を指定すると、改行無しのデータに変換できます。"},
    {1, kJobRec2Csv, "REC→CSV変換", kPageRecordDefinition, "固定長レコードをCSV形式に変換します。",
     "レコード定義情報を入力してください。項目のチェックを外すことで、出力しないように制限できます"
     "。"},
    {3, kJobCrlf, "改行コード変換", kPageLineEnding, "改行コード(LF,CR,CRLF)を変換します。",
     "変換後の改行コードを指定してください。"},
};

const JobRow* findJob(int index) {
    for (const JobRow& row : kJobs) {
        if (row.index == index) return &row;
    }
    return nullptr;
}

}  // namespace

std::string jobHint(int index) {
    const JobRow* row = findJob(index);
    return row == nullptr ? std::string() : std::string(row->hint);
}

bool startJob(int index, JobState& job) {
    const JobRow* row = findJob(index);
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
