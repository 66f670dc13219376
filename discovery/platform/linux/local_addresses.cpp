// SPDX-License-Identifier: Apache-2.0
// The host's IPv4 addresses on Linux, from the SIOCGIFCONF, SIOCGIFFLAGS and
// SIOCGIFNETMASK requests. getifaddrs (platform/unix) dumps every link with
// its statistics and then every address over netlink, which made it the
// largest part of a sweep's start: well over 100 microseconds before the
// request could leave, against a few tens here. SIOCGIFCONF lists exactly the
// configured IPv4 addresses, each with its interface (or alias label), in the
// kernel's interface order.
#include "platform/local_addresses.h"

#include <cerrno>
#include <net/if.h>
#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <new>

namespace ql5::platform {

namespace {

// The socket the interface requests go through, closed on every path.
class RequestSocket {
public:
    RequestSocket() : socket_(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0)) {}
    ~RequestSocket()
    {
        if (socket_ >= 0)
            ::close(socket_);
    }
    RequestSocket(const RequestSocket&) = delete;
    RequestSocket& operator=(const RequestSocket&) = delete;

    bool Ok() const { return socket_ >= 0; }
    int Get() const { return socket_; }

private:
    int socket_;
};

Status Failed()
{
    return Status::Failed(Failure::kListAddresses, SystemError{errno});
}

std::uint32_t AddressIn(const sockaddr& address)
{
    sockaddr_in in{};
    std::memcpy(&in, &address, sizeof in);
    return in.sin_addr.s_addr;
}

}  // namespace

Status ListInterfaceAddresses(std::vector<InterfaceAddress>& addresses) noexcept
{
    addresses.clear();
    RequestSocket socket;
    if (!socket.Ok())
        return Failed();
    try {
        std::vector<ifreq> requests;
        ifconf list{};
        // Without a buffer the kernel says how much room the list needs. An
        // address added between the two calls is cut off, as one added just
        // after them would be missed.
        list.ifc_req = nullptr;
        if (::ioctl(socket.Get(), SIOCGIFCONF, &list) != 0)
            return Failed();
        requests.resize(static_cast<std::size_t>(list.ifc_len) / sizeof(ifreq) + 1);
        list.ifc_len = static_cast<int>(requests.size() * sizeof(ifreq));
        list.ifc_req = requests.data();
        if (::ioctl(socket.Get(), SIOCGIFCONF, &list) != 0)
            return Failed();
        requests.resize(static_cast<std::size_t>(list.ifc_len) / sizeof(ifreq));
        for (const ifreq& request : requests) {
            if (request.ifr_addr.sa_family != AF_INET)
                continue;
            // Each answer replaces the address in the request, so each asks
            // with a copy; an interface removed since the list was read is
            // simply left out.
            ifreq flagsRequest = request;
            if (::ioctl(socket.Get(), SIOCGIFFLAGS, &flagsRequest) != 0)
                continue;
            const auto flags =
                static_cast<unsigned>(static_cast<unsigned short>(flagsRequest.ifr_flags));
            ifreq maskRequest = request;
            const std::uint32_t mask = ::ioctl(socket.Get(), SIOCGIFNETMASK, &maskRequest) == 0
                                           ? AddressIn(maskRequest.ifr_netmask)
                                           : 0xFFFFFFFFU;
            addresses.push_back({std::string(request.ifr_name, strnlen(request.ifr_name, IFNAMSIZ)),
                                 AddressIn(request.ifr_addr), mask, (flags & IFF_UP) != 0,
                                 (flags & IFF_LOOPBACK) != 0});
        }
    } catch (const std::bad_alloc&) {
        addresses.clear();
        return Status::Failed(Failure::kOutOfMemory);
    }
    return {};
}

}  // namespace ql5::platform
