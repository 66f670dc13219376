// SPDX-License-Identifier: Apache-2.0
// The sweep's unicast requests: after the multicast request, the same bytes go
// to each address that SetSweepHosts named, paced, so that converters beyond
// a router (which does not forward the group) are found too.
#pragma once

#include "interface_sockets.h"
#include "packet_format.h"
#include "platform/udp_socket.h"

#include <ql5/discovery.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

struct DiscoveryContext;

namespace ql5 {

// The addresses (network order) a sweep asks by unicast, each once, in the
// order given. Shared between the context and a running sweep, and never
// changed once made: SetSweepHosts makes a new list.
using SweepHostList = std::vector<std::uint32_t>;

// Requests per second at most, and the most sent in one go. A /16 takes
// about four and a half minutes at this rate; a few hundred a second is what
// a small router or a converter's own network stack takes in its stride.
inline constexpr std::uint32_t kSweepHostsPerSecond = QL5_SWEEP_HOSTS_PER_SECOND;
// The first burst goes out at once, so that a handful of named hosts is asked
// as soon as the sweep starts.
inline constexpr std::size_t kSweepHostBurst = 64;

// Sends the sweep's request to its hosts a little at a time. SendDue is
// called once per receive cycle of the sweep thread; each call sends at most
// one burst, so receiving and the stop signal are never held up for long.
class HostSweep {
public:
    // Builds the sweep's discovery request (the same bytes as the multicast
    // one); nothing is sent here. The sockets must outlive this object.
    HostSweep(const DiscoveryContext* context, const InterfaceSocketSet& sockets,
              std::shared_ptr<const SweepHostList> hosts);
    ~HostSweep();
    HostSweep(const HostSweep&) = delete;
    HostSweep& operator=(const HostSweep&) = delete;

    // Sends the requests that the pace allows by now.
    void SendDue();
    // Whether every host has had its request (or was skipped).
    bool Done() const noexcept;

private:
    void SendTo(std::uint32_t host);

    const DiscoveryContext* context_;
    const InterfaceSocketSet& sockets_;
    std::shared_ptr<const SweepHostList> hosts_;
    RequestBuffer request_{};
    std::size_t length_ = 0;
    std::size_t next_ = 0;
    std::chrono::steady_clock::time_point start_;
    // A spare socket that only asks the routing which local address leads to
    // a host; it never sends or receives.
    platform::SocketHandle probe_ = platform::kInvalidSocket;
};

}  // namespace ql5
