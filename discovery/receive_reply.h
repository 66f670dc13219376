// SPDX-License-Identifier: Apache-2.0
// Keeps a datagram when it is an acceptable reply: right magic and type,
// decodable, carrying a MAC, from the wanted device. ReceiveReply reads the
// datagram from a socket first; the sweep, which receives whole batches,
// hands its datagrams to AcceptReply.
#pragma once

#include "device_record.h"
#include "platform/request_sockets.h"
#include "platform/udp_socket.h"

#include <cstddef>
#include <cstdint>

struct DiscoveryContext;

namespace ql5 {

// True when the datagram of `size` bytes at the start of the buffer is an
// acceptable reply; the record, new or freshly reset, then holds it with
// `localAddress`, the address of the socket it came through, as the address
// it arrived on. The rest of the buffer (`capacity` bytes in all) may hold
// anything: what the decoder may read of it is zeroed first, so that bytes a
// header claims but the datagram did not bring read as zero. The broadcast
// MAC as target accepts a reply from any device. After false the record may
// hold part of a reply. A datagram that is no acceptable reply is an ordinary
// event on a shared network, so false carries no cause.
[[nodiscard]] bool AcceptReply(const DiscoveryContext* context, std::uint8_t* buffer,
                               std::size_t size, std::size_t capacity, std::uint32_t localAddress,
                               std::uint16_t expectedType, const std::uint8_t* targetMac,
                               DeviceRecord* record);

// Receives one datagram from the socket (through `calls`) and keeps it as
// AcceptReply does. With `source`, the address the reply came from is stored
// there (network order), read by the same receive.
[[nodiscard]] bool ReceiveReply(const DiscoveryContext* context, platform::SocketHandle socket,
                                std::uint32_t localAddress, std::uint16_t expectedType,
                                const std::uint8_t* targetMac, DeviceRecord* record,
                                std::uint32_t* source = nullptr,
                                const platform::RequestSockets& calls = platform::SystemSockets());

}  // namespace ql5
