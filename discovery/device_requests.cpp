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

// What a request waits for: a reply of this type from this MAC, and from this
// source address when it is not 0.
struct Awaited {
    std::uint16_t type;
    const std::uint8_t* mac;
    std::uint32_t source;
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
// first accepted reply lies in the record and *first says where it came from.
// Without `later` the wait ends there, and the sockets after it are not read
// in that cycle. With `later`, it goes on for the grace period and appends
// every further answer (to `later`, where each place is noted once), without
// touching the record.
Status AwaitReply(const DiscoveryContext* context, const InterfaceSocketSet& set,
                  const Awaited& awaited, const Deadline& deadline, const Status& sent,
                  DeviceRecord* record, Sighting* first, std::vector<Sighting>* later)
{
    platform::SocketWaiter waiter;
    if (Status watched = waiter.Watch(set.Sockets(), set.Count()); !watched)
        return watched;
    // Later answers are read into a record of their own, so that the first
    // stays as it was; only a wait that goes on after the first needs it.
    DeviceRecord scratch{};
    if (later != nullptr && !InitDeviceRecord(context, &scratch)) {
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
        if (Status waited = waiter.Wait(wait, &ready); !waited) {
            if (!found)
                result = waited;
            break;
        }
        for (std::uint32_t i = 0; i < set.Count() && ready > 0; ++i) {
            if (!waiter.Readable(i))
                continue;
            DeviceRecord* into = found ? &scratch : record;
            ResetDeviceRecord(context, into);
            std::uint32_t source = 0;
            if (!ReceiveReply(context, set.Socket(i), set.Address(i), awaited.type, awaited.mac,
                              into, &source) ||
                (awaited.source != 0 && source != awaited.source))
                continue;
            const Sighting seen{set.Address(i), source};
            if (!found) {
                found = true;
                result = {};
                *first = seen;
                if (later == nullptr)
                    return result;
                graceOver.Start(kLocateGracePeriod);
                continue;
            }
            const auto same = [&](const Sighting& s) {
                return s.localAddress == seen.localAddress && s.sourceAddress == seen.sourceAddress;
            };
            if ((same(*first) || std::any_of(later->begin(), later->end(), same)))
                continue;
            try {
                later->push_back(seen);
            } catch (const std::bad_alloc&) {
                result = Status::Failed(Failure::kOutOfMemory);
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

}  // namespace

Deadline::Clock::duration RequestTimeLimit(const DiscoveryContext* context)
{
    // requestTimeLimit is a due time in 100 ns units, negative meaning "from now".
    const std::int64_t units = context->requestTimeLimit;
    return std::chrono::duration_cast<Deadline::Clock::duration>(
        std::chrono::nanoseconds((units < 0 ? -units : units) * 100));
}

Status LocateDevice(const DiscoveryContext* context, const Route& route,
                    const std::uint8_t* targetMac, Deadline::Clock::duration limit,
                    DeviceRecord* record, Sighting* seen)
{
    if (context == nullptr || targetMac == nullptr || IsBroadcastMac(targetMac) ||
        record == nullptr)
        return Status::Failed(Failure::kInvalidArgument);
    InterfaceSocketSet set;
    if (Status opened = OpenSocketsOn(context, route.localAddress, &set); !opened)
        return opened;

    RequestBuffer request;
    const std::size_t length = EncodeDiscoveryRequest(request, context->protocolMagic, targetMac);
    const Status sent = SendToAddress(context, set, request, static_cast<std::uint32_t>(length),
                                      route.deviceAddress);
    Deadline deadline;
    deadline.Start(limit);
    Sighting where;
    const Status found = AwaitReply(context, set, Awaited{kDiscoveryReply, targetMac, 0}, deadline,
                                    sent, record, &where, nullptr);
    if (found && seen != nullptr)
        *seen = where;
    return found;
}

bool AnsweredFromSeveralSources(const std::vector<Sighting>& answers)
{
    return std::any_of(answers.begin(), answers.end(), [&](const Sighting& answer) {
        return answer.sourceAddress != answers.front().sourceAddress;
    });
}

Status SelectInterface(const DiscoveryContext* context, const std::uint8_t* targetMac,
                       Sighting* chosen, std::vector<std::uint32_t>* answeredOn)
{
    if (context == nullptr || targetMac == nullptr || IsBroadcastMac(targetMac) ||
        chosen == nullptr || answeredOn == nullptr)
        return Status::Failed(Failure::kInvalidArgument);
    LockedList addresses;
    if (Status listed = EnumerateLocalAddresses(&addresses); !listed)
        return listed;
    if (addresses.Count() == 1) {
        *chosen = Sighting{static_cast<std::uint32_t>(addresses.ValueAt(0)), 0};
        return {};
    }

    InterfaceSocketSet set;
    if (Status opened = OpenInterfaceSockets(context, &set); !opened)
        return opened;
    RequestBuffer request;
    const std::size_t length = EncodeDiscoveryRequest(request, context->protocolMagic, targetMac);
    const Status sent = SendToGroup(context, set, request, static_cast<std::uint32_t>(length));
    Deadline deadline;
    deadline.Start(RequestTimeLimit(context));
    DeviceRecord record;
    std::vector<Sighting> answers;
    Status located = InitDeviceRecord(context, &record)
                         ? AwaitReply(context, set, Awaited{kDiscoveryReply, targetMac, 0},
                                      deadline, sent, &record, chosen, &answers)
                         : Status::Failed(Failure::kOutOfMemory);
    ReleaseDeviceRecord(&record);
    if (!located)
        return located;
    try {
        answers.insert(answers.begin(), *chosen);
        if (!AnsweredFromSeveralSources(answers))
            return {};
        // The local addresses on which it answered, each once, in the order
        // of the answers: what the caller must choose from.
        for (const Sighting& answer : answers) {
            if (std::find(answeredOn->begin(), answeredOn->end(), answer.localAddress) ==
                answeredOn->end())
                answeredOn->push_back(answer.localAddress);
        }
    } catch (const std::bad_alloc&) {
        return Status::Failed(Failure::kOutOfMemory);
    }
    return Status::Failed(Failure::kAmbiguous);
}

Status ExchangeRequest(const DiscoveryContext* context, const Route& route,
                       std::uint32_t expectedSource, std::uint16_t expectedType,
                       const std::uint8_t* targetMac, const std::uint8_t* request,
                       std::size_t length, DeviceRecord* record)
{
    if (context == nullptr || route.localAddress == 0 || targetMac == nullptr ||
        request == nullptr || length == 0)
        return Status::Failed(Failure::kInvalidArgument);
    SocketHandle socket = platform::kInvalidSocket;
    if (Status opened = OpenInterfaceSocket(context, route.localAddress, &socket); !opened)
        return opened;
    InterfaceSocketSet set;
    if (Status adopted = set.Adopt(socket, route.localAddress); !adopted)
        return adopted;
    const Status sent = SendToAddress(context, set, request, static_cast<std::uint32_t>(length),
                                      route.deviceAddress);
    Deadline deadline;
    deadline.Start(RequestTimeLimit(context));
    Sighting where;
    return AwaitReply(context, set, Awaited{expectedType, targetMac, expectedSource}, deadline,
                      sent, record, &where, nullptr);
}

}  // namespace ql5
