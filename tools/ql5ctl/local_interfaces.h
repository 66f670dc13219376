// SPDX-License-Identifier: Apache-2.0
// Names of the workstation's interfaces by IPv4 address, so that a listing can
// say on which network a converter answered ("eth1") and not only through
// which local address.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace ql5ctl {

class LocalInterfaces {
public:
    // Takes a snapshot of the interfaces and their IPv4 addresses.
    LocalInterfaces();

    // The interface that holds the address (network order), or "".
    std::string NameOf(std::uint32_t networkOrderAddress) const;

    // The IPv4 addresses (network order) of the interface with this name, in
    // the order the system lists them; none for an unknown name.
    std::vector<std::uint32_t> AddressesOf(const std::string& name) const;

private:
    std::map<std::uint32_t, std::string> names_;
    std::vector<std::pair<std::string, std::uint32_t>> addresses_;
};

}  // namespace ql5ctl
