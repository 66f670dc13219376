#include "sweep_drain.h"

#include "context.h"
#include "packet_format.h"
#include "receive_reply.h"

namespace ql5 {

// A record that the queue gives back (one replaced by a newer reply of the
// same converter, or one dropped because the queue is full) is used again for
// the next datagram rather than freed and made anew.
std::size_t DrainSocket(DiscoveryContext* context, platform::SocketHandle socket,
                        std::uint32_t localAddress)
{
    std::size_t accepted = 0;
    DeviceRecord* spare = nullptr;
    for (int read = 0; read < kMaxDatagramsPerDrain; ++read) {
        DeviceRecord* record = spare;
        spare = nullptr;
        if (record != nullptr)
            ResetDeviceRecord(context, record);
        else
            record = NewDeviceRecord(context);
        if (record == nullptr)
            return accepted;  // no memory: try again next cycle
        if (!ReceiveReply(context, socket, localAddress, kDiscoveryReply, BroadcastMac, record)) {
            FreeDeviceRecord(record);
            return accepted;
        }
        ++accepted;
        spare = context->replyQueue->Offer(record);
    }
    FreeDeviceRecord(spare);
    return accepted;
}

}  // namespace ql5
