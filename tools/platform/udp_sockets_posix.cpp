// SPDX-License-Identifier: Apache-2.0
#include "udp_sockets.h"

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace ql5tools {

void StartSockets()
{
}

SocketHandle OpenUdpSocket(bool nonBlocking)
{
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC | (nonBlocking ? SOCK_NONBLOCK : 0),
                            IPPROTO_UDP);
    return fd < 0 ? kNoSocket : static_cast<SocketHandle>(fd);
}

void CloseSocket(SocketHandle socket)
{
    if (socket != kNoSocket)
        ::close(static_cast<int>(socket));
}

std::string LastSocketError()
{
    return std::strerror(errno);
}

// Connecting a UDP socket only chooses its route and source address; no
// datagram leaves.
std::uint32_t LocalAddressToward(std::uint32_t host, std::uint16_t port)
{
    const SocketHandle probe = OpenUdpSocket(false);
    if (probe == kNoSocket)
        return 0;
    const int fd = static_cast<int>(probe);
    sockaddr_in remote{};
    remote.sin_family = AF_INET;
    remote.sin_port = htons(port);
    remote.sin_addr.s_addr = host;
    sockaddr_in local{};
    socklen_t length = sizeof local;
    std::uint32_t result = 0;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&remote), sizeof remote) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&local), &length) == 0 &&
        local.sin_family == AF_INET)
        result = local.sin_addr.s_addr;
    CloseSocket(probe);
    return result;
}

}  // namespace ql5tools
