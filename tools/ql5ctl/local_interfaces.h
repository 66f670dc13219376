// Names of the workstation's interfaces by IPv4 address, so that a listing can
// say on which network a converter answered ("eth1") and not only through
// which local address.
#pragma once

#include <cstdint>
#include <map>
#include <string>

namespace ql5ctl {

class LocalInterfaces {
public:
    // Takes a snapshot of the interfaces and their IPv4 addresses.
    LocalInterfaces();

    // The interface that holds the address (network order), or "".
    std::string NameOf(std::uint32_t networkOrderAddress) const;

private:
    std::map<std::uint32_t, std::string> names_;
};

}  // namespace ql5ctl
