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
#include "status.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <vector>

struct DiscoveryContext;

namespace ql5 {

// How long a command on a host with several addresses goes on listening after
// the first answer to its locating query: a converter that is busy may answer
// a few hundred milliseconds late, and a host on another network must not win
// the password by answering first.
inline constexpr std::chrono::milliseconds kLocateGracePeriod{500};

// Where a request goes: from one local address or from every one, to the
// discovery group or to one device by unicast (addresses in network order).
struct Route {
    std::uint32_t localAddress = 0;   // 0: every local address of the host
    std::uint32_t deviceAddress = 0;  // 0: the discovery group
};

// Where a device answered: the local address its reply came in on and the
// address it came from (0 where no reply was seen).
struct Sighting {
    std::uint32_t localAddress = 0;
    std::uint32_t sourceAddress = 0;
};

// The time limit of one exchange: the context's, or a shorter one.
Deadline::Clock::duration RequestTimeLimit(const DiscoveryContext* context);

// Sends a discovery for the target MAC along the route and waits up to
// `limit` for that device's reply, which then lies in the record with the local
// address it arrived on; *seen (when given) says where it came from. Refuses
// the broadcast MAC.
Status LocateDevice(const DiscoveryContext* context, const Route& route,
                    const std::uint8_t* targetMac, Deadline::Clock::duration limit,
                    DeviceRecord* record, Sighting* seen = nullptr);

// The local address from which a command to the device is sent: the only one
// when the host has a single IPv4 address (no traffic, and no source to hold
// the reply to), otherwise where the device answers a locating query from
// every local address. There the search listens on for kLocateGracePeriod
// after the first answer and fails with Failure::kAmbiguous when the MAC
// answered from more than one source address; *answeredOn then lists the local
// addresses on which it answered. The same source heard on two local addresses
// (two links into one network) is no ambiguity: the first is chosen.
Status SelectInterface(const DiscoveryContext* context, const std::uint8_t* targetMac,
                       Sighting* chosen, std::vector<std::uint32_t>* answeredOn);

// True when the answers came from more than one source address.
[[nodiscard]] bool AnsweredFromSeveralSources(const std::vector<Sighting>& answers);

// Sends the request once from a socket on the route's local address (which
// must not be 0) and waits up to the time limit for a reply of the expected
// type from the target MAC, arriving on that socket and, when
// `expectedSource` is not 0, from that address; the reply then lies in the
// record.
Status ExchangeRequest(const DiscoveryContext* context, const Route& route,
                       std::uint32_t expectedSource, std::uint16_t expectedType,
                       const std::uint8_t* targetMac, const std::uint8_t* request,
                       std::size_t length, DeviceRecord* record);

}  // namespace ql5
