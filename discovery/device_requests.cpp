// SPDX-License-Identifier: Apache-2.0
#include "device_requests.h"

#include "context.h"
#include "interface_sockets.h"
#include "packet_format.h"
#include "receive_reply.h"

#include <algorithm>
#include <new>

namespace ql5 {

namespace {

// What a request waits for: a reply of this type from this MAC, from an
// accepted source.
struct Awaited {
    std::uint16_t type;
    const std::uint8_t* mac;
    const AcceptedSources& sources;
};

// What a request that got no reply ends with: the failed send when the request
// did not leave whole (it may still have left through other sockets, which is
// why the wait goes on), otherwise plainly no reply.
Status Unanswered(const Status& sent)
{
    return sent ? Status::Failed(Failure::kNoReply) : sent;
}

// Waits on the set until the awaited reply arrives or the deadline passes.
// Each cycle reads one datagram from each readable socket, in set order. The
// first accepted reply lies in the record and opens answers[0]. Without
// `window` the wait ends there, and the sockets after it are not read in that
// cycle. With it, the wait goes on for the grace period and appends every
// further answer to `answers` (each place once), without touching the record.
Status AwaitReply(const DiscoveryContext* context, const InterfaceSocketSet& set,
                  const Awaited& awaited, const Deadline& deadline, const Status& sent, bool window,
                  DeviceRecord* record, std::vector<Sighting>* answers)
{
    const platform::RequestSockets& calls = *context->sockets;
    platform::SocketWaiter waiter;
    if (Status watched = calls.Watch(waiter, set.Sockets(), set.Count()); !watched)
        return watched;
    // Later answers are read into a record of their own, so that the first
    // stays as it was; only a wait that goes on after the first needs it.
    DeviceRecord scratch{};
    if (window && !InitDeviceRecord(context, &scratch)) {
        ReleaseDeviceRecord(&scratch);
        return Status::Failed(Failure::kOutOfMemory);
    }

    const auto cycle = ToDuration(context->requestPollTimeout);
    bool found = false;
    Deadline graceOver;
    Status result = Unanswered(sent);
    for (;;) {
        // A wait ends when its limit or the grace period does, not at the end
        // of the cycle after it: a short reply window (the reboot wait's) would
        // otherwise last up to a cycle longer, and a command with a grace
        // period be held up longer than it must.
        const auto wait = std::min<std::chrono::microseconds>(
            cycle, (found ? graceOver : deadline).Remaining<std::chrono::microseconds>());
        std::size_t ready = 0;
        if (Status waited = calls.Wait(waiter, wait, &ready); !waited) {
            if (!found)
                result = waited;
            break;
        }
        for (std::uint32_t i = 0; i < set.Count() && ready > 0; ++i) {
            if (!calls.Readable(waiter, i))
                continue;
            DeviceRecord* into = found ? &scratch : record;
            ResetDeviceRecord(context, into);
            std::uint32_t source = 0;
            if (!ReceiveReply(context, set.Socket(i), set.Address(i), awaited.type, awaited.mac,
                              into, &source, calls) ||
                !awaited.sources.Accepts(source))
                continue;
            const Sighting seen{set.Address(i), source};
            if (std::find(answers->begin(), answers->end(), seen) != answers->end())
                continue;
            try {
                answers->push_back(seen);
            } catch (const std::bad_alloc&) {
                ReleaseDeviceRecord(&scratch);
                return Status::Failed(Failure::kOutOfMemory);
            }
            if (!found) {
                found = true;
                result = {};
                if (!window)
                    return result;
                graceOver.Start(kLocateGracePeriod);
            }
        }
        // The limit is looked at after every cycle that found no answer, also
        // when other traffic kept the sockets readable: a steady stream of
        // replies from other devices must not hold the caller forever.
        if (found ? graceOver.HasPassed() : deadline.HasPassed())
            break;
    }
    ReleaseDeviceRecord(&scratch);
    return result;
}

// Whether the answers of a locating query are one converter's; the local
// subnets are asked of the system only when one source came in on several
// local addresses, the one case that needs them.
Status Judge(const DiscoveryContext* context, const std::vector<Sighting>& answers, Location* where)
{
    std::vector<LocalSubnet> subnets;
    const bool severalLocals = std::any_of(answers.begin(), answers.end(), [&](const Sighting& s) {
        return s.localAddress != answers.front().localAddress;
    });
    if (severalLocals) {
        if (Status listed = ListLocalSubnets(context, subnets); !listed)
            return listed;
    }
    try {
        Judgement judgement = JudgeSightings(answers, subnets);
        where->chosen = judgement.chosen;
        where->answeredOn = std::move(judgement.answeredOn);
        return judgement.single ? Status() : Status::Failed(Failure::kAmbiguous);
    } catch (const std::bad_alloc&) {
        return Status::Failed(Failure::kOutOfMemory);
    }
}

}  // namespace

bool AcceptedSources::Accepts(std::uint32_t source) const
{
    return Any() || (source != 0 && (source == first || source == second)) ||
           ShareSubnet(source, subnet);
}

Deadline::Clock::duration RequestTimeLimit(const DiscoveryContext* context)
{
    // requestTimeLimit is a due time in 100 ns units, negative meaning "from now".
    const std::int64_t units = context->requestTimeLimit;
    return std::chrono::duration_cast<Deadline::Clock::duration>(
        std::chrono::nanoseconds((units < 0 ? -units : units) * 100));
}

Status LocateDevice(const DiscoveryContext* context, const Route& route,
                    const std::uint8_t* targetMac, Deadline::Clock::duration limit, bool window,
                    const AcceptedSources& accepted, DeviceRecord* record, Location* where)
{
    if (context == nullptr || targetMac == nullptr || IsBroadcastMac(targetMac) ||
        record == nullptr || where == nullptr)
        return Status::Failed(Failure::kInvalidArgument);
    InterfaceSocketSet set(*context->sockets);
    if (Status opened = OpenSocketsOn(context, route.localAddress, &set); !opened)
        return opened;

    RequestBuffer request;
    const std::size_t length = EncodeDiscoveryRequest(request, context->protocolMagic, targetMac);
    const Status sent = SendToAddress(context, set, request, static_cast<std::uint32_t>(length),
                                      route.deviceAddress);
    Deadline deadline;
    deadline.Start(limit);
    std::vector<Sighting> answers;
    const Status found = AwaitReply(context, set, Awaited{kDiscoveryReply, targetMac, accepted},
                                    deadline, sent, window, record, &answers);
    if (!found)
        return found;
    if (!window) {
        where->chosen = answers.front();
        return found;
    }
    return Judge(context, answers, where);
}

Status ExchangeRequest(const DiscoveryContext* context, const Route& route,
                       const AcceptedSources& accepted, std::uint16_t expectedType,
                       const std::uint8_t* targetMac, const std::uint8_t* request,
                       std::size_t length, DeviceRecord* record)
{
    if (context == nullptr || route.localAddress == 0 || targetMac == nullptr ||
        request == nullptr || length == 0)
        return Status::Failed(Failure::kInvalidArgument);
    SocketHandle socket = platform::kInvalidSocket;
    if (Status opened = OpenInterfaceSocket(context, route.localAddress, &socket); !opened)
        return opened;
    InterfaceSocketSet set(*context->sockets);
    if (Status adopted = set.Adopt(socket, route.localAddress); !adopted)
        return adopted;
    const Status sent = SendToAddress(context, set, request, static_cast<std::uint32_t>(length),
                                      route.deviceAddress);
    Deadline deadline;
    deadline.Start(RequestTimeLimit(context));
    std::vector<Sighting> answers;
    return AwaitReply(context, set, Awaited{expectedType, targetMac, accepted}, deadline, sent,
                      false, record, &answers);
}

}  // namespace ql5
