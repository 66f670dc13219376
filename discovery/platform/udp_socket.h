// UDP sockets for the discovery client, in the platform's own terms underneath.
// Addresses are IPv4 addresses in network order (as the client stores them);
// ports are in host order. OS error numbers stay behind this layer: callers see
// success or failure only.
#pragma once

#include "platform/auto_reset_event.h"

#include <chrono>
#include <cstddef>
#include <cstdint>

namespace ql5::platform {

using SocketHandle = int;
inline constexpr SocketHandle kInvalidSocket = -1;

// An IPv4 UDP socket, or kInvalidSocket.
SocketHandle OpenUdpSocket() noexcept;
void CloseSocket(SocketHandle socket) noexcept;

bool BindSocket(SocketHandle socket, std::uint32_t localAddress, std::uint16_t port) noexcept;
bool SetMulticastInterface(SocketHandle socket, std::uint32_t localAddress) noexcept;
bool SetMulticastTtl(SocketHandle socket, std::int32_t ttl) noexcept;
bool SetNonBlocking(SocketHandle socket) noexcept;
// Asks for a kernel receive buffer of at least this many bytes, so that a burst
// of replies is held until it is read. Returns the size in force afterwards.
int EnlargeReceiveBuffer(SocketHandle socket, int bytes) noexcept;

// Sends one datagram; returns the number of bytes sent, or -1.
long SendDatagram(SocketHandle socket, const std::uint8_t* bytes, std::size_t length,
                  std::uint32_t address, std::uint16_t port) noexcept;

// Receives one datagram into the buffer. Returns its size; 0 for an empty
// datagram; -1 when nothing is waiting, on error, or when the datagram was
// longer than the buffer (it is then discarded whole).
long ReceiveDatagram(SocketHandle socket, std::uint8_t* buffer, std::size_t capacity) noexcept;

bool GetLocalAddress(SocketHandle socket, std::uint32_t* address) noexcept;

// Waits until at least one of the sockets is readable, the wake event is
// signalled (when given), or the timeout passes. readable[i] tells whether
// sockets[i] is readable. Returns the number of readable sockets (0 on a
// timeout or a wake-up), or -1 when the wait itself failed. The wake event is
// not consumed.
int WaitReadable(const SocketHandle* sockets, std::size_t count, bool* readable,
                 std::chrono::microseconds timeout, const AutoResetEvent* wake = nullptr) noexcept;

}  // namespace ql5::platform
