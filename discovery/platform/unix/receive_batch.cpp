// SPDX-License-Identifier: Apache-2.0
// The batch receive on POSIX systems without recvmmsg: one recvmsg per
// datagram. Linux takes a whole batch in one call
// (platform/linux/receive_batch.cpp).
#include "platform/udp_socket.h"

#include <netinet/in.h>
#include <sys/socket.h>

#include <cerrno>

namespace ql5::platform {

std::size_t ReceiveDatagrams(SocketHandle socket, DatagramSlot* slots, std::size_t count) noexcept
{
    std::size_t filled = 0;
    for (; filled < count; ++filled) {
        DatagramSlot& slot = slots[filled];
        iovec vector{slot.buffer, slot.capacity};
        sockaddr_in sender{};
        msghdr message{};
        message.msg_iov = &vector;
        message.msg_iovlen = 1;
        message.msg_name = &sender;
        message.msg_namelen = sizeof sender;
        ssize_t received;
        do {
            received = ::recvmsg(socket, &message, MSG_DONTWAIT);
        } while (received < 0 && errno == EINTR);
        if (received < 0)
            break;
        slot.size = static_cast<std::size_t>(received);
        slot.truncated = (message.msg_flags & MSG_TRUNC) != 0;
        slot.source = message.msg_namelen >= sizeof sender && sender.sin_family == AF_INET
                          ? sender.sin_addr.s_addr
                          : 0;
    }
    return filled;
}

}  // namespace ql5::platform
