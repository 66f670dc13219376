// SPDX-License-Identifier: Apache-2.0
// Windows has no SIGTERM: the console's control events stop the tool. The
// handler runs on a thread of its own, which cannot wake a wait; the tools
// look at the flag often enough instead.
#include "stop_requests.h"

#include <windows.h>

#include <atomic>

namespace ql5tools {

namespace {

// Set from the console's handler thread; lock-free, so safe there.
std::atomic<bool> stopRequested{false};

BOOL WINAPI RequestStop(DWORD event)
{
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT)
        return FALSE;  // closing the console or logging off ends the process as usual
    stopRequested.store(true);
    return TRUE;
}

}  // namespace

void CatchStopRequests(StopDelivery /*delivery*/)
{
    SetConsoleCtrlHandler(RequestStop, TRUE);
}

bool StopRequested()
{
    return stopRequested.load();
}

}  // namespace ql5tools
