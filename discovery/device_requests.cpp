#include "device_requests.h"

#include "context.h"
#include "deadline.h"
#include "interface_sockets.h"
#include "packet_format.h"
#include "receive_reply.h"

#include <algorithm>
#include <chrono>

namespace ql5 {

namespace {

// requestTimeLimit is a due time in 100 ns units, negative meaning "from now".
Deadline::Clock::duration TimeLimit(const DiscoveryContext* context)
{
    const std::int64_t units = context->requestTimeLimit;
    return std::chrono::duration_cast<Deadline::Clock::duration>(
        std::chrono::nanoseconds((units < 0 ? -units : units) * 100));
}

// What a request that got no reply ends with: the failed send when the request
// did not leave whole (it may still have left through other sockets, which is
// why the wait goes on), otherwise plainly no reply.
Status Unanswered(const Status& sent)
{
    return sent ? Status::Failed(Failure::kNoReply) : sent;
}

}  // namespace

Status LocateDevice(const DiscoveryContext* context, const std::uint8_t* targetMac,
                    DeviceRecord* record)
{
    if (context == nullptr || targetMac == nullptr || IsBroadcastMac(targetMac) ||
        record == nullptr)
        return Status::Failed(Failure::kInvalidArgument);
    SocketHandle* sockets = nullptr;
    std::uint32_t count = 0;
    if (Status opened = OpenInterfaceSockets(context, &sockets, &count); !opened)
        return opened;

    RequestBuffer request;
    const std::size_t length = EncodeDiscoveryRequest(request, context->protocolMagic, targetMac);
    const Status sent =
        SendToGroup(context, sockets, count, request, static_cast<std::uint32_t>(length));
    Deadline deadline;
    deadline.Start(TimeLimit(context));

    const std::uint32_t watched = std::min(count, kMaxWatchedSockets);
    bool readable[kMaxWatchedSockets];
    Status result = Unanswered(sent);
    for (;;) {
        std::size_t ready = 0;
        if (Status waited =
                platform::WaitReadable(sockets, watched, readable,
                                       ToDuration(context->requestPollTimeout), nullptr, &ready);
            !waited) {
            result = waited;
            break;
        }
        bool found = false;
        for (std::uint32_t i = 0; i < watched && ready > 0 && !found; ++i) {
            if (!readable[i])
                continue;
            ResetDeviceRecord(context, record);
            found = ReceiveReply(context, sockets[i], kDiscoveryReply, targetMac, record);
        }
        if (found) {
            result = {};
            break;
        }
        // The limit is looked at after every cycle that found no answer, also
        // when other traffic kept the sockets readable: a steady stream of
        // replies from other devices must not hold the caller forever.
        if (deadline.HasPassed())
            break;
    }
    CloseInterfaceSockets(sockets, count);
    return result;
}

Status SelectInterface(const DiscoveryContext* context, const std::uint8_t* targetMac,
                       std::uint32_t* localAddress)
{
    if (context == nullptr || targetMac == nullptr || IsBroadcastMac(targetMac))
        return Status::Failed(Failure::kInvalidArgument);
    LockedList addresses;
    if (Status listed = EnumerateLocalAddresses(&addresses); !listed)
        return listed;
    if (addresses.Count() == 1) {
        *localAddress = static_cast<std::uint32_t>(addresses.ValueAt(0));
        return {};
    }
    DeviceRecord record;
    Status located = InitDeviceRecord(context, &record) ? LocateDevice(context, targetMac, &record)
                                                        : Status::Failed(Failure::kOutOfMemory);
    if (located)
        *localAddress = record.exchange.localAddress;
    ReleaseDeviceRecord(&record);
    return located;
}

Status ExchangeRequest(const DiscoveryContext* context, std::uint32_t localAddress,
                       std::uint16_t expectedType, const std::uint8_t* targetMac,
                       const std::uint8_t* request, std::size_t length, DeviceRecord* record)
{
    if (context == nullptr || targetMac == nullptr || request == nullptr || length == 0)
        return Status::Failed(Failure::kInvalidArgument);
    SocketHandle socket = platform::kInvalidSocket;
    if (Status opened = OpenInterfaceSocket(context, localAddress, &socket); !opened)
        return opened;
    const Status sent =
        SendToGroup(context, &socket, 1, request, static_cast<std::uint32_t>(length));
    Deadline deadline;
    deadline.Start(TimeLimit(context));

    Status result = Unanswered(sent);
    for (;;) {
        bool readable = false;
        std::size_t ready = 0;
        if (Status waited = platform::WaitReadable(
                &socket, 1, &readable, ToDuration(context->requestPollTimeout), nullptr, &ready);
            !waited) {
            result = waited;
            break;
        }
        ResetDeviceRecord(context, record);
        if (readable && ReceiveReply(context, socket, expectedType, targetMac, record)) {
            result = {};
            break;
        }
        if (deadline.HasPassed())
            break;
    }
    platform::CloseSocket(socket);
    return result;
}

}  // namespace ql5
