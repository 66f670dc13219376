#include "bare_socket.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>

namespace ql5::bench {

namespace {

constexpr std::size_t kBatch = 64;
constexpr std::size_t kDatagramCapacity = 1456;
constexpr char kGroup[] = "224.0.5.128";
constexpr std::uint16_t kPort = 2362;

}  // namespace

BareSocket::BareSocket(const std::string& address, int receiveBuffer)
{
    in_addr local{};
    if (inet_pton(AF_INET, address.c_str(), &local) != 1) {
        error_ = "not an IPv4 address: " + address;
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
    if (bind(fd, reinterpret_cast<const sockaddr*>(&bound), sizeof bound) != 0)
        step = "bind";
    else if (setsockopt(fd, IPPROTO_IP, IP_MULTICAST_IF, &local, sizeof local) != 0)
        step = "IP_MULTICAST_IF";
    else if (setsockopt(fd, IPPROTO_IP, IP_MULTICAST_TTL, &ttl, sizeof ttl) != 0)
        step = "IP_MULTICAST_TTL";
    else if (receiveBuffer > 0 &&
             setsockopt(fd, SOL_SOCKET, SO_RCVBUFFORCE, &receiveBuffer, sizeof receiveBuffer) != 0)
        step = "SO_RCVBUFFORCE";
    if (step != nullptr) {
        error_ = std::string(step) + ": " + std::strerror(errno);
        close(fd);
        return;
    }
    fd_ = fd;
}

BareSocket::~BareSocket()
{
    if (fd_ >= 0)
        close(fd_);
}

int BareSocket::ReceiveBuffer() const
{
    int size = 0;
    socklen_t length = sizeof size;
    getsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &size, &length);
    return size;
}

bool BareSocket::SendToGroup(const std::uint8_t* bytes, std::size_t length)
{
    sockaddr_in group{};
    group.sin_family = AF_INET;
    group.sin_port = htons(kPort);
    inet_pton(AF_INET, kGroup, &group.sin_addr);
    const auto sent = sendto(fd_, bytes, length, 0, reinterpret_cast<const sockaddr*>(&group),
                             sizeof group);
    return sent == static_cast<ssize_t>(length);
}

bool ReplyMac(const std::uint8_t* datagram, std::size_t length, std::uint16_t type,
              std::uint64_t* key)
{
    // header: magic (4), type (2), payload length (2); then code 1, length 6
    if (length < 16 || std::memcmp(datagram, "DIGI", 4) != 0)
        return false;
    if (((datagram[4] << 8) | datagram[5]) != type || datagram[8] != 1 || datagram[9] != 6)
        return false;
    *key = MacKey(datagram + 10);
    return true;
}

BareSocket::Burst BareSocket::DrainBurst(std::size_t expected, Clock::duration quiet)
{
    static std::array<std::array<std::uint8_t, kDatagramCapacity>, kBatch> buffers;
    std::array<iovec, kBatch> vectors{};
    std::array<mmsghdr, kBatch> messages{};
    Burst burst;
    burst.macs.reserve(expected);
    auto lastActivity = Clock::now();
    while (burst.macs.size() < expected) {
        for (std::size_t i = 0; i < kBatch; ++i) {
            vectors[i] = iovec{buffers[i].data(), buffers[i].size()};
            messages[i] = mmsghdr{};
            messages[i].msg_hdr.msg_iov = &vectors[i];
            messages[i].msg_hdr.msg_iovlen = 1;
        }
        const int count = recvmmsg(fd_, messages.data(), kBatch, MSG_DONTWAIT, nullptr);
        const auto now = Clock::now();
        if (count <= 0) {
            if (now - lastActivity > quiet)
                break;
            continue;
        }
        lastActivity = now;
        if (burst.datagrams == 0)
            burst.first = now;
        burst.last = now;
        burst.lastCpuSeconds = ProcessCpuSeconds();
        burst.datagrams += static_cast<std::size_t>(count);
        for (int i = 0; i < count; ++i) {
            std::uint64_t key = 0;
            if (ReplyMac(buffers[i].data(), messages[i].msg_len, 2, &key))
                burst.macs.insert(key);
        }
    }
    return burst;
}

bool BareSocket::AwaitReply(std::uint16_t type, const std::uint8_t* mac, Clock::duration timeout)
{
    const auto deadline = Clock::now() + timeout;
    const std::uint64_t wanted = MacKey(mac);
    std::array<std::uint8_t, kDatagramCapacity> buffer{};
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0)
            return false;
        pollfd watched{fd_, POLLIN, 0};
        if (poll(&watched, 1, static_cast<int>(left.count())) <= 0)
            continue;
        const auto received = recv(fd_, buffer.data(), buffer.size(), 0);
        std::uint64_t key = 0;
        if (received > 0 && ReplyMac(buffer.data(), static_cast<std::size_t>(received), type, &key) &&
            key == wanted)
            return true;
    }
}

void BareSocket::Discard()
{
    std::array<std::uint8_t, kDatagramCapacity> buffer{};
    while (recv(fd_, buffer.data(), buffer.size(), MSG_DONTWAIT) >= 0) {
    }
}

}  // namespace ql5::bench
