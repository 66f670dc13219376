// SPDX-License-Identifier: Apache-2.0
#include "stop_requests.h"

#include <signal.h>

#include <atomic>

namespace ql5tools {

namespace {

// Set from the signal handler; lock-free, so safe there.
std::atomic<bool> stopRequested{false};

extern "C" void RequestStop(int)
{
    stopRequested.store(true);
}

}  // namespace

void CatchStopRequests(StopDelivery delivery)
{
    if (delivery == StopDelivery::kOnlyWhileWaiting) {
        sigset_t stopSignals;
        sigemptyset(&stopSignals);
        sigaddset(&stopSignals, SIGTERM);
        sigaddset(&stopSignals, SIGINT);
        sigprocmask(SIG_BLOCK, &stopSignals, nullptr);
    }
    struct sigaction action {};
    action.sa_handler = RequestStop;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

bool StopRequested()
{
    return stopRequested.load();
}

}  // namespace ql5tools
