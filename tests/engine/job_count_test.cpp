#include "engine/job_count.h"

#include <gtest/gtest.h>

#include "platform/usable_cores.h"

namespace sorvek::testing {
namespace {

TEST(JobCount, WorkersRunOnlyWhereTheCoresOutnumberOneJobsThreads) {
    constexpr std::int64_t big = std::int64_t{1} << 30;
    const auto choose = [](unsigned asked, unsigned cores, std::int64_t length) {
        const JobCount c = chooseJobCount(asked, cores, length);
        return std::make_pair(c.jobs, c.reason);
    };
    using R = JobCountReason;
    // One core, or two, which one job's converting and writing threads already fill.
    EXPECT_EQ(std::make_pair(1u, R::FewCores), choose(0, 1, big));
    EXPECT_EQ(std::make_pair(1u, R::FewCores), choose(2, 2, big));
    EXPECT_EQ(std::make_pair(1u, R::FewCores), choose(8, 2, -1));
    // More cores: one per core when none are asked for, at most eight; as many as asked, up to
    // the cores; a pipe alike.
    EXPECT_EQ(std::make_pair(4u, R::ByCores), choose(0, 4, big));
    EXPECT_EQ(std::make_pair(kMostChosenJobs, R::ByCores), choose(0, 64, -1));
    EXPECT_EQ(std::make_pair(3u, R::Asked), choose(3, 4, big));
    EXPECT_EQ(std::make_pair(4u, R::CappedToCores), choose(16, 4, big));
    // One asked is one; a small file is one job whatever the cores.
    EXPECT_EQ(std::make_pair(1u, R::Asked), choose(1, 64, big));
    EXPECT_EQ(std::make_pair(1u, R::SmallInput), choose(0, 64, kSmallestInputInParts - 1));
    EXPECT_EQ(std::make_pair(1u, R::SmallInput), choose(8, 64, 0));
    EXPECT_EQ(std::make_pair(4u, R::ByCores), choose(0, 4, kSmallestInputInParts));
}

TEST(JobCount, AControlGroupsQuotaBoundsTheCores) {
    EXPECT_EQ(2u, coresOfQuota("200000", "100000"));      // cgroup v2 "200000 100000"
    EXPECT_EQ(1u, coresOfQuota("150000", "100000"));      // a core and a half: one
    EXPECT_EQ(1u, coresOfQuota("50000", "100000"));       // half a core: still one
    EXPECT_EQ(3u, coresOfQuota("300000\n", "100000\n"));  // cgroup v1's files, read whole
    EXPECT_EQ(std::nullopt, coresOfQuota("max", "100000"));
    EXPECT_EQ(std::nullopt, coresOfQuota("-1", "100000"));  // v1: no quota
    EXPECT_EQ(std::nullopt, coresOfQuota("", ""));
    EXPECT_GE(usableCores(), 1u);
}

}  // namespace
}  // namespace sorvek::testing
