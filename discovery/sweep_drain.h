// The sweep's reading of one socket in one cycle: the datagrams waiting there,
// up to a bound, turned into records in the context's reply queue.
#pragma once

#include "platform/udp_socket.h"

#include <cstddef>
#include <cstdint>

struct DiscoveryContext;

namespace ql5 {

// Reads the datagrams waiting on the socket, at most kMaxDatagramsPerDrain,
// and offers every acceptable discovery reply to the reply queue with
// `localAddress` as the address it arrived on. Returns the number of replies
// accepted.
std::size_t DrainSocket(DiscoveryContext* context, platform::SocketHandle socket,
                        std::uint32_t localAddress);

}  // namespace ql5
