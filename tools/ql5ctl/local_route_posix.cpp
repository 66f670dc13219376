// SPDX-License-Identifier: Apache-2.0
#include "local_route.h"

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace ql5ctl {

namespace {

constexpr std::uint16_t kDiscoveryPort = 2362;

}  // namespace

// Connecting a UDP socket only chooses its route and source address; no
// datagram leaves.
std::uint32_t LocalAddressToward(std::uint32_t host)
{
    const int probe = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_UDP);
    if (probe < 0)
        return 0;
    sockaddr_in remote{};
    remote.sin_family = AF_INET;
    remote.sin_port = htons(kDiscoveryPort);
    remote.sin_addr.s_addr = host;
    sockaddr_in local{};
    socklen_t length = sizeof local;
    std::uint32_t result = 0;
    if (::connect(probe, reinterpret_cast<const sockaddr*>(&remote), sizeof remote) == 0 &&
        ::getsockname(probe, reinterpret_cast<sockaddr*>(&local), &length) == 0 &&
        local.sin_family == AF_INET)
        result = local.sin_addr.s_addr;
    ::close(probe);
    return result;
}

}  // namespace ql5ctl
