// SPDX-License-Identifier: Apache-2.0
// The simulator's sockets on Linux: each one tied to its interface with
// SO_BINDTODEVICE, and sent from in batches with sendmmsg.
#include "interface_socket.h"

#include <arpa/inet.h>
#include <net/if.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <stdexcept>

namespace ql5sim {
namespace {

// sendmmsg takes at most this many datagrams per call here; larger batches
// gain nothing and cost stack.
constexpr std::size_t kBatch = 256;
// A burst of ten thousand replies must not stall on the send buffer.
constexpr int kSendBuffer = 8 * 1024 * 1024;

[[noreturn]] void Fail(const std::string& interfaceName, const std::string& what)
{
    throw std::runtime_error(interfaceName + ": " + what + ": " + ql5tools::LastSocketError());
}

int Descriptor(InterfaceSocket::Handle handle)
{
    return static_cast<int>(handle);
}

sockaddr_in ToSockaddr(const Endpoint& endpoint)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(endpoint.port);
    std::memcpy(&address.sin_addr, endpoint.address.data(), endpoint.address.size());
    return address;
}

}  // namespace

InterfaceSocket InterfaceSocket::Open(const std::string& interfaceName)
{
    const unsigned index = if_nametoindex(interfaceName.c_str());
    if (index == 0) {
        Fail(interfaceName, "no such interface");
    }
    const Handle handle = ql5tools::OpenUdpSocket(true);
    if (handle == ql5tools::kNoSocket) {
        Fail(interfaceName, "socket");
    }
    InterfaceSocket result(handle, interfaceName);
    const int fd = Descriptor(handle);

    const int one = 1;
    const int zero = 0;
    // Several interfaces mean several sockets on the same port.
    if (setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one) != 0) {
        Fail(interfaceName, "SO_REUSEADDR");
    }
    // Tying the socket to its interface keeps each socket to the requests that
    // arrived there and sends each answer back out of the same interface.
    if (setsockopt(fd, SOL_SOCKET, SO_BINDTODEVICE, interfaceName.c_str(),
                   static_cast<socklen_t>(interfaceName.size())) != 0) {
        Fail(interfaceName, "SO_BINDTODEVICE");
    }
    if (setsockopt(fd, SOL_SOCKET, SO_SNDBUFFORCE, &kSendBuffer, sizeof kSendBuffer) != 0) {
        setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &kSendBuffer, sizeof kSendBuffer);
    }
    // Only the group joined on this socket, not those of the other sockets.
    if (setsockopt(fd, IPPROTO_IP, IP_MULTICAST_ALL, &zero, sizeof zero) != 0) {
        Fail(interfaceName, "IP_MULTICAST_ALL");
    }

    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(kDiscoveryPort);
    local.sin_addr.s_addr = htonl(INADDR_ANY);
    if (bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
        Fail(interfaceName, "bind to port 2362");
    }

    ip_mreqn membership{};
    inet_pton(AF_INET, kDiscoveryGroup, &membership.imr_multiaddr);
    membership.imr_ifindex = static_cast<int>(index);
    if (setsockopt(fd, IPPROTO_IP, IP_ADD_MEMBERSHIP, &membership, sizeof membership) != 0) {
        Fail(interfaceName, "join 224.0.5.128");
    }
    return result;
}

void InterfaceSocket::Close()
{
    ql5tools::CloseSocket(handle_);
    handle_ = ql5tools::kNoSocket;
}

std::optional<std::size_t> InterfaceSocket::Receive(std::span<std::uint8_t> buffer, Endpoint& from)
{
    for (;;) {
        sockaddr_in source{};
        socklen_t sourceLength = sizeof source;
        const ssize_t n = recvfrom(Descriptor(handle_), buffer.data(), buffer.size(), MSG_DONTWAIT,
                                   reinterpret_cast<sockaddr*>(&source), &sourceLength);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return std::nullopt;  // drained (or an ICMP error reported on the socket)
        std::memcpy(from.address.data(), &source.sin_addr, from.address.size());
        from.port = ntohs(source.sin_port);
        return static_cast<std::size_t>(n);
    }
}

std::size_t InterfaceSocket::Send(std::span<const Datagram> datagrams)
{
    std::size_t sent = 0;
    mmsghdr messages[kBatch];
    iovec vectors[kBatch];
    sockaddr_in addresses[kBatch];
    while (sent < datagrams.size()) {
        const std::size_t count = std::min(kBatch, datagrams.size() - sent);
        for (std::size_t i = 0; i < count; ++i) {
            const Datagram& d = datagrams[sent + i];
            // sendmmsg takes non-const pointers but does not write through them.
            vectors[i].iov_base = const_cast<std::uint8_t*>(d.bytes->data());
            vectors[i].iov_len = d.bytes->size();
            messages[i] = {};
            addresses[i] = ToSockaddr(d.to);
            messages[i].msg_hdr.msg_name = &addresses[i];
            messages[i].msg_hdr.msg_namelen = sizeof addresses[i];
            messages[i].msg_hdr.msg_iov = &vectors[i];
            messages[i].msg_hdr.msg_iovlen = 1;
        }
        const int result = sendmmsg(Descriptor(handle_), messages, static_cast<unsigned>(count), 0);
        if (result > 0) {
            sent += static_cast<std::size_t>(result);
            continue;
        }
        if (result < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == ENOBUFS)) {
            break;
        }
        if (result < 0 && errno == EINTR) {
            continue;
        }
        // The first datagram of the batch was refused for good (too large for
        // the interface, say): drop it and go on with the next.
        ++sent;
    }
    return sent;
}

// The stop signals stay blocked (tools/platform/stop_requests.h) except while
// the loop sleeps in ppoll, so that a signal is never lost between testing
// the flag and going to sleep.
void WaitForSockets(std::span<const InterfaceSocket> sockets, std::span<SocketWait> waits,
                    std::chrono::nanoseconds timeout)
{
    std::vector<pollfd> fds(sockets.size());
    for (std::size_t i = 0; i < sockets.size(); ++i) {
        fds[i].fd = Descriptor(sockets[i].Native());
        fds[i].events = static_cast<short>(POLLIN | (waits[i].writable ? POLLOUT : 0));
    }
    sigset_t waitMask;
    sigprocmask(SIG_BLOCK, nullptr, &waitMask);
    sigdelset(&waitMask, SIGTERM);
    sigdelset(&waitMask, SIGINT);
    const timespec sleep{static_cast<time_t>(timeout.count() / 1'000'000'000),
                         static_cast<long>(timeout.count() % 1'000'000'000)};
    const int ready = ppoll(fds.data(), fds.size(), &sleep, &waitMask);
    for (std::size_t i = 0; i < sockets.size(); ++i) {
        // EINTR: nothing is readable; the stop flag is tested at the top.
        waits[i].readable = ready > 0 && (fds[i].revents & (POLLIN | POLLERR)) != 0;
    }
}

}  // namespace ql5sim
