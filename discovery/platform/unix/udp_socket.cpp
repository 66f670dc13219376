// SPDX-License-Identifier: Apache-2.0
#include "platform/udp_socket.h"

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <new>

namespace ql5::platform {

namespace {

sockaddr_in MakeAddress(std::uint32_t address, std::uint16_t port)
{
    sockaddr_in result{};
    result.sin_family = AF_INET;
    result.sin_port = htons(port);
    result.sin_addr.s_addr = address;  // already in network order
    return result;
}

// The failure of the system call that has just failed, with its errno.
Status Failed(Failure failure, std::uint32_t address = 0)
{
    return Status::Failed(failure, SystemError{errno}, address);
}

}  // namespace

Status OpenUdpSocket(SocketHandle* socket) noexcept
{
    *socket = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_UDP);
    if (*socket >= 0)
        return {};
    *socket = kInvalidSocket;
    return Failed(Failure::kOpenSocket);
}

void CloseSocket(SocketHandle socket) noexcept
{
    if (socket != kInvalidSocket)
        ::close(socket);
}

Status BindSocket(SocketHandle socket, std::uint32_t localAddress, std::uint16_t port) noexcept
{
    const sockaddr_in address = MakeAddress(localAddress, port);
    if (::bind(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0)
        return {};
    return Failed(Failure::kBindSocket, localAddress);
}

Status SetMulticastInterface(SocketHandle socket, std::uint32_t localAddress) noexcept
{
    in_addr address{};
    address.s_addr = localAddress;
    if (::setsockopt(socket, IPPROTO_IP, IP_MULTICAST_IF, &address, sizeof address) == 0)
        return {};
    return Failed(Failure::kSetMulticastInterface, localAddress);
}

Status SetMulticastTtl(SocketHandle socket, std::int32_t ttl) noexcept
{
    const int value = ttl;
    if (::setsockopt(socket, IPPROTO_IP, IP_MULTICAST_TTL, &value, sizeof value) == 0)
        return {};
    return Failed(Failure::kSetMulticastTtl);
}

Status SetNonBlocking(SocketHandle socket) noexcept
{
    const int flags = ::fcntl(socket, F_GETFL);
    if (flags >= 0 && ::fcntl(socket, F_SETFL, flags | O_NONBLOCK) == 0)
        return {};
    return Failed(Failure::kSetNonBlocking);
}

Status SendDatagram(SocketHandle socket, const std::uint8_t* bytes, std::size_t length,
                    std::uint32_t address, std::uint16_t port) noexcept
{
    const sockaddr_in destination = MakeAddress(address, port);
    ssize_t sent;
    do {
        sent = ::sendto(socket, bytes, length, 0, reinterpret_cast<const sockaddr*>(&destination),
                        sizeof destination);
    } while (sent < 0 && errno == EINTR);
    if (sent < 0)
        return Failed(Failure::kSend);
    // A datagram goes out whole or not at all; a short count has no errno.
    if (static_cast<std::size_t>(sent) != length)
        return Status::Failed(Failure::kSend);
    return {};
}

bool ReceiveDatagram(SocketHandle socket, std::uint8_t* buffer, std::size_t capacity,
                     std::size_t* size, std::uint32_t* source) noexcept
{
    DatagramSlot slot{buffer, capacity};
    // A datagram cut to fit is no reply; it is dropped whole.
    if (ReceiveDatagrams(socket, &slot, 1) != 1 || slot.truncated)
        return false;
    *size = slot.size;
    if (source != nullptr)
        *source = slot.source;
    return true;
}

Status SocketWaiter::Watch(const SocketHandle* sockets, std::size_t count,
                           const AutoResetEvent* wake) noexcept
{
    try {
        entries_.clear();
        entries_.reserve(count + 1);
        for (std::size_t i = 0; i < count; ++i)
            entries_.push_back(pollfd{sockets[i], POLLIN, 0});
        if (wake != nullptr)
            entries_.push_back(pollfd{wake->Native().readable, POLLIN, 0});
    } catch (const std::bad_alloc&) {
        entries_.clear();
        sockets_ = 0;
        return Status::Failed(Failure::kOutOfMemory);
    }
    sockets_ = count;
    return {};
}

Status SocketWaiter::Wait(std::chrono::microseconds timeout, std::size_t* ready) noexcept
{
    *ready = 0;
    // Rounded up, so a wait is never shorter than asked.
    const auto milliseconds = static_cast<int>((timeout.count() + 999) / 1000);
    int result;
    do {
        result = ::poll(entries_.data(), entries_.size(), milliseconds);
    } while (result < 0 && errno == EINTR);
    if (result < 0)
        return Failed(Failure::kWait);
    for (std::size_t i = 0; i < sockets_; ++i)
        *ready += Readable(i) ? 1 : 0;
    return {};
}

bool SocketWaiter::Readable(std::size_t index) const noexcept
{
    return index < sockets_ && (entries_[index].revents & (POLLIN | POLLERR | POLLHUP)) != 0;
}

bool SocketWaiter::Woken() const noexcept
{
    return entries_.size() > sockets_ && (entries_[sockets_].revents & POLLIN) != 0;
}

}  // namespace ql5::platform
