// SPDX-License-Identifier: Apache-2.0
// The receive buffer on Windows: SO_RCVBUF, which Windows Sockets grants as
// asked.
#include "platform/udp_socket.h"

#include <winsock2.h>

namespace ql5::platform {

int EnlargeReceiveBuffer(SocketHandle socket, int bytes) noexcept
{
    int current = 0;
    int length = sizeof current;
    ::getsockopt(socket, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<char*>(&current), &length);
    if (current < bytes) {
        ::setsockopt(socket, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&bytes),
                     sizeof bytes);
        length = sizeof current;
        ::getsockopt(socket, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<char*>(&current), &length);
    }
    return current;
}

}  // namespace ql5::platform
