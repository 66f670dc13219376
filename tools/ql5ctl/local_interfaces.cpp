// SPDX-License-Identifier: Apache-2.0
#include "local_interfaces.h"

#include <ql5common/address_text.h>
#include <ql5common/converter_text.h>

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <bit>

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

std::string LocalInterfaces::NameOf(std::uint32_t networkOrderAddress) const
{
    const auto found = names_.find(networkOrderAddress);
    return found == names_.end() ? std::string() : found->second;
}

std::vector<std::uint32_t> LocalInterfaces::AddressesOf(const std::string& name) const
{
    std::vector<std::uint32_t> found;
    for (const Entry& entry : entries_) {
        if (entry.name == name)
            found.push_back(entry.address);
    }
    return found;
}

std::vector<ql5common::LocalNetwork> LocalInterfaces::Networks() const
{
    std::vector<ql5common::LocalNetwork> networks;
    for (const Entry& entry : entries_)
        networks.push_back({entry.address, entry.mask});
    return networks;
}

std::string LocalInterfaces::SearchedText() const
{
    std::string text;
    for (const Entry& entry : entries_) {
        if (!entry.searched)
            continue;
        const std::string name = ql5common::NeutralisedText(
            ql5common::DecodeConverterText(entry.name.data(), entry.name.size()));
        text += (text.empty() ? "" : ", ") + name + " " +
                ql5common::FormatDottedDecimal(entry.address) + "/" +
                std::to_string(std::popcount(ntohl(entry.mask)));
    }
    return text;
}

}  // namespace ql5ctl
