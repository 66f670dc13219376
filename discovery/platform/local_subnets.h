// SPDX-License-Identifier: Apache-2.0
// The host's own IPv4 addresses with their subnet masks: what the rule against
// impostors needs to tell two links into one network from a reply that
// arrived on a network its source does not belong to. Taken from the one walk
// over the interfaces (ListLocalSubnets in interface_sockets.h), once per
// command, not per reply.
#pragma once

#include <cstdint>

namespace ql5 {

// One local IPv4 address of the host with its subnet mask (network order).
struct LocalSubnet {
    std::uint32_t address = 0;
    std::uint32_t mask = 0;
};

}  // namespace ql5
