// SPDX-License-Identifier: Apache-2.0
// The host's own IPv4 addresses with their subnet masks: what the rule against
// impostors needs to tell two links into one network from a reply that
// arrived on a network its source does not belong to. Asked once per command,
// not per reply, so it may take the slower, fuller system calls.
#pragma once

#include "status.h"

#include <cstdint>
#include <vector>

namespace ql5 {

// One local IPv4 address of the host with its subnet mask (network order).
struct LocalSubnet {
    std::uint32_t address = 0;
    std::uint32_t mask = 0;
};

namespace platform {

// Fills the vector with every IPv4 address of an interface that is up and not
// a loopback, with its mask. Fails when the system could not be asked or
// memory ran out.
Status ListHostIpv4Subnets(std::vector<LocalSubnet>& subnets) noexcept;

}  // namespace platform
}  // namespace ql5
