// SPDX-License-Identifier: Apache-2.0
// The workstation's interfaces and their IPv4 addresses, so that a listing
// can say on which network a converter answered ("eth1") and not only through
// which local address, check the converters' addresses against the local
// networks, and say where it searched when it found nothing.
#pragma once

#include <ql5common/conflicts.h>
#include <ql5common/prometheus_text.h>

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

    // Every IPv4 address of this computer with its mask.
    std::vector<ql5common::LocalNetwork> Networks() const;

    // The networks that discovery searches (interfaces that are up, not the
    // loopback), as "eth0 198.51.100.1/24, eth1 203.0.113.1/24"; empty when
    // there are none.
    std::string SearchedText() const;

    // The same networks, each as its interface's name and local address.
    std::vector<ql5common::SearchedNetwork> Searched() const;

private:
    struct Entry {
        std::string name;
        std::uint32_t address;
        std::uint32_t mask;
        bool searched;  // up and not the loopback, as the client takes them
    };
    std::map<std::uint32_t, std::string> names_;
    std::vector<Entry> entries_;
};

}  // namespace ql5ctl
