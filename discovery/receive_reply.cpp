#include "receive_reply.h"

#include "context.h"
#include "packet_format.h"
#include "reply_decoder.h"

#include <array>
#include <cstring>

namespace ql5 {

int ReceiveReply(const DiscoveryContext* context, platform::SocketHandle socket,
                 std::uint16_t expectedType, const std::uint8_t* targetMac, DeviceRecord* record)
{
    // Zeroed before each receive: payload bytes a header claims but the
    // datagram did not bring read as zero.
    std::array<std::uint8_t, kReceiveBufferSize> buffer{};
    if (platform::ReceiveDatagram(socket, buffer.data(), buffer.size()) <= 0)
        return -1;
    if (DecodeReply(context, buffer.data(), buffer.size(), expectedType, record) == 0)
        return -1;
    if ((record->exchange.presenceFlags & QL5_HAS_MAC_ADDRESS) == 0)
        return -1;
    if (!IsBroadcastMac(targetMac) &&
        std::memcmp(record->exchange.macAddress, targetMac, kMacSize) != 0)
        return -1;
    std::uint32_t localAddress = 0;
    if (!platform::GetLocalAddress(socket, &localAddress))
        return -1;
    record->exchange.localAddress = localAddress;
    return 0;
}

}  // namespace ql5
