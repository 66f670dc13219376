// SPDX-License-Identifier: Apache-2.0
// The exchanges behind the requests addressed to one device: finding the
// device by an addressed discovery, choosing the local address a command
// leaves from, and one request/one reply over a single socket.
//
// Each succeeds with the awaited reply, or fails with Failure::kNoReply once the
// time limit has passed, Failure::kInvalidArgument for arguments it refuses,
// Failure::kAmbiguous when the device answered from more than one address, or
// the failure on this host that kept it from asking (no local address, a
// socket that cannot be opened, a send or a wait that failed).
#pragma once

#include "deadline.h"
#include "device_record.h"
#include "impostor_rule.h"
#include "status.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <vector>

struct DiscoveryContext;

namespace ql5 {

// How long a locating query goes on listening after the first answer, on
// every route: a converter that is busy may answer a few hundred milliseconds
// late, and another host that answers for its MAC must not win the password
// by answering first.
inline constexpr std::chrono::milliseconds kLocateGracePeriod{500};

// Where a request goes: from one local address or from every one, to the
// discovery group or to one device by unicast (addresses in network order).
struct Route {
    std::uint32_t localAddress = 0;   // 0: every local address of the host
    std::uint32_t deviceAddress = 0;  // 0: the discovery group
};

// Which sources a reply may come from: the located one, a second (the new
// address after a static change) and, when `subnet.mask` is not 0, any
// address of that subnet (the address a converter switched to DHCP takes).
// An empty set (all 0) accepts any source.
struct AcceptedSources {
    std::uint32_t first = 0;
    std::uint32_t second = 0;
    LocalSubnet subnet;
    [[nodiscard]] bool Any() const { return first == 0 && second == 0 && subnet.mask == 0; }
    [[nodiscard]] bool Accepts(std::uint32_t source) const;
};

// The converter that the context's last locating query found by the rule
// against impostors, or that the caller named (SetDeviceSource): later
// requests to that MAC leave from its local address at once, without a new
// window, and count only replies from its sources.
struct LocatedDevice {
    bool known = false;
    std::uint8_t mac[6] = {};
    std::uint32_t localAddress = 0;
    AcceptedSources sources;
};

// The time limit of one exchange: the context's, or a shorter one.
Deadline::Clock::duration RequestTimeLimit(const DiscoveryContext* context);

// What a locating query saw: the sighting chosen, or the local addresses the
// caller must choose from when the answers were refused.
struct Location {
    Sighting chosen;
    std::vector<std::uint32_t> answeredOn;
};

// Sends a discovery for the target MAC along the route and waits up to
// `limit` for that device's answer; the first lies in the record with the
// local address it arrived on. With `window`, it then listens on for
// kLocateGracePeriod and judges all answers by the rule against impostors
// (JudgeSightings): Failure::kAmbiguous when they are refused, with
// where->answeredOn filled. Without it (a device already located), only
// answers from `accepted` count and the first ends the wait. Refuses the
// broadcast MAC.
Status LocateDevice(const DiscoveryContext* context, const Route& route,
                    const std::uint8_t* targetMac, Deadline::Clock::duration limit, bool window,
                    const AcceptedSources& accepted, DeviceRecord* record, Location* where);

// Sends the request once from a socket on the route's local address (which
// must not be 0) and waits up to the time limit for a reply of the expected
// type from the target MAC, arriving on that socket from an accepted source;
// the reply then lies in the record.
Status ExchangeRequest(const DiscoveryContext* context, const Route& route,
                       const AcceptedSources& accepted, std::uint16_t expectedType,
                       const std::uint8_t* targetMac, const std::uint8_t* request,
                       std::size_t length, DeviceRecord* record);

}  // namespace ql5
