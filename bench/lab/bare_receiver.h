// SPDX-License-Identifier: Apache-2.0
// The baseline receiver: a bare, non-blocking UDP socket on a workstation
// address (the tests' WorkstationSocket, which sends to the discovery group as
// the client's sockets do), read with recvmmsg. It does nothing with a datagram
// but look at its header and MAC, so what it achieves is what the kernel and
// the simulator allow.
#pragma once

#include "bench_support.h"
#include "support/workstation_socket.h"

#include <cstddef>
#include <cstdint>
#include <unordered_set>

namespace ql5::bench {

struct Burst {
    std::unordered_set<std::uint64_t> macs;  // distinct senders seen
    std::size_t datagrams = 0;
    Clock::time_point first{};  // when the first one was read
    Clock::time_point last{};   // when the last one was read
    double lastCpuSeconds = 0;  // process CPU time at that moment
};

// Drains the socket in a tight loop until `expected` distinct MACs have
// arrived or nothing has come for `quiet`. Spinning, it reads each datagram
// the moment it arrives: the shortest time to the last one there is, but its
// CPU time is its wall time.
Burst DrainBurst(lab::WorkstationSocket& socket, std::size_t expected, Clock::duration quiet);

// What a receiver that blocks, as a sensible program does, spends on a burst:
// it sends the request, then waits in poll and, whenever the socket is
// readable, takes what waits there with recvmmsg until the socket is empty.
struct BlockingBurst {
    std::size_t found = 0;      // distinct MACs
    std::size_t datagrams = 0;  // datagrams received
    double cpuMs = 0;           // CPU time of the receiving thread, from the
                                // request to the end of the burst
    int wakeUps = 0;            // polls that found the socket readable
};

// Receives on the calling thread until `expected` distinct MACs have arrived
// or nothing has come for `quiet`.
BlockingBurst ReceiveBurstBlocking(lab::WorkstationSocket& socket, const std::uint8_t* request,
                                   std::size_t length, std::size_t expected, Clock::duration quiet);

// Waits for a datagram of the given message type from the given MAC, dropping
// others; false when none comes within the time-out.
bool AwaitReply(lab::WorkstationSocket& socket, std::uint16_t type, const std::uint8_t* mac,
                Clock::duration timeout);

// The MAC of a reply whose first field is the MAC (code 1, length 6), as the
// converters send it; false for anything else.
bool ReplyMac(const std::uint8_t* datagram, std::size_t length, std::uint16_t type,
              std::uint64_t* key);

}  // namespace ql5::bench
