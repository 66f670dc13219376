// One UDP socket per local IPv4 address: the way every packet leaves through
// every network the host is attached to. Replies come back to the socket that
// sent the request.
#pragma once

#include "locked_list.h"
#include "platform/udp_socket.h"
#include "status.h"

#include <cstddef>
#include <cstdint>

struct DiscoveryContext;

namespace ql5 {

using platform::SocketHandle;

// A wait for replies watches at most this many sockets of a set; sockets past
// them send but are never read.
inline constexpr std::uint32_t kMaxWatchedSockets = 64;

// Clears the list and fills it with the host's IPv4 addresses (network order),
// each once. Fails when the system could not be asked, and with
// Failure::kNoLocalAddress when it has no address to give.
Status EnumerateLocalAddresses(LockedList* list);

// A socket in *socket, bound to the local address on a system-chosen port,
// with that address as its outgoing multicast interface, the context's
// multicast time-to-live, non-blocking. On failure *socket holds
// kInvalidSocket and the status names the step, the address and the cause.
Status OpenInterfaceSocket(const DiscoveryContext* context, std::uint32_t localAddress,
                           SocketHandle* socket);

// Opens one socket per local address, all or nothing: the set in *set and the
// number of sockets in *count, or a failure with nothing stored. The caller
// gives the set back with CloseInterfaceSockets.
Status OpenInterfaceSockets(const DiscoveryContext* context, SocketHandle** set,
                            std::uint32_t* count);

// Sends the packet once from every socket to the context's group and port.
// Fails, with the first failure, unless it went out whole on every socket; a
// failed send does not stop the sends that follow.
Status SendToGroup(const DiscoveryContext* context, const SocketHandle* sockets,
                   std::uint32_t number, const std::uint8_t* bytes, std::uint32_t length);

// Closes every slot that holds a socket and frees the set.
void CloseInterfaceSockets(SocketHandle* sockets, std::uint32_t number);

}  // namespace ql5
