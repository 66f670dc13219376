// SPDX-License-Identifier: Apache-2.0
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
#include <vector>

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
// was longer than the buffer: it is then discarded whole, never cut. With
// `source`, the sender's IPv4 address (network order) is stored there, taken
// from the same receive (0 when the sender was no IPv4 endpoint).
[[nodiscard]] bool ReceiveDatagram(SocketHandle socket, std::uint8_t* buffer, std::size_t capacity,
                                   std::size_t* size, std::uint32_t* source = nullptr) noexcept;

// One datagram of a batch receive: the caller's buffer, and what came into it.
struct DatagramSlot {
    std::uint8_t* buffer = nullptr;  // set by the caller
    std::size_t capacity = 0;        // set by the caller
    std::size_t size = 0;            // bytes received (0 for an empty datagram)
    std::uint32_t source = 0;        // the sender's IPv4 address, network order;
                                     // 0 when the sender was no IPv4 endpoint
    bool truncated = false;          // longer than the buffer: only its start is
                                     // there, and the caller drops it whole
};

// Receives up to `count` datagrams that wait on a non-blocking socket, one
// into each slot in order, and returns how many slots it filled: 0 when
// nothing waits or the receive failed. Where the system can, one call takes
// the whole batch; elsewhere it is one receive per datagram. A datagram that
// did not fit its buffer still fills its slot, marked truncated, so that the
// datagrams behind it are taken in the same batch.
std::size_t ReceiveDatagrams(SocketHandle socket, DatagramSlot* slots, std::size_t count) noexcept;

// Waits on any number of sockets. The sockets (and a wake event) are set up
// once with Watch, so that each of the many waits of a sweep or a request
// allocates nothing and costs one system call, whatever the number of
// sockets.
class SocketWaiter {
public:
    // Watches these sockets, in this order, and the wake event when given.
    // Fails only when memory runs out.
    Status Watch(const SocketHandle* sockets, std::size_t count,
                 const AutoResetEvent* wake = nullptr) noexcept;

    // Waits until at least one socket is readable, the wake event is signalled
    // or the timeout passes, and stores in *ready how many sockets are readable
    // (0 on a timeout or a wake-up). Fails only when the wait itself failed. The
    // wake event is not consumed.
    Status Wait(std::chrono::microseconds timeout, std::size_t* ready) noexcept;

    // Whether the socket at this index of Watch's list was readable after the
    // last wait. An error or hang-up on a socket counts as readable: the receive
    // then reports the failure and the caller moves on.
    [[nodiscard]] bool Readable(std::size_t index) const noexcept;
    // Whether the wake event was signalled at the end of the last wait. It
    // is not consumed; a signal given after the wait shows at the next one.
    [[nodiscard]] bool Woken() const noexcept;

private:
    std::vector<WaitEntry> entries_;
    std::size_t sockets_ = 0;
};

}  // namespace ql5::platform
