#include "app/shared_progress.h"

#include <gtest/gtest.h>

#include <thread>

namespace sorvek::testing {
namespace {

TEST(SharedProgress, FollowsTheRulesOfTheBar) {
    SharedProgress progress;
    EXPECT_FALSE(progress.snapshot().labelShown);
    progress.showLabel();
    progress.showProgress(0, 200);
    progress.showProgress(74, -1);  // keeps the maximum
    ProgressSnapshot s = progress.snapshot();
    EXPECT_TRUE(s.labelShown);
    EXPECT_FALSE(s.busy);
    EXPECT_EQ(74, s.value);
    EXPECT_EQ(200, s.maximum);
    EXPECT_EQ("(37/100%)", s.label);

    const std::uint64_t before = s.version;
    progress.showProgress(300, -1);  // beyond the maximum: refused, nothing changes
    EXPECT_EQ(before, progress.snapshot().version);
    EXPECT_EQ(74, progress.snapshot().value);
}

TEST(SharedProgress, UnknownLengthCountsBytesAndEndsFull) {
    SharedProgress progress;
    progress.showLabel();
    progress.showBytesDone(0);
    progress.showBytesDone(3 * 1024 * 1024);
    EXPECT_TRUE(progress.snapshot().busy);
    EXPECT_EQ("(3.0 MiB)", progress.snapshot().label);
    progress.showProgress(100, 100);
    EXPECT_FALSE(progress.snapshot().busy);
    EXPECT_EQ("(100/100%)", progress.snapshot().label);

    // An empty stream ends with a report the bar refuses: it stops being busy all the same.
    SharedProgress empty;
    empty.showBytesDone(0);
    empty.showProgress(0, 0);
    EXPECT_FALSE(empty.snapshot().busy);
    EXPECT_EQ(1, empty.snapshot().maximum);
}

TEST(SharedProgress, ReportsFromAnotherThreadAreSeenWhole) {
    SharedProgress progress;
    std::thread job([&progress] {
        progress.showLabel();
        progress.showProgress(0, 1000);
        for (int i = 1; i <= 1000; ++i) progress.showProgress(i, -1);
    });
    // Every snapshot taken meanwhile is one the job reported: the label matches the value.
    for (int i = 0; i < 1000; ++i) {
        const ProgressSnapshot s = progress.snapshot();
        if (s.label.empty()) continue;
        EXPECT_EQ("(" + std::to_string(s.value * 100 / 1000) + "/100%)", s.label);
    }
    job.join();
    EXPECT_EQ(1000, progress.snapshot().value);
}

}  // namespace
}  // namespace sorvek::testing
