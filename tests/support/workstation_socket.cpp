// SPDX-License-Identifier: Apache-2.0
#include "support/workstation_socket.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace ql5::lab {
namespace {

std::string Endpoint(const sockaddr_in& address)
{
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &address.sin_addr, text, sizeof text);
    return std::string(text) + ":" + std::to_string(ntohs(address.sin_port));
}

}  // namespace

WorkstationSocket::WorkstationSocket(const std::string& address, int receiveBuffer)
{
    in_addr local{};
    if (inet_pton(AF_INET, address.c_str(), &local) != 1) {
        error_ = "not an IPv4 address: '" + address + "'";
        return;
    }
    const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, IPPROTO_UDP);
    if (fd < 0) {
        error_ = std::string("socket: ") + std::strerror(errno);
        return;
    }
    sockaddr_in bound{};
    bound.sin_family = AF_INET;
    bound.sin_addr = local;
    const int ttl = 64;
    const char* step = nullptr;
    if (bind(fd, reinterpret_cast<const sockaddr*>(&bound), sizeof bound) != 0) {
        step = "bind";
    } else if (setsockopt(fd, IPPROTO_IP, IP_MULTICAST_IF, &local, sizeof local) != 0) {
        step = "IP_MULTICAST_IF";
    } else if (setsockopt(fd, IPPROTO_IP, IP_MULTICAST_TTL, &ttl, sizeof ttl) != 0) {
        step = "IP_MULTICAST_TTL";
    } else if (receiveBuffer > 0 && setsockopt(fd, SOL_SOCKET, SO_RCVBUFFORCE, &receiveBuffer,
                                               sizeof receiveBuffer) != 0) {
        step = "SO_RCVBUFFORCE";
    }
    if (step) {
        error_ = std::string(step) + ": " + std::strerror(errno);
        close(fd);
        return;
    }
    fd_ = fd;
}

WorkstationSocket::~WorkstationSocket()
{
    if (fd_ >= 0)
        close(fd_);
}

std::string WorkstationSocket::LocalEndpoint() const
{
    sockaddr_in local{};
    socklen_t length = sizeof local;
    if (fd_ < 0 || getsockname(fd_, reinterpret_cast<sockaddr*>(&local), &length) != 0) {
        return "";
    }
    return Endpoint(local);
}

int WorkstationSocket::ReceiveBuffer() const
{
    int size = 0;
    socklen_t length = sizeof size;
    getsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &size, &length);
    return size;
}

bool WorkstationSocket::SendToGroup(const std::uint8_t* bytes, std::size_t length)
{
    sockaddr_in group{};
    group.sin_family = AF_INET;
    group.sin_port = htons(2362);
    inet_pton(AF_INET, "224.0.5.128", &group.sin_addr);
    const ssize_t sent =
        sendto(fd_, bytes, length, 0, reinterpret_cast<const sockaddr*>(&group), sizeof group);
    return sent == static_cast<ssize_t>(length);
}

std::optional<SocketDatagram> WorkstationSocket::Receive(std::chrono::milliseconds timeout)
{
    pollfd watch{fd_, POLLIN, 0};
    if (fd_ < 0 || poll(&watch, 1, static_cast<int>(timeout.count())) <= 0) {
        return std::nullopt;
    }
    buffer_.resize(65536);  // any UDP datagram fits whole
    sockaddr_in from{};
    socklen_t length = sizeof from;
    const ssize_t n = recvfrom(fd_, buffer_.data(), buffer_.size(), 0,
                               reinterpret_cast<sockaddr*>(&from), &length);
    if (n < 0) {
        return std::nullopt;
    }
    return SocketDatagram{{buffer_.begin(), buffer_.begin() + n}, Endpoint(from)};
}

std::vector<SocketDatagram> WorkstationSocket::ReceiveUntilQuiet(std::chrono::milliseconds quiet)
{
    std::vector<SocketDatagram> out;
    while (auto datagram = Receive(quiet)) {
        out.push_back(std::move(*datagram));
    }
    return out;
}

}  // namespace ql5::lab
