// SPDX-License-Identifier: Apache-2.0
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

std::string LocalInterfaces::NameOf(std::uint32_t networkOrderAddress) const
{
    const auto found = names_.find(networkOrderAddress);
    return found == names_.end() ? std::string() : found->second;
}

std::vector<std::uint32_t> LocalInterfaces::AddressesOf(const std::string& name) const
{
    std::vector<std::uint32_t> found;
    for (const auto& [interfaceName, address] : addresses_) {
        if (interfaceName == name)
            found.push_back(address);
    }
    return found;
}

}  // namespace ql5ctl
