// SPDX-License-Identifier: Apache-2.0
// The receive buffer on POSIX systems: SO_RCVBUF, which the system caps.
#include "platform/udp_socket.h"

#include <sys/socket.h>

namespace ql5::platform {

int EnlargeReceiveBuffer(SocketHandle socket, int bytes) noexcept
{
    int current = 0;
    socklen_t length = sizeof current;
    ::getsockopt(socket, SOL_SOCKET, SO_RCVBUF, &current, &length);
    if (current < bytes) {
        ::setsockopt(socket, SOL_SOCKET, SO_RCVBUF, &bytes, sizeof bytes);
        length = sizeof current;
        ::getsockopt(socket, SOL_SOCKET, SO_RCVBUF, &current, &length);
    }
    return current;
}

}  // namespace ql5::platform
