#include "platform/udp_socket.h"

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

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

// The most sockets one wait watches, plus the wake event.
constexpr std::size_t kMaxWatched = 64;

}  // namespace

SocketHandle OpenUdpSocket() noexcept
{
    const int socket = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_UDP);
    return socket >= 0 ? socket : kInvalidSocket;
}

void CloseSocket(SocketHandle socket) noexcept
{
    if (socket != kInvalidSocket)
        ::close(socket);
}

bool BindSocket(SocketHandle socket, std::uint32_t localAddress, std::uint16_t port) noexcept
{
    const sockaddr_in address = MakeAddress(localAddress, port);
    return ::bind(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
}

bool SetMulticastInterface(SocketHandle socket, std::uint32_t localAddress) noexcept
{
    in_addr address{};
    address.s_addr = localAddress;
    return ::setsockopt(socket, IPPROTO_IP, IP_MULTICAST_IF, &address, sizeof address) == 0;
}

bool SetMulticastTtl(SocketHandle socket, std::int32_t ttl) noexcept
{
    const int value = ttl;
    return ::setsockopt(socket, IPPROTO_IP, IP_MULTICAST_TTL, &value, sizeof value) == 0;
}

bool SetNonBlocking(SocketHandle socket) noexcept
{
    const int flags = ::fcntl(socket, F_GETFL);
    return flags >= 0 && ::fcntl(socket, F_SETFL, flags | O_NONBLOCK) == 0;
}

int EnlargeReceiveBuffer(SocketHandle socket, int bytes) noexcept
{
    int current = 0;
    socklen_t length = sizeof current;
    ::getsockopt(socket, SOL_SOCKET, SO_RCVBUF, &current, &length);
    // The kernel doubles the value asked for and reports the doubled size.
    if (current < bytes) {
        // The forcing variant passes the system-wide cap where we may (as
        // root); elsewhere the plain one gives what the cap allows.
        if (::setsockopt(socket, SOL_SOCKET, SO_RCVBUFFORCE, &bytes, sizeof bytes) != 0)
            ::setsockopt(socket, SOL_SOCKET, SO_RCVBUF, &bytes, sizeof bytes);
        length = sizeof current;
        ::getsockopt(socket, SOL_SOCKET, SO_RCVBUF, &current, &length);
    }
    return current;
}

long SendDatagram(SocketHandle socket, const std::uint8_t* bytes, std::size_t length,
                  std::uint32_t address, std::uint16_t port) noexcept
{
    const sockaddr_in destination = MakeAddress(address, port);
    ssize_t sent;
    do {
        sent = ::sendto(socket, bytes, length, 0, reinterpret_cast<const sockaddr*>(&destination),
                        sizeof destination);
    } while (sent < 0 && errno == EINTR);
    return sent;
}

long ReceiveDatagram(SocketHandle socket, std::uint8_t* buffer, std::size_t capacity) noexcept
{
    ssize_t received;
    do {
        // MSG_TRUNC makes the kernel report the datagram's real length, so a
        // datagram that did not fit is recognised and dropped.
        received = ::recv(socket, buffer, capacity, MSG_TRUNC);
    } while (received < 0 && errno == EINTR);
    if (received < 0 || static_cast<std::size_t>(received) > capacity)
        return -1;
    return received;
}

bool GetLocalAddress(SocketHandle socket, std::uint32_t* address) noexcept
{
    sockaddr_in local{};
    socklen_t length = sizeof local;
    if (::getsockname(socket, reinterpret_cast<sockaddr*>(&local), &length) != 0 ||
        local.sin_family != AF_INET)
        return false;
    *address = local.sin_addr.s_addr;
    return true;
}

int WaitReadable(const SocketHandle* sockets, std::size_t count, bool* readable,
                 std::chrono::microseconds timeout, const AutoResetEvent* wake) noexcept
{
    if (count > kMaxWatched)
        count = kMaxWatched;
    pollfd watched[kMaxWatched + 1];
    for (std::size_t i = 0; i < count; ++i)
        watched[i] = pollfd{sockets[i], POLLIN, 0};
    nfds_t total = count;
    if (wake != nullptr)
        watched[total++] = pollfd{wake->PollDescriptor(), POLLIN, 0};

    // Rounded up, so a wait is never shorter than asked.
    const auto milliseconds = static_cast<int>((timeout.count() + 999) / 1000);
    int result;
    do {
        result = ::poll(watched, total, milliseconds);
    } while (result < 0 && errno == EINTR);
    if (result < 0)
        return -1;

    int ready = 0;
    for (std::size_t i = 0; i < count; ++i) {
        // An error or hang-up on a socket also makes it "readable": the receive
        // then reports the failure and the drain moves on.
        readable[i] = (watched[i].revents & (POLLIN | POLLERR | POLLHUP)) != 0;
        ready += readable[i] ? 1 : 0;
    }
    return ready;
}

}  // namespace ql5::platform
