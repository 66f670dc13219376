// SPDX-License-Identifier: Apache-2.0
#include "receive_reply.h"

#include "context.h"
#include "packet_format.h"
#include "reply_decoder.h"

#include <array>
#include <cstring>

namespace ql5 {

bool AcceptReply(const DiscoveryContext* context, std::uint8_t* buffer, std::size_t size,
                 std::size_t capacity, std::uint32_t localAddress, std::uint16_t expectedType,
                 const std::uint8_t* targetMac, DeviceRecord* record)
{
    if (size == 0)
        return false;
    ClearBeyondDatagram(buffer, size, capacity);
    if (!DecodeReply(context, buffer, capacity, expectedType, record))
        return false;
    if ((record->exchange.presenceFlags & QL5_HAS_MAC_ADDRESS) == 0)
        return false;
    if (!IsBroadcastMac(targetMac) &&
        std::memcmp(record->exchange.macAddress, targetMac, kMacSize) != 0)
        return false;
    // The socket's address was read once when it was opened, not asked of
    // the system for every datagram.
    record->exchange.localAddress = localAddress;
    return true;
}

bool ReceiveReply(const DiscoveryContext* context, platform::SocketHandle socket,
                  std::uint32_t localAddress, std::uint16_t expectedType,
                  const std::uint8_t* targetMac, DeviceRecord* record, std::uint32_t* source,
                  const platform::RequestSockets& calls)
{
    // Not zeroed here: AcceptReply zeroes what the decoder may read behind
    // the datagram.
    std::array<std::uint8_t, kReceiveBufferSize> buffer;
    std::size_t size = 0;
    std::uint32_t from = 0;
    if (!calls.Receive(socket, buffer.data(), buffer.size(), &size, &from))
        return false;
    if (source != nullptr)
        *source = from;
    if (!AcceptReply(context, buffer.data(), size, buffer.size(), localAddress, expectedType,
                     targetMac, record))
        return false;
    record->sourceAddress = from;
    return true;
}

}  // namespace ql5
