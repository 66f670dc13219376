// SPDX-License-Identifier: Apache-2.0
// The host's own IPv4 addresses. Each platform walks its interfaces once
// (ListInterfaceAddresses); what the sweep and the requests use is taken
// from that walk (ServesDiscovery picks the entries).
#pragma once

#include "status.h"

#include <cstdint>
#include <string>
#include <vector>

namespace ql5::platform {

// One IPv4 address of one interface.
struct InterfaceAddress {
    std::string name;       // "eth1"; on Windows the name the user sees
    std::uint32_t address;  // network order
    std::uint32_t mask;     // network order; all ones where the system gives none
    bool up;
    bool loopback;
};

// Every IPv4 address of every interface, up or down, in the order the system
// lists them. Fails when the system could not be asked or memory ran out.
Status ListInterfaceAddresses(std::vector<InterfaceAddress>& addresses) noexcept;

// Whether discovery uses the address: its interface is up and not a loopback.
[[nodiscard]] inline bool ServesDiscovery(const InterfaceAddress& entry) noexcept
{
    return entry.up && !entry.loopback;
}

}  // namespace ql5::platform
