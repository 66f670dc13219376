// UDP sockets for the discovery client, in the platform's own terms underneath.
// Addresses are IPv4 addresses in network order (as the client stores them);
// ports are in host order. A failure comes back as a Status that carries the
// system's error number; nothing above this layer reads errno or its kin.
#pragma once

#include "native_handles.h"
#include "platform/auto_reset_event.h"
#include "status.h"

#include <chrono>
#include <cstddef>
#include <cstdint>

namespace ql5::platform {

// An IPv4 UDP socket in *socket; kInvalidSocket there on failure.
Status OpenUdpSocket(SocketHandle* socket) noexcept;
void CloseSocket(SocketHandle socket) noexcept;

Status BindSocket(SocketHandle socket, std::uint32_t localAddress, std::uint16_t port) noexcept;
Status SetMulticastInterface(SocketHandle socket, std::uint32_t localAddress) noexcept;
Status SetMulticastTtl(SocketHandle socket, std::int32_t ttl) noexcept;
Status SetNonBlocking(SocketHandle socket) noexcept;

// Asks for a kernel receive buffer of at least this many bytes, so that a burst
// of replies is held until it is read. Returns the size in force afterwards.
// Best effort: where the system caps the size, the cap is what there is. (On
// Linux the cap is passed where the process may, with SO_RCVBUFFORCE.)
int EnlargeReceiveBuffer(SocketHandle socket, int bytes) noexcept;

// Sends one datagram. Fails unless the whole datagram went out.
Status SendDatagram(SocketHandle socket, const std::uint8_t* bytes, std::size_t length,
                    std::uint32_t address, std::uint16_t port) noexcept;

// Receives one datagram into the buffer and stores its size (0 for an empty
// datagram). False when nothing is waiting, on error, and when the datagram
// was longer than the buffer: it is then discarded whole, never cut.
[[nodiscard]] bool ReceiveDatagram(SocketHandle socket, std::uint8_t* buffer, std::size_t capacity,
                                   std::size_t* size) noexcept;

// The local IPv4 address the socket is bound to; false when it has none.
[[nodiscard]] bool GetLocalAddress(SocketHandle socket, std::uint32_t* address) noexcept;

// Waits until at least one of the sockets is readable, the wake event is
// signalled (when given), or the timeout passes. readable[i] tells whether
// sockets[i] is readable, and *ready how many are (0 on a timeout or a
// wake-up). Fails only when the wait itself failed. The wake event is not
// consumed.
Status WaitReadable(const SocketHandle* sockets, std::size_t count, bool* readable,
                    std::chrono::microseconds timeout, const AutoResetEvent* wake,
                    std::size_t* ready) noexcept;

}  // namespace ql5::platform
