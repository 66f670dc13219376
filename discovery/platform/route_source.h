// SPDX-License-Identifier: Apache-2.0
// Which of the host's own addresses the system would send from to reach a
// given IPv4 address: the question a unicast request must answer first, so
// that it leaves through the socket of that address and its reply comes back
// to a socket that listens for it.
#pragma once

#include "native_handles.h"

#include <cstdint>

namespace ql5::platform {

// Asks the system's routing for the local IPv4 address (network order) of
// the way to `destination` (network order) and `port` (host order), using
// `probe`, a spare UDP socket that no one else reads. Nothing is sent. False
// when no route leads there; the probe may be asked again for another
// destination.
[[nodiscard]] bool RouteSourceAddress(SocketHandle probe, std::uint32_t destination,
                                      std::uint16_t port, std::uint32_t* localAddress) noexcept;

}  // namespace ql5::platform
