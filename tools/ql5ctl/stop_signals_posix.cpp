// SPDX-License-Identifier: Apache-2.0
#include "stop_signals.h"

#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>

namespace ql5ctl {

namespace {

// Set from the signal handler; lock-free, so safe there.
std::atomic<bool> stopRequested{false};

extern "C" void RequestStop(int)
{
    stopRequested.store(true);
}

}  // namespace

// The handlers of SIGINT and SIGTERM end the watch at the next check instead
// of the process; SIGPIPE is ignored, so a closed pipe shows up as a failed
// write and ends the watch the same way.
void CatchStopSignals()
{
    struct sigaction action {};
    action.sa_handler = RequestStop;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    signal(SIGPIPE, SIG_IGN);
}

bool StopRequested()
{
    return stopRequested.load();
}

// A watch that has nothing new to print would otherwise not notice until its
// next line, which may never come; the write end of a pipe whose reader
// closed it polls as an error.
bool OutputGone()
{
    pollfd output{STDOUT_FILENO, 0, 0};
    return poll(&output, 1, 0) == 1 && (output.revents & (POLLERR | POLLHUP)) != 0;
}

}  // namespace ql5ctl
