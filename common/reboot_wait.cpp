// SPDX-License-Identifier: Apache-2.0
#include "ql5common/reboot_wait.h"

namespace ql5common {

std::chrono::milliseconds LongestRebootWait(const RebootWaitTiming& timing)
{
    return timing.limit;
}

RebootWait::RebootWait(RebootWaitTiming timing) : timing_(timing)
{
}

RebootOutcome RebootWait::Run(const Query& query)
{
    const auto started = std::chrono::steady_clock::now();
    {
        const std::lock_guard lock(mutex_);
        started_ = started;
    }
    const auto deadline = started + timing_.limit;
    bool wentQuiet = false;
    for (int sent = 0;; ++sent) {
        // No query starts that could not run out its window within the
        // bound, and no pause is waited before a query that could not.
        const auto needed = sent > 0 ? timing_.replyWindow + timing_.pause : timing_.replyWindow;
        if (std::chrono::steady_clock::now() + needed > deadline)
            return RebootOutcome::kTimedOut;
        if (sent > 0 && !Pause())
            return RebootOutcome::kStopped;
        if (Stopped())
            return RebootOutcome::kStopped;
        const bool answered = query(timing_.replyWindow);
        // Whatever the query found, a stopped wait reports nothing else.
        if (Stopped())
            return RebootOutcome::kStopped;
        if (!answered)
            wentQuiet = true;
        else if (wentQuiet)
            return RebootOutcome::kReady;
    }
}

void RebootWait::Stop()
{
    {
        const std::lock_guard lock(mutex_);
        stopped_ = true;
    }
    wake_.notify_all();
}

bool RebootWait::Stopped() const
{
    const std::lock_guard lock(mutex_);
    return stopped_;
}

std::chrono::milliseconds RebootWait::Waited() const
{
    const std::lock_guard lock(mutex_);
    if (started_ == std::chrono::steady_clock::time_point{})
        return std::chrono::milliseconds{0};
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 started_);
}

bool RebootWait::Pause()
{
    std::unique_lock lock(mutex_);
    return !wake_.wait_for(lock, timing_.pause, [this] { return stopped_; });
}

}  // namespace ql5common
