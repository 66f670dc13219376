// SPDX-License-Identifier: Apache-2.0
// The interfaces by name ("eth1") on POSIX systems, from getifaddrs.
#include "local_interfaces.h"

#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sys/socket.h>

namespace ql5ctl {

LocalInterfaces::LocalInterfaces()
{
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0)
        return;  // without names the listing still shows the local address
    for (const ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
        if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_INET)
            continue;
        const auto* address = reinterpret_cast<const sockaddr_in*>(entry->ifa_addr);
        const auto* mask = reinterpret_cast<const sockaddr_in*>(entry->ifa_netmask);
        // The first interface that holds an address names it; an address held
        // twice is rare and either name is then true.
        names_.emplace(address->sin_addr.s_addr, entry->ifa_name);
        const bool searched =
            (entry->ifa_flags & IFF_UP) != 0 && (entry->ifa_flags & IFF_LOOPBACK) == 0;
        entries_.push_back({entry->ifa_name, address->sin_addr.s_addr,
                            mask != nullptr ? mask->sin_addr.s_addr : 0xFFFFFFFFu, searched});
    }
    freeifaddrs(list);
}

}  // namespace ql5ctl
