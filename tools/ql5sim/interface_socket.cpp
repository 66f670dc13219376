// SPDX-License-Identifier: Apache-2.0
#include "interface_socket.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <net/if.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

#include "device_codec.h"

namespace ql5sim {
namespace {

// sendmmsg takes at most this many datagrams per call here; larger batches
// gain nothing and cost stack.
constexpr std::size_t kBatch = 256;
// A burst of ten thousand replies must not stall on the send buffer.
constexpr int kSendBuffer = 8 * 1024 * 1024;

[[noreturn]] void Fail(const std::string& interfaceName, const std::string& what)
{
    throw std::runtime_error(interfaceName + ": " + what + ": " + std::strerror(errno));
}

}  // namespace

InterfaceSocket InterfaceSocket::Open(const std::string& interfaceName)
{
    const unsigned index = if_nametoindex(interfaceName.c_str());
    if (index == 0) {
        Fail(interfaceName, "no such interface");
    }
    const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_UDP);
    if (fd < 0) {
        Fail(interfaceName, "socket");
    }
    InterfaceSocket result(fd, interfaceName);

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

InterfaceSocket::InterfaceSocket(InterfaceSocket&& other) noexcept
    : fd_(other.fd_), name_(std::move(other.name_))
{
    other.fd_ = -1;
}

InterfaceSocket& InterfaceSocket::operator=(InterfaceSocket&& other) noexcept
{
    if (this != &other) {
        if (fd_ >= 0)
            close(fd_);
        fd_ = other.fd_;
        name_ = std::move(other.name_);
        other.fd_ = -1;
    }
    return *this;
}

InterfaceSocket::~InterfaceSocket()
{
    if (fd_ >= 0)
        close(fd_);
}

std::size_t InterfaceSocket::Send(std::span<const Datagram> datagrams)
{
    std::size_t sent = 0;
    mmsghdr messages[kBatch];
    iovec vectors[kBatch];
    while (sent < datagrams.size()) {
        const std::size_t count = std::min(kBatch, datagrams.size() - sent);
        for (std::size_t i = 0; i < count; ++i) {
            const Datagram& d = datagrams[sent + i];
            // sendmmsg takes non-const pointers but does not write through them.
            vectors[i].iov_base = const_cast<std::uint8_t*>(d.bytes->data());
            vectors[i].iov_len = d.bytes->size();
            messages[i] = {};
            messages[i].msg_hdr.msg_name = const_cast<sockaddr_in*>(&d.to);
            messages[i].msg_hdr.msg_namelen = sizeof d.to;
            messages[i].msg_hdr.msg_iov = &vectors[i];
            messages[i].msg_hdr.msg_iovlen = 1;
        }
        const int result = sendmmsg(fd_, messages, static_cast<unsigned>(count), 0);
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

}  // namespace ql5sim
