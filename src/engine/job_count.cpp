#include "engine/job_count.h"

#include <algorithm>

#include "platform/usable_cores.h"

namespace sorvek {

JobCount chooseJobCount(unsigned asked, unsigned cores, std::int64_t inputLength) {
    cores = std::max(cores, 1u);
    if (asked == 1) return {asked, 1, JobCountReason::Asked, cores};
    if (inputLength >= 0 && inputLength < kSmallestInputInParts) {
        return {asked, 1, JobCountReason::SmallInput, cores};
    }
    if (cores <= kThreadsOfOneJob) return {asked, 1, JobCountReason::FewCores, cores};
    if (asked == 0)
        return {asked, std::min(cores, kMostChosenJobs), JobCountReason::ByCores, cores};
    if (asked > cores) return {asked, cores, JobCountReason::CappedToCores, cores};
    return {asked, asked, JobCountReason::Asked, cores};
}

JobCount chooseJobCount(unsigned asked, const std::string& inputPath, FileSystem& files) {
    std::int64_t length = -1;
    if (inputPath != "-") {
        const Result<FileInfo> info = files.inspect(inputPath);
        if (info && info->kind == FileKind::Regular) length = info->size;
    }
    return chooseJobCount(asked, asked == 1 ? 1 : usableCores(), length);
}

}  // namespace sorvek
