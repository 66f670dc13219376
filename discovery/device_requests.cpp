#include "device_requests.h"

#include "context.h"
#include "interface_sockets.h"
#include "packet_format.h"
#include "platform/deadline.h"
#include "receive_reply.h"

#include <algorithm>
#include <chrono>

namespace ql5 {

namespace {

// requestTimeLimit is a due time in 100 ns units, negative meaning "from now".
platform::Deadline::Clock::duration TimeLimit(const DiscoveryContext* context)
{
    const std::int64_t units = context->requestTimeLimit;
    return std::chrono::duration_cast<platform::Deadline::Clock::duration>(
        std::chrono::nanoseconds((units < 0 ? -units : units) * 100));
}

}  // namespace

int LocateDevice(const DiscoveryContext* context, const std::uint8_t* targetMac,
                 DeviceRecord* record)
{
    if (context == nullptr || targetMac == nullptr || IsBroadcastMac(targetMac) || record == nullptr)
        return -1;
    SocketHandle* sockets = nullptr;
    const std::uint32_t count = OpenInterfaceSockets(context, &sockets);
    if (count == 0)
        return -1;

    RequestBuffer request;
    const std::size_t length = EncodeDiscoveryRequest(request, context->protocolMagic, targetMac);
    SendToGroup(context, sockets, count, request, static_cast<std::uint32_t>(length));
    platform::Deadline deadline;
    deadline.Start(TimeLimit(context));

    const std::uint32_t watched = std::min(count, kMaxWatchedSockets);
    bool readable[kMaxWatchedSockets];
    int result = -1;
    for (;;) {
        const int ready = platform::WaitReadable(sockets, watched, readable, ToDuration(context->requestPollTimeout));
        if (ready < 0)
            break;
        for (std::uint32_t i = 0; i < watched && ready > 0; ++i) {
            if (!readable[i])
                continue;
            ResetDeviceRecord(context, record);
            if (ReceiveReply(context, sockets[i], kDiscoveryReply, targetMac, record) == 0) {
                result = 0;
                break;
            }
        }
        // The limit is looked at after every cycle that found no answer, also
        // when other traffic kept the sockets readable: a steady stream of
        // replies from other devices must not hold the caller forever.
        if (result == 0 || deadline.HasPassed())
            break;
    }
    CloseInterfaceSockets(sockets, count);
    return result;
}

bool SelectInterface(const DiscoveryContext* context, const std::uint8_t* targetMac,
                     std::uint32_t* localAddress)
{
    if (context == nullptr || targetMac == nullptr || IsBroadcastMac(targetMac))
        return false;
    LockedList addresses;
    const std::int32_t count = EnumerateLocalAddresses(&addresses);
    if (count == 1) {
        *localAddress = static_cast<std::uint32_t>(addresses.ValueAt(0));
        return true;
    }
    if (count < 1)
        return false;
    DeviceRecord record;
    InitDeviceRecord(context, &record);
    const bool found = LocateDevice(context, targetMac, &record) == 0;
    if (found)
        *localAddress = record.exchange.localAddress;
    ReleaseDeviceRecord(&record);
    return found;
}

int ExchangeRequest(const DiscoveryContext* context, std::uint32_t localAddress,
                    std::uint16_t expectedType, const std::uint8_t* targetMac,
                    const std::uint8_t* request, std::size_t length, DeviceRecord* record)
{
    if (context == nullptr || targetMac == nullptr || request == nullptr || length == 0)
        return -1;
    SocketHandle socket = OpenInterfaceSocket(context, localAddress);
    if (socket == platform::kInvalidSocket)
        return -1;
    SendToGroup(context, &socket, 1, request, static_cast<std::uint32_t>(length));
    platform::Deadline deadline;
    deadline.Start(TimeLimit(context));

    int result = -1;
    for (;;) {
        bool readable = false;
        if (platform::WaitReadable(&socket, 1, &readable, ToDuration(context->requestPollTimeout)) < 0)
            break;
        ResetDeviceRecord(context, record);
        if (readable && ReceiveReply(context, socket, expectedType, targetMac, record) == 0) {
            result = 0;
            break;
        }
        if (deadline.HasPassed())
            break;
    }
    platform::CloseSocket(socket);
    return result;
}

}  // namespace ql5
