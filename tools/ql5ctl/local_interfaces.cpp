// SPDX-License-Identifier: Apache-2.0
#include "local_interfaces.h"

#include <ql5common/address_text.h>
#include <ql5common/converter_text.h>

#include <bit>

namespace ql5ctl {

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
