#include "receive_reply.h"

#include "context.h"
#include "packet_format.h"
#include "reply_decoder.h"

#include <array>
#include <cstring>

namespace ql5 {

bool ReceiveReply(const DiscoveryContext* context, platform::SocketHandle socket,
                  std::uint32_t localAddress, std::uint16_t expectedType,
                  const std::uint8_t* targetMac, DeviceRecord* record, std::uint32_t* source)
{
    // Zeroed before each receive: payload bytes a header claims but the
    // datagram did not bring read as zero.
    std::array<std::uint8_t, kReceiveBufferSize> buffer{};
    std::size_t size = 0;
    if (!platform::ReceiveDatagram(socket, buffer.data(), buffer.size(), &size, source) ||
        size == 0)
        return false;
    if (!DecodeReply(context, buffer.data(), buffer.size(), expectedType, record))
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

}  // namespace ql5
