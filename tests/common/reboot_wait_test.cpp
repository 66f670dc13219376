// SPDX-License-Identifier: Apache-2.0
// The wait after a reboot: ready only for an answer that follows an unanswered
// query, short queries for as long as the bound allows, and a stop that ends
// it at once.
#include <ql5common/reboot_wait.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

using namespace ql5common;
using namespace std::chrono_literals;

namespace {

// Time scaled down for a unit test: room for about 40 query periods.
constexpr RebootWaitTiming kQuickTiming{.limit = 320ms, .pause = 1ms, .replyWindow = 7ms};

// A query as the client makes it: an unanswered one runs out its window.
bool Answer(bool answered, std::chrono::milliseconds window)
{
    if (!answered)
        std::this_thread::sleep_for(window);
    return answered;
}

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
        return Answer(index < c.answers.size() && c.answers[index] == 'a', window);
    });
    EXPECT_EQ(outcome, c.outcome);
    if (c.queries > 0) {
        EXPECT_EQ(queries, c.queries);
    }
    EXPECT_EQ(windows, std::vector<std::chrono::milliseconds>(windows.size(), 7ms));
}

INSTANTIATE_TEST_SUITE_P(
    RebootWait, RebootWaitTable,
    testing::Values(
        // The converter that has not gone down yet still answers the first
        // query: that is not the restarted converter.
        WaitCase{"StillUpAtFirstThenBack", "aa-a", RebootOutcome::kReady, 4},
        WaitCase{"DownAtOnceThenBack", "-a", RebootOutcome::kReady, 2},
        WaitCase{"BackAfterTwentyQuietQueries", std::string(20, '-') + "a", RebootOutcome::kReady,
                 21},
        // How many queries fit in the bound depends on the machine's pace.
        WaitCase{"NeverBack", "", RebootOutcome::kTimedOut, 0},
        // A converter that never went quiet was never seen restarting.
        WaitCase{"NeverWentDown", std::string(100000, 'a'), RebootOutcome::kTimedOut, 0}),
    [](const testing::TestParamInfo<WaitCase>& info) { return std::string(info.param.name); });

TEST(RebootWait, DefaultBoundIsFortyOneFullRequestLimitsAndFortyPauses)
{
    // The short queries keep waiting as long as 41 queries of 7.5 s did.
    EXPECT_EQ(LongestRebootWait(RebootWaitTiming{}), 41 * 7500ms + 40 * 500ms);
    EXPECT_EQ(RebootWaitTiming{}.replyWindow, 500ms);
}

TEST(RebootWait, ConverterThatStaysAwayIsAskedUntilTheBoundAndNoLonger)
{
    RebootWait wait(kQuickTiming);
    int queries = 0;
    const auto started = std::chrono::steady_clock::now();
    const RebootOutcome outcome = wait.Run([&](std::chrono::milliseconds window) {
        ++queries;
        return Answer(false, window);
    });
    const auto waited = std::chrono::steady_clock::now() - started;
    EXPECT_EQ(outcome, RebootOutcome::kTimedOut);
    // Short queries go on to the bound, not only for 41 of them, and no
    // query outlasts it.
    EXPECT_GE(waited, kQuickTiming.limit - kQuickTiming.replyWindow - kQuickTiming.pause);
    EXPECT_LE(waited, kQuickTiming.limit + 50ms);
    EXPECT_GT(queries, 1);
    EXPECT_GE(wait.Waited(), std::chrono::duration_cast<std::chrono::milliseconds>(waited) - 5ms);
}

TEST(RebootWait, StopDuringAPauseEndsTheWaitAtOnce)
{
    RebootWait wait(RebootWaitTiming{.limit = 600s, .pause = 60s, .replyWindow = 1ms});
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
