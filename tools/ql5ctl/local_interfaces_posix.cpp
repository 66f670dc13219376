// SPDX-License-Identifier: Apache-2.0
// The interfaces by name ("eth1") on POSIX systems, from getifaddrs.
#include "local_interfaces.h"

#include <ifaddrs.h>
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
        // The first interface that holds an address names it; an address held
        // twice is rare and either name is then true.
        names_.emplace(address->sin_addr.s_addr, entry->ifa_name);
        addresses_.emplace_back(entry->ifa_name, address->sin_addr.s_addr);
    }
    freeifaddrs(list);
}

}  // namespace ql5ctl
