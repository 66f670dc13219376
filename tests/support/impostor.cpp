// SPDX-License-Identifier: Apache-2.0
#include "support/impostor.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

namespace ql5::lab {

namespace {

constexpr std::uint16_t kPort = 2362;
constexpr char kGroup[] = "224.0.5.128";

}  // namespace

bool Impostor::Start(const std::array<std::uint8_t, 6>& mac, const std::string& address)
{
    mac_ = mac;
    fd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd_ < 0)
        return false;
    const int one = 1;
    sockaddr_in bound{};
    bound.sin_family = AF_INET;
    bound.sin_port = htons(kPort);
    ip_mreq membership{};
    in_addr local{};
    if (::setsockopt(fd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one) != 0 ||
        ::bind(fd_, reinterpret_cast<const sockaddr*>(&bound), sizeof bound) != 0 ||
        ::inet_pton(AF_INET, address.c_str(), &local) != 1 ||
        ::inet_pton(AF_INET, kGroup, &membership.imr_multiaddr) != 1) {
        ::close(fd_);
        fd_ = -1;
        return false;
    }
    membership.imr_interface = local;
    if (::setsockopt(fd_, IPPROTO_IP, IP_ADD_MEMBERSHIP, &membership, sizeof membership) != 0) {
        ::close(fd_);
        fd_ = -1;
        return false;
    }
    thread_ = std::thread(&Impostor::Serve, this);
    return true;
}

void Impostor::Stop()
{
    stop_ = true;
    if (thread_.joinable())
        thread_.join();
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

void Impostor::Serve()
{
    std::vector<std::uint8_t> buffer(2048);
    while (!stop_) {
        pollfd watched{fd_, POLLIN, 0};
        if (::poll(&watched, 1, 50) <= 0)
            continue;
        sockaddr_in from{};
        socklen_t fromLength = sizeof from;
        const ssize_t size = ::recvfrom(fd_, buffer.data(), buffer.size(), 0,
                                        reinterpret_cast<sockaddr*>(&from), &fromLength);
        if (size < 8)
            continue;
        const int type = buffer[4] * 256 + buffer[5];
        if (type == 3 || type == 5 || type == 7) {
            ++commands_;
            continue;
        }
        // A discovery request: header, then the target MAC, which is this
        // MAC or, for a search, the broadcast MAC.
        const auto target = buffer.begin() + 8;
        const bool everyone = std::all_of(target, target + 6, [](auto b) { return b == 0xFF; });
        if (type != 1 || size < 14 || !(everyone || std::equal(mac_.begin(), mac_.end(), target)))
            continue;
        std::vector<std::uint8_t> reply = {0x44, 0x49, 0x47, 0x49,  // magic
                                           0x00, 0x02,              // discovery reply
                                           0x00, 0x08,              // payload length
                                           0x01, 0x06};             // field 1: MAC, 6 bytes
        reply.insert(reply.end(), mac_.begin(), mac_.end());
        if (::sendto(fd_, reply.data(), reply.size(), 0, reinterpret_cast<const sockaddr*>(&from),
                     fromLength) == static_cast<ssize_t>(reply.size()))
            ++answered_;
    }
}

}  // namespace ql5::lab
