// SPDX-License-Identifier: Apache-2.0
// The UDP socket calls that ql5sim and ql5ctl both make: starting the
// system's sockets, opening and closing one IPv4 UDP socket, the text of the
// last failure, and the route probe. Each system has its own file with these
// functions (udp_sockets_posix.cpp, udp_sockets_windows.cpp).
#pragma once

#include <cstdint>
#include <string>

namespace ql5tools {

// The system's socket handle: a descriptor on POSIX systems, a SOCKET on
// Windows; both fit.
using SocketHandle = std::uintptr_t;
inline constexpr SocketHandle kNoSocket = ~SocketHandle{0};

// Makes the system's sockets usable (Windows Sockets needs this once per
// process); throws std::runtime_error when they cannot be.
void StartSockets();

// An IPv4 UDP socket that child processes do not inherit, non-blocking when
// asked, or kNoSocket; LastSocketError() then says why.
SocketHandle OpenUdpSocket(bool nonBlocking);

void CloseSocket(SocketHandle socket);

// The system's text for the last socket call that failed on this thread.
std::string LastSocketError();

// The local IPv4 address (network order) that the routing would send from to
// reach the host (network order) on the port, or 0 when no route leads
// there. Nothing is sent. Works whether or not StartSockets() ran.
std::uint32_t LocalAddressToward(std::uint32_t host, std::uint16_t port);

}  // namespace ql5tools
