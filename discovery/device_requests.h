// The exchanges behind the requests addressed to one device: finding the
// device by an addressed discovery, choosing the local address a command
// leaves from, and one request/one reply over a single socket.
//
// Each succeeds with the awaited reply, or fails with Failure::kNoReply once the
// time limit has passed, Failure::kInvalidArgument for arguments it refuses, or
// the failure on this host that kept it from asking (no local address, a
// socket that cannot be opened, a send or a wait that failed).
#pragma once

#include "device_record.h"
#include "status.h"

#include <cstddef>
#include <cstdint>

struct DiscoveryContext;

namespace ql5 {

// Sends a discovery for the target MAC from every local address and waits up
// to the request time limit for that device's reply, which then lies in the
// record with the local address it arrived on. Refuses the broadcast MAC.
Status LocateDevice(const DiscoveryContext* context, const std::uint8_t* targetMac,
                    DeviceRecord* record);

// The local address from which a command to the device is sent: the only one
// when the host has a single IPv4 address (no traffic), otherwise the address
// on which the device answers LocateDevice.
Status SelectInterface(const DiscoveryContext* context, const std::uint8_t* targetMac,
                       std::uint32_t* localAddress);

// Sends the request once from a socket on the local address and waits up to
// the request time limit for a reply of the expected type from the target MAC,
// which then lies in the record.
Status ExchangeRequest(const DiscoveryContext* context, std::uint32_t localAddress,
                       std::uint16_t expectedType, const std::uint8_t* targetMac,
                       const std::uint8_t* request, std::size_t length, DeviceRecord* record);

}  // namespace ql5
