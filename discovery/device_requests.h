// The exchanges behind the requests addressed to one device: finding the
// device by an addressed discovery, choosing the local address a command
// leaves from, and one request/one reply over a single socket.
#pragma once

#include "device_record.h"

#include <cstddef>
#include <cstdint>

struct DiscoveryContext;

namespace ql5 {

// Sends a discovery for the target MAC from every local address and waits up
// to the request time limit for that device's reply. Returns 0 with the reply
// (and the local address it arrived on) in the record, else -1. Refuses the
// broadcast MAC.
int LocateDevice(const DiscoveryContext* context, const std::uint8_t* targetMac,
                 DeviceRecord* record);

// The local address from which a command to the device is sent: the only one
// when the host has a single IPv4 address (no traffic), otherwise the address
// on which the device answers LocateDevice. Returns false when there is none.
bool SelectInterface(const DiscoveryContext* context, const std::uint8_t* targetMac,
                     std::uint32_t* localAddress);

// Sends the request once from a socket on the local address and waits up to
// the request time limit for a reply of the expected type from the target MAC.
// Returns 0 with the reply in the record, else -1.
int ExchangeRequest(const DiscoveryContext* context, std::uint32_t localAddress,
                    std::uint16_t expectedType, const std::uint8_t* targetMac,
                    const std::uint8_t* request, std::size_t length, DeviceRecord* record);

}  // namespace ql5
