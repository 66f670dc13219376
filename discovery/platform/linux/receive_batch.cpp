// SPDX-License-Identifier: Apache-2.0
// The batch receive on Linux: recvmmsg takes every waiting datagram of a batch
// in one system call. Other POSIX systems receive one datagram per call
// (platform/unix/receive_batch.cpp).
#include "platform/udp_socket.h"

#include <netinet/in.h>
#include <sys/socket.h>

#include <algorithm>
#include <array>
#include <cerrno>

namespace ql5::platform {

namespace {

// The most datagrams one call takes; larger batches are taken in turns.
constexpr std::size_t kMaxPerCall = 64;

// One call for at most kMaxPerCall slots; the number of slots filled.
std::size_t ReceiveSome(SocketHandle socket, DatagramSlot* slots, std::size_t count) noexcept
{
    std::array<mmsghdr, kMaxPerCall> messages{};
    std::array<iovec, kMaxPerCall> vectors{};
    std::array<sockaddr_in, kMaxPerCall> senders{};
    for (std::size_t i = 0; i < count; ++i) {
        vectors[i] = iovec{slots[i].buffer, slots[i].capacity};
        msghdr& header = messages[i].msg_hdr;
        header.msg_iov = &vectors[i];
        header.msg_iovlen = 1;
        // The sender comes with each datagram, at no further system call.
        header.msg_name = &senders[i];
        header.msg_namelen = sizeof senders[i];
    }
    int received;
    do {
        received = ::recvmmsg(socket, messages.data(), static_cast<unsigned>(count), MSG_DONTWAIT,
                              nullptr);
    } while (received < 0 && errno == EINTR);
    if (received <= 0)
        return 0;
    for (std::size_t i = 0; i < static_cast<std::size_t>(received); ++i) {
        const msghdr& header = messages[i].msg_hdr;
        DatagramSlot& slot = slots[i];
        slot.size = messages[i].msg_len;
        // The system cuts a datagram that does not fit and says so.
        slot.truncated = (header.msg_flags & MSG_TRUNC) != 0;
        slot.source = header.msg_namelen >= sizeof(sockaddr_in) && senders[i].sin_family == AF_INET
                          ? senders[i].sin_addr.s_addr
                          : 0;
    }
    return static_cast<std::size_t>(received);
}

}  // namespace

std::size_t ReceiveDatagrams(SocketHandle socket, DatagramSlot* slots, std::size_t count) noexcept
{
    std::size_t filled = 0;
    while (filled < count) {
        const std::size_t asked = std::min(kMaxPerCall, count - filled);
        const std::size_t received = ReceiveSome(socket, slots + filled, asked);
        filled += received;
        // A short batch means nothing more waits.
        if (received < asked)
            break;
    }
    return filled;
}

}  // namespace ql5::platform
