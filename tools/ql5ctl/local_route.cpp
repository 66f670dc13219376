// SPDX-License-Identifier: Apache-2.0
#include "local_route.h"

#include "udp_sockets.h"

namespace ql5ctl {

namespace {

constexpr std::uint16_t kDiscoveryPort = 2362;

}  // namespace

std::uint32_t LocalAddressToward(std::uint32_t host)
{
    return ql5tools::LocalAddressToward(host, kDiscoveryPort);
}

}  // namespace ql5ctl
