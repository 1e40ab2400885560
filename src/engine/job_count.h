#pragma once
// How many workers a job runs with: the count asked for where the machine can run it to any
// gain, else one job. One job of any conversion, and the check, already keeps two threads busy
// (the converting thread and the writer's; the reader's and the record walk's), so on two cores
// a second worker only adds hand-offs, and on one core every thread competes: workers pay only
// where the usable cores are more than those two. A small file is done before workers could
// pay for their start. The measurements behind the rule are in doc/architecture.md.
#include <cstdint>
#include <string>

#include "platform/files.h"

namespace sorvek {

// The threads one job keeps busy without workers.
inline constexpr unsigned kThreadsOfOneJob = 2;
// A regular file shorter than this runs as one job whatever is asked.
inline constexpr std::int64_t kSmallestInputInParts = std::int64_t{64} << 20;
// The most workers chosen when none are asked for: each has a part in flight, so memory grows
// with them.
inline constexpr unsigned kMostChosenJobs = 8;

enum class JobCountReason {
    Asked,          // as asked (one job, or workers the cores can run)
    ByCores,        // none asked: one per usable core, at most kMostChosenJobs
    CappedToCores,  // more asked than the usable cores: one per core
    FewCores,       // the usable cores are no more than one job's own threads
    SmallInput,     // a regular file shorter than kSmallestInputInParts
};

struct JobCount {
    unsigned asked = 0;  // as given: 0 when none were asked for
    unsigned jobs = 1;
    JobCountReason reason = JobCountReason::Asked;
    unsigned cores = 1;  // the usable cores the choice was made for
};

// The workers for `asked` (0: none asked, choose), on `cores` usable cores, for an input of
// `inputLength` bytes (-1: not a regular file, a pipe or a device, whose length is unknown).
JobCount chooseJobCount(unsigned asked, unsigned cores, std::int64_t inputLength);

// The same for the input at `inputPath` (a regular file's length through `files`; "-" and
// anything else unknown) on the cores this process may use now (platform/usable_cores.h).
JobCount chooseJobCount(unsigned asked, const std::string& inputPath, FileSystem& files);

}  // namespace sorvek
