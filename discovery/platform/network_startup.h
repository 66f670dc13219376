// SPDX-License-Identifier: Apache-2.0
// Each context takes one start-up of the platform's network stack when it is
// opened and gives it back when it is destroyed. Platforms whose sockets need
// no start-up only count the calls.
#pragma once

#include "status.h"

namespace ql5::platform {

// Succeeds when the network stack is ready for this caller.
Status StartNetworking() noexcept;

// Releases one successful StartNetworking.
void StopNetworking() noexcept;

// Number of start-ups not yet released; lets tests see that every context
// gives back what it took.
int NetworkingStartCount() noexcept;

}  // namespace ql5::platform
