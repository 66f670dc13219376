// SPDX-License-Identifier: Apache-2.0
// The local address through which this computer reaches a host, for a
// command sent by unicast to a converter that --host names.
#pragma once

#include <cstdint>

namespace ql5ctl {

// The local IPv4 address (network order) that the routing would send from to
// reach the host (network order) on the discovery port, or 0 when no route
// leads there. Nothing is sent.
std::uint32_t LocalAddressToward(std::uint32_t host);

}  // namespace ql5ctl
