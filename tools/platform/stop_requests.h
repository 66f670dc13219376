// SPDX-License-Identifier: Apache-2.0
// What asks a command-line tool to stop: SIGINT or SIGTERM, on Windows the
// console's Ctrl+C or Ctrl+Break. ql5sim and ql5ctl both catch it, to end
// their loop and exit in order instead of being killed. Each system has its
// own file with these functions (stop_requests_posix.cpp,
// stop_requests_windows.cpp).
#pragma once

namespace ql5tools {

enum class StopDelivery {
    // The request is seen at the next look at StopRequested().
    kAnyTime,
    // On POSIX systems the stop signals stay blocked except during a wait
    // that unblocks them (ppoll or pselect with the old mask), so that one
    // cannot slip in between the last look and the sleep. Windows has no
    // such signals: there it is kAnyTime.
    kOnlyWhileWaiting,
};

// From now on a stop request sets a flag instead of ending the process.
void CatchStopRequests(StopDelivery delivery);

// Whether a stop has been requested.
bool StopRequested();

}  // namespace ql5tools
