// SPDX-License-Identifier: Apache-2.0
// One UDP socket per local IPv4 address: the way every packet leaves through
// every network the host is attached to. Replies come back to the socket that
// sent the request.
#pragma once

#include "locked_list.h"
#include "platform/local_subnets.h"
#include "platform/request_sockets.h"
#include "platform/udp_socket.h"
#include "status.h"

#include <cstddef>
#include <cstdint>
#include <vector>

struct DiscoveryContext;

namespace ql5 {

using platform::SocketHandle;

// Sockets of this kind with the local address of each, kept once per socket
// so that a reply's local address costs nothing per datagram. The set closes
// its sockets, through the calls that opened them, when it is destroyed; it
// may be moved, not copied.
class InterfaceSocketSet {
public:
    InterfaceSocketSet() = default;
    explicit InterfaceSocketSet(const platform::RequestSockets& calls) noexcept : calls_(&calls) {}
    ~InterfaceSocketSet() { Close(); }
    InterfaceSocketSet(InterfaceSocketSet&& other) noexcept;
    InterfaceSocketSet& operator=(InterfaceSocketSet&& other) noexcept;
    InterfaceSocketSet(const InterfaceSocketSet&) = delete;
    InterfaceSocketSet& operator=(const InterfaceSocketSet&) = delete;

    std::uint32_t Count() const noexcept { return static_cast<std::uint32_t>(sockets_.size()); }
    const SocketHandle* Sockets() const noexcept { return sockets_.data(); }
    SocketHandle Socket(std::uint32_t index) const noexcept { return sockets_[index]; }
    const std::vector<std::uint32_t>& Addresses() const noexcept { return addresses_; }
    std::uint32_t Address(std::uint32_t index) const noexcept { return addresses_[index]; }

    // Takes an open socket bound to the address. Fails, closing the socket,
    // when memory runs out.
    Status Adopt(SocketHandle socket, std::uint32_t localAddress) noexcept;
    // Closes every socket; the set is then empty.
    void Close() noexcept;

private:
    const platform::RequestSockets* calls_ = &platform::SystemSockets();
    std::vector<SocketHandle> sockets_;
    std::vector<std::uint32_t> addresses_;
};

// Clears the list and fills it with the host's IPv4 addresses (network order)
// that discovery uses, each once, in the order the system lists them. Fails
// when the system could not be asked, and with Failure::kNoLocalAddress when
// it has no address to give.
Status EnumerateLocalAddresses(const DiscoveryContext* context, LockedList* list);

// Fills the vector with every address that discovery uses, with its mask.
Status ListLocalSubnets(const DiscoveryContext* context, std::vector<LocalSubnet>& subnets);

// A socket in *socket, bound to the local address on a system-chosen port,
// with that address as its outgoing multicast interface, the context's
// multicast time-to-live, non-blocking. On failure *socket holds
// kInvalidSocket and the status names the step, the address and the cause.
Status OpenInterfaceSocket(const DiscoveryContext* context, std::uint32_t localAddress,
                           SocketHandle* socket);

// Opens one socket per local address into the (empty) set, which must use the
// context's calls. An address whose
// socket cannot be opened (gone since the list was read, or no descriptor
// left) is skipped and the others are kept. Fails only when no socket at all
// could be opened: with Failure::kNoLocalAddress when the host has no
// address, else with the failure of the first address.
Status OpenInterfaceSockets(const DiscoveryContext* context, InterfaceSocketSet* set);

// Opens the one socket of the set on the local address, which must be one of
// the host's (else Failure::kNotLocalAddress); with address 0, every local
// address as OpenInterfaceSockets does.
Status OpenSocketsOn(const DiscoveryContext* context, std::uint32_t localAddress,
                     InterfaceSocketSet* set);

// Sends the packet once from every socket to the address and port given, or
// to the context's group when the address is 0. Fails, with the first
// failure, unless it went out whole on every socket; a failed send does not
// stop the sends that follow.
Status SendToAddress(const DiscoveryContext* context, const InterfaceSocketSet& set,
                     const std::uint8_t* bytes, std::uint32_t length, std::uint32_t address);

// Sends the packet once from every socket to the context's group and port.
Status SendToGroup(const DiscoveryContext* context, const InterfaceSocketSet& set,
                   const std::uint8_t* bytes, std::uint32_t length);

}  // namespace ql5
