// SPDX-License-Identifier: Apache-2.0
#include "local_interfaces.h"

namespace ql5ctl {

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
