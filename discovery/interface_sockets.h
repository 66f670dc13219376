// One UDP socket per local IPv4 address: the way every packet leaves through
// every network the host is attached to. Replies come back to the socket that
// sent the request.
#pragma once

#include "locked_list.h"
#include "platform/udp_socket.h"

#include <cstddef>
#include <cstdint>

struct DiscoveryContext;

namespace ql5 {

using platform::SocketHandle;

// A wait for replies watches at most this many sockets of a set; sockets past
// them send but are never read.
inline constexpr std::uint32_t kMaxWatchedSockets = 64;

// Clears the list and fills it with the host's IPv4 addresses (network order),
// each once. Returns the number of addresses, 0 when none could be had.
std::int32_t EnumerateLocalAddresses(LockedList* list);

// A socket bound to the local address on a system-chosen port, with that
// address as its outgoing multicast interface, the context's multicast
// time-to-live, non-blocking. kInvalidSocket on any failure.
SocketHandle OpenInterfaceSocket(const DiscoveryContext* context, std::uint32_t localAddress);

// Opens one socket per local address, all or nothing. Returns the number of
// sockets with the set stored in *set, or 0 with nothing stored. The caller
// gives the set back with CloseInterfaceSockets.
std::uint32_t OpenInterfaceSockets(const DiscoveryContext* context, SocketHandle** set);

// Sends the packet once from every socket to the context's group and port.
// Returns 0 when it went out whole on every socket, else -1; a failed send
// does not stop the sends that follow.
int SendToGroup(const DiscoveryContext* context, const SocketHandle* sockets, std::uint32_t number,
                const std::uint8_t* bytes, std::uint32_t length);

// Closes every slot that holds a socket and frees the set.
void CloseInterfaceSockets(SocketHandle* sockets, std::uint32_t number);

}  // namespace ql5
