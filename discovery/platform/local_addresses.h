// SPDX-License-Identifier: Apache-2.0
// The host's own IPv4 addresses, one per configured address of every interface
// that is up and not a loopback, in the order the system lists them, each once.
#pragma once

#include "status.h"

#include <cstdint>
#include <vector>

namespace ql5::platform {

// Fills the vector (addresses in network order), which may stay empty. Fails
// when the system could not be asked or memory ran out.
Status ListHostIpv4Addresses(std::vector<std::uint32_t>& addresses) noexcept;

}  // namespace ql5::platform
