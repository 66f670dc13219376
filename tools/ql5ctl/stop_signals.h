// SPDX-License-Identifier: Apache-2.0
// What ends `list --watch` from outside: the user's interrupt and a reader of
// the output that has gone away, in the system's own terms.
#pragma once

#include "stop_requests.h"

namespace ql5ctl {

// From now on, an interrupt (SIGINT or SIGTERM; on Windows Ctrl+C or
// Ctrl+Break) asks the watch to stop instead of ending the process, and a
// closed output shows up as a failed write instead of ending it.
void CatchStopSignals();

// Whether an interrupt has asked the watch to stop.
using ql5tools::StopRequested;

// Whether the reader of standard output is known to have gone away, even
// before the next write would fail.
bool OutputGone();

}  // namespace ql5ctl
