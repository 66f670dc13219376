// SPDX-License-Identifier: Apache-2.0
#include "platform/local_subnets.h"

#include <cerrno>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <new>

namespace ql5::platform {

Status ListHostIpv4Subnets(std::vector<LocalSubnet>& subnets) noexcept
{
    subnets.clear();
    ifaddrs* interfaces = nullptr;
    if (::getifaddrs(&interfaces) != 0)
        return Status::Failed(Failure::kListAddresses, SystemError{errno});
    Status status;
    try {
        for (const ifaddrs* entry = interfaces; entry != nullptr; entry = entry->ifa_next) {
            if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_INET ||
                entry->ifa_netmask == nullptr)
                continue;
            if ((entry->ifa_flags & IFF_UP) == 0 || (entry->ifa_flags & IFF_LOOPBACK) != 0)
                continue;
            const auto* address = reinterpret_cast<const sockaddr_in*>(entry->ifa_addr);
            const auto* mask = reinterpret_cast<const sockaddr_in*>(entry->ifa_netmask);
            subnets.push_back(LocalSubnet{address->sin_addr.s_addr, mask->sin_addr.s_addr});
        }
    } catch (const std::bad_alloc&) {
        status = Status::Failed(Failure::kOutOfMemory);
    }
    ::freeifaddrs(interfaces);
    return status;
}

}  // namespace ql5::platform
