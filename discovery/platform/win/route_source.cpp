// SPDX-License-Identifier: Apache-2.0
#include "platform/route_source.h"

#include <winsock2.h>

namespace ql5::platform {

// Connecting a UDP socket only picks its route and source address; no packet
// goes out. Windows, like Linux, lets a connected UDP socket connect again to
// another destination, so one probe serves any number of questions.
bool RouteSourceAddress(SocketHandle probe, std::uint32_t destination, std::uint16_t port,
                        std::uint32_t* localAddress) noexcept
{
    const auto socket = static_cast<SOCKET>(probe);
    sockaddr_in remote{};
    remote.sin_family = AF_INET;
    remote.sin_port = htons(port);
    remote.sin_addr.s_addr = destination;
    if (::connect(socket, reinterpret_cast<const sockaddr*>(&remote), sizeof remote) != 0)
        return false;
    sockaddr_in local{};
    int length = sizeof local;
    if (::getsockname(socket, reinterpret_cast<sockaddr*>(&local), &length) != 0 ||
        local.sin_family != AF_INET || local.sin_addr.s_addr == INADDR_ANY)
        return false;
    *localAddress = local.sin_addr.s_addr;
    return true;
}

}  // namespace ql5::platform
