// SPDX-License-Identifier: Apache-2.0
// Windows has no SIGPIPE: a write to a pipe whose reader is gone simply
// fails, which ends the watch already.
#include "stop_signals.h"

#include <windows.h>

#include <atomic>

namespace ql5ctl {

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

void CatchStopSignals()
{
    SetConsoleCtrlHandler(RequestStop, TRUE);
}

bool StopRequested()
{
    return stopRequested.load();
}

// The write end of an anonymous pipe cannot be asked whether its reader is
// still there (PeekNamedPipe needs read access), so on Windows a reader that
// went away is noticed at the next line written.
bool OutputGone()
{
    return false;
}

}  // namespace ql5ctl
