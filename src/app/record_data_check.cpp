#include "app/record_data_check.h"

#include <string>

#include "app/job_registry.h"
#include "engine/inspection.h"
#include "platform/paths.h"

namespace sorvek {

std::optional<InspectionReport> recordDataInInput(const JobState& job, FileSystem& files) {
    const JobEntry* entry = findJobByKind(job.JobKind);
    if (entry == nullptr || !entry->warnsOnRecordData) return std::nullopt;
    const std::string path = getFullPath(job.JobParams[0]);
    // Only a regular file is opened: the head of a pipe read here would be lost to the job.
    const Result<FileInfo> info = files.inspect(path);
    if (!info || info->kind != FileKind::Regular) return std::nullopt;
    auto file = files.openRead(path);
    if (!file) return std::nullopt;
    std::string head(kInspectionHeadBytes, '\0');
    std::size_t got = 0;
    while (got < head.size()) {
        Result<std::size_t> n = (*file)->read(head.data() + got, head.size() - got);
        if (!n) return std::nullopt;
        if (*n == 0) break;
        got += *n;
    }
    Inspector inspector(nullptr);
    inspector.add(head.data(), got);
    // The start of the file only: its end is not judged.
    InspectionReport report = inspector.finish(got == head.size());
    if (!report.looksBinary) return std::nullopt;
    return report;
}

}  // namespace sorvek
