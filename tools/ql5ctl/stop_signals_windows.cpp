// SPDX-License-Identifier: Apache-2.0
// Windows has no SIGPIPE: a write to a pipe whose reader is gone simply
// fails, which ends the watch already.
#include "stop_signals.h"

namespace ql5ctl {

void CatchStopSignals()
{
    ql5tools::CatchStopRequests(ql5tools::StopDelivery::kAnyTime);
}

// The write end of an anonymous pipe cannot be asked whether its reader is
// still there (PeekNamedPipe needs read access), so on Windows a reader that
// went away is noticed at the next line written.
bool OutputGone()
{
    return false;
}

}  // namespace ql5ctl
