// SPDX-License-Identifier: Apache-2.0
// The simulator's event loop: receives requests on every interface socket,
// logs them, lets the fleet decide the answers, and sends those answers at the
// moments the fleet asked for, including floods.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <queue>
#include <random>
#include <vector>

#include "datagram_log.h"
#include "fleet_state.h"
#include "interface_socket.h"

namespace ql5sim {

class Simulator {
public:
    Simulator(FleetState& state, std::vector<InterfaceSocket> sockets, DatagramLog& log);

    // Serves until a stop is requested (tools/platform/stop_requests.h); the
    // caller has called CatchStopRequests().
    void Run();

private:
    struct Pending {
        Clock::time_point due;
        std::uint64_t order = 0;  // keeps answers with the same due time in order
        std::size_t socket = 0;
        Endpoint to;
        std::vector<std::uint8_t> bytes;
    };
    struct LaterFirst {
        bool operator()(const Pending& a, const Pending& b) const
        {
            return a.due != b.due ? a.due > b.due : a.order > b.order;
        }
    };
    struct Outbound {
        Endpoint to;
        std::vector<std::uint8_t> bytes;
    };
    struct ActiveFlood {
        Clock::time_point start;
        Clock::time_point end;        // time_point::max() when unlimited
        std::uint64_t remaining = 0;  // UINT64_MAX when unlimited
        std::size_t socket = 0;
        Endpoint to;
        std::vector<std::uint8_t> bytes;
        std::optional<std::size_t> randomMacAt;
    };

    void Receive(std::size_t socket);
    void Schedule(std::size_t socket, const Endpoint& to, Answer answer, Clock::time_point now);
    void ReleaseDue(Clock::time_point now);
    // Returns true when a socket still has datagrams waiting for buffer space.
    bool Flush();
    // Returns true while some flood is due to send more.
    bool RunFloods(Clock::time_point now);
    void ExpireFloods(Clock::time_point now);
    // Points every datagram of the batch at a copy of the flood's reply with a
    // random MAC.
    void ForgeMacs(const ActiveFlood& flood, std::vector<Datagram>& batch);

    FleetState& state_;
    std::vector<InterfaceSocket> sockets_;
    DatagramLog& log_;
    std::priority_queue<Pending, std::vector<Pending>, LaterFirst> pending_;
    std::vector<std::deque<Outbound>> outboxes_;
    std::vector<ActiveFlood> floods_;
    std::uint64_t nextOrder_ = 0;
    std::vector<std::uint8_t> receiveBuffer_;
    // Copies of a flood whose MACs differ, rewritten for every batch.
    std::vector<std::vector<std::uint8_t>> forged_;
    std::mt19937 random_{std::random_device{}()};
};

}  // namespace ql5sim
