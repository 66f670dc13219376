// The wait after a reboot: one query at once, then up to 40 more, 500 ms
// apart.
#include "reboot_wait.h"

#include <gtest/gtest.h>

#include <vector>

using namespace ql5ctl;
using namespace std::chrono_literals;

namespace {

struct WaitRun {
    RebootOutcome outcome;
    int queries = 0;
    std::vector<std::chrono::milliseconds> pauses;
};

// Runs the wait against a converter that answers query number `answersAt`
// (1 = the first query), or never when 0.
WaitRun Wait(int answersAt)
{
    WaitRun run{};
    run.outcome =
        WaitUntilAnswering([&] { return ++run.queries == answersAt; },
                           [&](std::chrono::milliseconds pause) { run.pauses.push_back(pause); });
    return run;
}

}  // namespace

TEST(RebootWait, ConverterAnsweringAtOnceIsReadyWithoutAPause)
{
    const WaitRun run = Wait(1);
    EXPECT_EQ(run.outcome, RebootOutcome::kReady);
    EXPECT_EQ(run.queries, 1);
    EXPECT_TRUE(run.pauses.empty());
}

TEST(RebootWait, ConverterAnsweringTheFifthFurtherQueryIsReadyAfterFivePauses)
{
    const WaitRun run = Wait(6);
    EXPECT_EQ(run.outcome, RebootOutcome::kReady);
    EXPECT_EQ(run.pauses, std::vector<std::chrono::milliseconds>(5, 500ms));
}

TEST(RebootWait, ConverterAnsweringOnlyTheFortiethFurtherQueryIsReady)
{
    const WaitRun run = Wait(41);
    EXPECT_EQ(run.outcome, RebootOutcome::kReady);
    EXPECT_EQ(run.queries, 41);
}

TEST(RebootWait, SilentConverterTimesOutAfterFortyOneQueries)
{
    const WaitRun run = Wait(0);
    EXPECT_EQ(run.outcome, RebootOutcome::kTimedOut);
    EXPECT_EQ(run.queries, 41);
    EXPECT_EQ(run.pauses, std::vector<std::chrono::milliseconds>(40, 500ms));
}
