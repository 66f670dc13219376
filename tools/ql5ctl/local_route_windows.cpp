// SPDX-License-Identifier: Apache-2.0
// The route toward a --host converter may be asked before the discovery
// client has started Windows Sockets, so the question starts it for itself;
// Windows counts WSAStartup calls, and the matching WSACleanup leaves the
// client's own start in place.
#include "local_route.h"

#include <winsock2.h>

namespace ql5ctl {

namespace {

constexpr std::uint16_t kDiscoveryPort = 2362;

}  // namespace

// Connecting a UDP socket only chooses its route and source address; no
// datagram leaves.
std::uint32_t LocalAddressToward(std::uint32_t host)
{
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0)
        return 0;
    std::uint32_t result = 0;
    const SOCKET probe = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (probe != INVALID_SOCKET) {
        sockaddr_in remote{};
        remote.sin_family = AF_INET;
        remote.sin_port = htons(kDiscoveryPort);
        remote.sin_addr.s_addr = host;
        sockaddr_in local{};
        int length = sizeof local;
        if (::connect(probe, reinterpret_cast<const sockaddr*>(&remote), sizeof remote) == 0 &&
            ::getsockname(probe, reinterpret_cast<sockaddr*>(&local), &length) == 0 &&
            local.sin_family == AF_INET)
            result = local.sin_addr.s_addr;
        ::closesocket(probe);
    }
    WSACleanup();
    return result;
}

}  // namespace ql5ctl
