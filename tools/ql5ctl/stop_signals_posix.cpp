// SPDX-License-Identifier: Apache-2.0
#include "stop_signals.h"

#include <poll.h>
#include <signal.h>
#include <unistd.h>

namespace ql5ctl {

// SIGINT and SIGTERM end the watch at the next check instead of the process;
// SIGPIPE is ignored, so a closed pipe shows up as a failed write and ends
// the watch the same way.
void CatchStopSignals()
{
    ql5tools::CatchStopRequests(ql5tools::StopDelivery::kAnyTime);
    signal(SIGPIPE, SIG_IGN);
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
