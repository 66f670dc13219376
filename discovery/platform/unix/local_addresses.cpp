// SPDX-License-Identifier: Apache-2.0
// The host's IPv4 addresses on POSIX systems, from getifaddrs.
#include "platform/local_addresses.h"

#include <cerrno>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <new>

namespace ql5::platform {

Status ListInterfaceAddresses(std::vector<InterfaceAddress>& addresses) noexcept
{
    addresses.clear();
    ifaddrs* interfaces = nullptr;
    if (::getifaddrs(&interfaces) != 0)
        return Status::Failed(Failure::kListAddresses, SystemError{errno});
    Status status;
    try {
        for (const ifaddrs* entry = interfaces; entry != nullptr; entry = entry->ifa_next) {
            if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_INET)
                continue;
            const auto* address = reinterpret_cast<const sockaddr_in*>(entry->ifa_addr);
            const auto* mask = reinterpret_cast<const sockaddr_in*>(entry->ifa_netmask);
            addresses.push_back({entry->ifa_name, address->sin_addr.s_addr,
                                 mask != nullptr ? mask->sin_addr.s_addr : 0xFFFFFFFFU,
                                 (entry->ifa_flags & IFF_UP) != 0,
                                 (entry->ifa_flags & IFF_LOOPBACK) != 0});
        }
    } catch (const std::bad_alloc&) {
        addresses.clear();
        status = Status::Failed(Failure::kOutOfMemory);
    }
    ::freeifaddrs(interfaces);
    return status;
}

}  // namespace ql5::platform
