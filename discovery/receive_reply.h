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

// True when the record now holds an acceptable reply, with `localAddress`,
// the address the socket is bound to, as the address it arrived on. The
// broadcast MAC as target accepts a reply from any device. With `source`, the
// address the reply came from is stored there (network order), read by the
// same receive. After false the record may hold part of a reply. A datagram
// that is no acceptable reply is an ordinary event on a shared network, so
// false carries no cause.
[[nodiscard]] bool ReceiveReply(const DiscoveryContext* context, platform::SocketHandle socket,
                                std::uint32_t localAddress, std::uint16_t expectedType,
                                const std::uint8_t* targetMac, DeviceRecord* record,
                                std::uint32_t* source = nullptr);

}  // namespace ql5
