// SPDX-License-Identifier: Apache-2.0
// The host's own IPv4 addresses. Each platform walks its interfaces once
// (ListInterfaceAddresses); what the sweep and the requests use is taken
// from that walk (ListHostIpv4Addresses).
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

// The addresses that discovery uses: one per configured address of every
// interface that is up and not a loopback, in the order the system lists
// them, each once. Fills the vector (network order), which may stay empty.
Status ListHostIpv4Addresses(std::vector<std::uint32_t>& addresses) noexcept;

}  // namespace ql5::platform
