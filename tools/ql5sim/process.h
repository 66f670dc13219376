// SPDX-License-Identifier: Apache-2.0
// The simulator process as its system sees it: its id, and what ends it. Each
// system has its own file with these functions (process_posix.cpp,
// process_windows.cpp).
#pragma once

namespace ql5sim {

// From now on a stop request (SIGTERM or SIGINT; on Windows the console's
// Ctrl+C or Ctrl+Break) ends the simulator's loop instead of the process, so
// that it closes its log and exits 0.
void CatchStopRequests();

// Whether a stop has been requested.
bool StopRequested();

// The process id, as the system's own tools show it.
long ProcessId();

}  // namespace ql5sim
