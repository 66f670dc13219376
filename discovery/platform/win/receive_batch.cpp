// SPDX-License-Identifier: Apache-2.0
// The batch receive on Windows: one recvfrom per datagram, as on POSIX
// systems without recvmmsg.
#include "platform/udp_socket.h"

#include <winsock2.h>

namespace ql5::platform {

std::size_t ReceiveDatagrams(SocketHandle socket, DatagramSlot* slots, std::size_t count) noexcept
{
    std::size_t filled = 0;
    for (; filled < count; ++filled) {
        DatagramSlot& slot = slots[filled];
        sockaddr_in sender{};
        int senderLength = sizeof sender;
        const int capacity =
            slot.capacity > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(slot.capacity);
        const int received = ::recvfrom(socket, reinterpret_cast<char*>(slot.buffer), capacity, 0,
                                        reinterpret_cast<sockaddr*>(&sender), &senderLength);
        if (received == SOCKET_ERROR) {
            // Windows Sockets fills the buffer with the start of a datagram
            // that is too long, discards the rest and reports WSAEMSGSIZE.
            if (::WSAGetLastError() != WSAEMSGSIZE)
                break;
            slot.size = slot.capacity;
            slot.truncated = true;
        } else {
            slot.size = static_cast<std::size_t>(received);
            slot.truncated = false;
        }
        slot.source =
            senderLength >= static_cast<int>(sizeof sender) && sender.sin_family == AF_INET
                ? sender.sin_addr.s_addr
                : 0;
    }
    return filled;
}

}  // namespace ql5::platform
