// Reads one datagram from a socket and keeps it when it is an acceptable reply:
// right magic and type, decodable, carrying a MAC, from the wanted device.
#pragma once

#include "device_record.h"
#include "platform/udp_socket.h"

#include <cstdint>

struct DiscoveryContext;

namespace ql5 {

// The most datagrams the sweep reads from one socket in one cycle. Without a
// bound, a steady stream of replies would keep the sweep from ever looking at
// its stop signal; the rest are read in the next cycles.
inline constexpr int kMaxDatagramsPerDrain = 256;

// True when the record now holds an acceptable reply, with the local address
// it arrived on. The broadcast MAC as target accepts a reply from any device.
// After false the record may hold part of a reply. A datagram that is no
// acceptable reply is an ordinary event on a shared network, so false carries
// no cause.
[[nodiscard]] bool ReceiveReply(const DiscoveryContext* context, platform::SocketHandle socket,
                                std::uint16_t expectedType, const std::uint8_t* targetMac,
                                DeviceRecord* record);

}  // namespace ql5
