// SPDX-License-Identifier: Apache-2.0
// The receive buffer on Linux, where SO_RCVBUFFORCE lets a privileged process
// pass the system-wide cap (net.core.rmem_max). Other POSIX systems ask with
// SO_RCVBUF alone (platform/unix/receive_buffer.cpp).
#include "platform/udp_socket.h"

#include <sys/socket.h>

namespace ql5::platform {

int EnlargeReceiveBuffer(SocketHandle socket, int bytes) noexcept
{
    int current = 0;
    socklen_t length = sizeof current;
    ::getsockopt(socket, SOL_SOCKET, SO_RCVBUF, &current, &length);
    // The kernel doubles the value asked for and reports the doubled size.
    if (current < bytes) {
        // The forcing variant passes the cap where we may (as root);
        // elsewhere the plain one gives what the cap allows.
        if (::setsockopt(socket, SOL_SOCKET, SO_RCVBUFFORCE, &bytes, sizeof bytes) != 0)
            ::setsockopt(socket, SOL_SOCKET, SO_RCVBUF, &bytes, sizeof bytes);
        length = sizeof current;
        ::getsockopt(socket, SOL_SOCKET, SO_RCVBUF, &current, &length);
    }
    return current;
}

}  // namespace ql5::platform
