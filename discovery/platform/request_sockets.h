// SPDX-License-Identifier: Apache-2.0
// The calls to the system that the requests to one device make: the walk over
// the host's interfaces, the socket calls of one exchange and the routing's
// choice of a local address toward a host (for the sweep's named hosts), in
// one small table. The context holds the table it uses: the system's (SystemSockets),
// or in the unit tests a scripted one, so that the rules of a request (which
// local address it leaves from, which answers count, how long it listens) are
// tested without a network and without root.
#pragma once

#include "platform/local_addresses.h"
#include "platform/udp_socket.h"
#include "status.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace ql5::platform {

// Every call is made by the thread that makes the request; an implementation
// keeps no state between requests of its own, or guards it, since one table
// serves every thread.
class RequestSockets {
public:
    RequestSockets() = default;
    RequestSockets(const RequestSockets&) = delete;
    RequestSockets& operator=(const RequestSockets&) = delete;
    virtual ~RequestSockets() = default;

    // As ListInterfaceAddresses.
    virtual Status ListInterfaces(std::vector<InterfaceAddress>& addresses) const noexcept = 0;
    // A socket bound to the local address on a system-chosen port, with that
    // address as its outgoing multicast interface, the multicast time-to-live
    // given, non-blocking; kInvalidSocket and the failed step otherwise.
    virtual Status Open(std::uint32_t localAddress, std::int32_t multicastTtl,
                        SocketHandle* socket) const noexcept = 0;
    virtual void Close(SocketHandle socket) const noexcept = 0;
    // A plain UDP socket that only asks the routing (RouteSource); closed
    // with Close.
    virtual Status OpenProbe(SocketHandle* socket) const noexcept = 0;
    // As RouteSourceAddress.
    virtual bool RouteSource(SocketHandle probe, std::uint32_t destination, std::uint16_t port,
                             std::uint32_t* localAddress) const noexcept = 0;
    // As SendDatagram and ReceiveDatagram.
    virtual Status Send(SocketHandle socket, const std::uint8_t* bytes, std::size_t length,
                        std::uint32_t address, std::uint16_t port) const noexcept = 0;
    virtual bool Receive(SocketHandle socket, std::uint8_t* buffer, std::size_t capacity,
                         std::size_t* size, std::uint32_t* source) const noexcept = 0;
    // As the waiter's Watch, Wait and Readable; the waiter belongs to the
    // caller, so that each request has its own.
    virtual Status Watch(SocketWaiter& waiter, const SocketHandle* sockets,
                         std::size_t count) const noexcept = 0;
    virtual Status Wait(SocketWaiter& waiter, std::chrono::microseconds timeout,
                        std::size_t* ready) const noexcept = 0;
    virtual bool Readable(const SocketWaiter& waiter, std::size_t index) const noexcept = 0;
};

// The system's sockets and interfaces.
const RequestSockets& SystemSockets() noexcept;

}  // namespace ql5::platform
