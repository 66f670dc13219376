#include "reboot_wait.h"

namespace ql5ctl {

RebootOutcome WaitUntilAnswering(const std::function<bool()>& answers,
                                 const std::function<void(std::chrono::milliseconds)>& pause)
{
    // A converter that has not gone down yet answers the first query at once,
    // and that counts as ready, as it does in the reboot window.
    if (answers())
        return RebootOutcome::kReady;
    for (int further = 0; further < kFurtherRebootQueries; ++further) {
        pause(kRebootQueryPause);
        if (answers())
            return RebootOutcome::kReady;
    }
    return RebootOutcome::kTimedOut;
}

}  // namespace ql5ctl
