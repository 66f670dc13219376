// SPDX-License-Identifier: Apache-2.0
#include "local_interfaces.h"

#include <ql5/discovery.h>
#include <ql5common/address_text.h>
#include <ql5common/converter_text.h>

#include <bit>
#include <cstring>

namespace ql5ctl {

namespace {

// The client's list, asked again while interfaces come faster than it is read.
std::vector<LocalInterfaceAddress> ListedAddresses()
{
    std::vector<LocalInterfaceAddress> listed(8);
    for (int attempt = 0; attempt < 4; ++attempt) {
        const int32_t count =
            ListLocalAddresses(listed.data(), static_cast<uint32_t>(listed.size()));
        if (count < 0)
            return {};  // without names the listing still shows the local address
        if (static_cast<std::size_t>(count) <= listed.size()) {
            listed.resize(static_cast<std::size_t>(count));
            return listed;
        }
        listed.resize(static_cast<std::size_t>(count));
    }
    return {};
}

}  // namespace

LocalInterfaces::LocalInterfaces()
{
    for (const LocalInterfaceAddress& listed : ListedAddresses()) {
        const std::string name(listed.interfaceName,
                               strnlen(listed.interfaceName, sizeof listed.interfaceName));
        // The first interface that holds an address names it; an address held
        // twice is rare and either name is then true.
        names_.emplace(listed.address, name);
        // As the client takes them: up and not the loopback.
        const bool searched =
            (listed.flags & QL5_INTERFACE_UP) != 0 && (listed.flags & QL5_INTERFACE_LOOPBACK) == 0;
        entries_.push_back({name, listed.address, listed.subnetMask, searched});
    }
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
                std::to_string(std::popcount(entry.mask));
    }
    return text;
}

std::vector<ql5common::SearchedNetwork> LocalInterfaces::Searched() const
{
    std::vector<ql5common::SearchedNetwork> searched;
    for (const Entry& entry : entries_) {
        if (entry.searched)
            searched.push_back({entry.name, ql5common::FormatDottedDecimal(entry.address)});
    }
    return searched;
}

}  // namespace ql5ctl
