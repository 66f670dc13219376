// SPDX-License-Identifier: Apache-2.0
// The simulator process as its system sees it. Each system has its own file
// with these functions (process_posix.cpp, process_windows.cpp); what stops
// the simulator is shared with ql5ctl (tools/platform/stop_requests.h).
#pragma once

namespace ql5sim {

// The process id, as the system's own tools show it.
long ProcessId();

}  // namespace ql5sim
