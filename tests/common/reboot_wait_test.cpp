// SPDX-License-Identifier: Apache-2.0
// The wait after a reboot: ready only for an answer that follows an unanswered
// query, at most 41 queries, and a stop that ends it at once.
#include <ql5common/reboot_wait.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

using namespace ql5common;
using namespace std::chrono_literals;

namespace {

// Pauses short enough for a unit test; the counts are the real ones.
constexpr RebootWaitTiming kQuickTiming{.furtherQueries = 40, .pause = 1ms, .replyWindow = 7ms};

struct WaitCase {
    const char* name;
    // One character per query: 'a' answered, '-' unanswered; queries past
    // the end go unanswered.
    std::string answers;
    RebootOutcome outcome;
    int queries;
};

class RebootWaitTable : public testing::TestWithParam<WaitCase> {};

TEST_P(RebootWaitTable, OutcomeAndQueries)
{
    const WaitCase& c = GetParam();
    RebootWait wait(kQuickTiming);
    int queries = 0;
    std::vector<std::chrono::milliseconds> windows;
    const RebootOutcome outcome = wait.Run([&](std::chrono::milliseconds window) {
        windows.push_back(window);
        const auto index = static_cast<std::size_t>(queries++);
        return index < c.answers.size() && c.answers[index] == 'a';
    });
    EXPECT_EQ(outcome, c.outcome);
    EXPECT_EQ(queries, c.queries);
    EXPECT_EQ(windows, std::vector<std::chrono::milliseconds>(windows.size(), 7ms));
}

INSTANTIATE_TEST_SUITE_P(
    RebootWait, RebootWaitTable,
    testing::Values(
        // The converter that has not gone down yet still answers the first
        // query: that is not the restarted converter.
        WaitCase{"StillUpAtFirstThenBack", "aa-a", RebootOutcome::kReady, 4},
        WaitCase{"DownAtOnceThenBack", "-a", RebootOutcome::kReady, 2},
        WaitCase{"BackOnlyAtTheLastQuery", std::string(40, '-') + "a", RebootOutcome::kReady, 41},
        WaitCase{"NeverBack", "", RebootOutcome::kTimedOut, 41},
        // A converter that never went quiet was never seen restarting.
        WaitCase{"NeverWentDown", std::string(41, 'a'), RebootOutcome::kTimedOut, 41}),
    [](const testing::TestParamInfo<WaitCase>& info) { return std::string(info.param.name); });

TEST(RebootWait, DefaultBoundIsFortyOneRepliesWindowsAndFortyPauses)
{
    EXPECT_EQ(LongestRebootWait(RebootWaitTiming{}), 41 * 500ms + 40 * 500ms);
}

TEST(RebootWait, StopDuringAPauseEndsTheWaitAtOnce)
{
    RebootWait wait(RebootWaitTiming{.furtherQueries = 40, .pause = 60s, .replyWindow = 1ms});
    std::atomic<int> queries = 0;
    std::thread stopper([&] {
        while (queries.load() == 0)
            std::this_thread::sleep_for(1ms);
        std::this_thread::sleep_for(20ms);
        wait.Stop();
    });
    const auto started = std::chrono::steady_clock::now();
    const RebootOutcome outcome = wait.Run([&](std::chrono::milliseconds) {
        ++queries;
        return false;
    });
    stopper.join();
    EXPECT_EQ(outcome, RebootOutcome::kStopped);
    EXPECT_EQ(queries.load(), 1);
    EXPECT_LT(std::chrono::steady_clock::now() - started, 10s);
    EXPECT_TRUE(wait.Stopped());
}

TEST(RebootWait, StopDuringAQueryIgnoresItsAnswerAndSendsNoOther)
{
    RebootWait wait(kQuickTiming);
    int queries = 0;
    const RebootOutcome outcome = wait.Run([&](std::chrono::milliseconds) {
        if (++queries == 2)
            wait.Stop();
        return queries == 2;  // the answer that would have meant "ready"
    });
    EXPECT_EQ(outcome, RebootOutcome::kStopped);
    EXPECT_EQ(queries, 2);
}

TEST(RebootWait, StoppedBeforeItStartsSendsNothing)
{
    RebootWait wait(kQuickTiming);
    wait.Stop();
    int queries = 0;
    EXPECT_EQ(wait.Run([&](std::chrono::milliseconds) { return ++queries > 0; }),
              RebootOutcome::kStopped);
    EXPECT_EQ(queries, 0);
}

}  // namespace
