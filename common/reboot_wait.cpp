// SPDX-License-Identifier: Apache-2.0
#include "ql5common/reboot_wait.h"

namespace ql5common {

std::chrono::milliseconds LongestRebootWait(const RebootWaitTiming& timing)
{
    return (timing.furtherQueries + 1) * timing.replyWindow + timing.furtherQueries * timing.pause;
}

RebootWait::RebootWait(RebootWaitTiming timing) : timing_(timing)
{
}

RebootOutcome RebootWait::Run(const Query& query)
{
    bool wentQuiet = false;
    for (int sent = 0; sent <= timing_.furtherQueries; ++sent) {
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
    return RebootOutcome::kTimedOut;
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

bool RebootWait::Pause()
{
    std::unique_lock lock(mutex_);
    return !wake_.wait_for(lock, timing_.pause, [this] { return stopped_; });
}

}  // namespace ql5common
