// SPDX-License-Identifier: Apache-2.0
// The simulator's sockets on Linux: each one tied to its interface with
// SO_BINDTODEVICE, and sent from in batches with sendmmsg, runs of equal
// datagrams cut up by the kernel (UDP segmentation offload).
#include "interface_socket.h"

#include <arpa/inet.h>
#include <net/if.h>
#include <netinet/udp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
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

// The most datagrams that one send hands to the system to cut up (the
// kernel's own limit), and the most bytes they may make together.
constexpr std::size_t kMaxSegments = 64;
constexpr std::size_t kMaxSegmentedBytes = 65000;
// Only datagrams that need no fragment of their own are cut up by the system:
// it refuses a larger segment.
constexpr std::size_t kMaxSegment = 1400;

// How many datagrams at the start of `datagrams` go to the same place with
// the same length, up to the bounds above: the system can send them as one
// and cut them up on their way, which costs it one pass through its layers
// instead of one per datagram. The receiver still gets each one alone.
std::size_t EqualRun(std::span<const Datagram> datagrams)
{
    const Datagram& first = datagrams.front();
    const std::size_t size = first.bytes->size();
    if (size == 0 || size > kMaxSegment)
        return 1;
    const std::size_t most = std::min({datagrams.size(), kMaxSegments, kMaxSegmentedBytes / size});
    std::size_t run = 1;
    while (run < most && datagrams[run].bytes->size() == size &&
           datagrams[run].to.address == first.to.address && datagrams[run].to.port == first.to.port)
        ++run;
    return run;
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

std::size_t InterfaceSocket::Send(std::span<const Datagram> datagrams, Segmentation segmentation)
{
    std::size_t sent = 0;
    mmsghdr messages[kBatch];
    iovec vectors[kBatch];
    sockaddr_in addresses[kBatch];
    // The datagrams that each message carries.
    std::size_t carried[kBatch];
    alignas(cmsghdr) std::array<char, CMSG_SPACE(sizeof(std::uint16_t))> controls[kBatch];
    while (sent < datagrams.size()) {
        const std::size_t count = std::min(kBatch, datagrams.size() - sent);
        std::size_t used = 0;
        for (std::size_t i = 0; i < count; ++i) {
            const Datagram& d = datagrams[sent + i];
            // sendmmsg takes non-const pointers but does not write through them.
            vectors[i].iov_base = const_cast<std::uint8_t*>(d.bytes->data());
            vectors[i].iov_len = d.bytes->size();
        }
        for (std::size_t i = 0; i < count; i += carried[used++]) {
            const Datagram& d = datagrams[sent + i];
            const std::size_t run = segmentation_ && segmentation == Segmentation::kAllowed
                                        ? EqualRun(datagrams.subspan(sent + i, count - i))
                                        : 1;
            carried[used] = run;
            mmsghdr& message = messages[used];
            message = {};
            addresses[used] = ToSockaddr(d.to);
            message.msg_hdr.msg_name = &addresses[used];
            message.msg_hdr.msg_namelen = sizeof addresses[used];
            message.msg_hdr.msg_iov = &vectors[i];
            message.msg_hdr.msg_iovlen = run;
            if (run > 1) {
                message.msg_hdr.msg_control = controls[used].data();
                message.msg_hdr.msg_controllen = controls[used].size();
                cmsghdr* control = CMSG_FIRSTHDR(&message.msg_hdr);
                control->cmsg_level = SOL_UDP;
                control->cmsg_type = UDP_SEGMENT;
                control->cmsg_len = CMSG_LEN(sizeof(std::uint16_t));
                const auto segment = static_cast<std::uint16_t>(d.bytes->size());
                std::memcpy(CMSG_DATA(control), &segment, sizeof segment);
            }
        }
        const int result = sendmmsg(Descriptor(handle_), messages, static_cast<unsigned>(used), 0);
        if (result > 0) {
            for (int m = 0; m < result; ++m)
                sent += carried[m];
            continue;
        }
        if (result < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == ENOBUFS)) {
            break;
        }
        if (result < 0 && errno == EINTR) {
            continue;
        }
        if (carried[0] > 1 && (errno == EINVAL || errno == EIO || errno == EOPNOTSUPP)) {
            // The system does not cut up a run here: every datagram goes
            // alone from now on.
            segmentation_ = false;
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
