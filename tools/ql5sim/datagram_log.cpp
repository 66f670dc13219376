// SPDX-License-Identifier: Apache-2.0
#include "datagram_log.h"

#include <nlohmann/json.hpp>

#include "address_text.h"

namespace ql5sim {

void DatagramLog::Record(double unixTime, const std::string& interfaceName, const Endpoint& from,
                         std::span<const std::uint8_t> bytes)
{
    if (fd_ < 0) {
        return;
    }
    const nlohmann::ordered_json line = {
        {"time", unixTime},
        {"interface", interfaceName},
        {"from", FormatEndpoint(from)},
        {"hex", FormatHex(bytes)},
    };
    Append(line.dump() + "\n");
}

std::string FormatEndpoint(const Endpoint& address)
{
    return FormatIpv4(address.address) + ":" + std::to_string(address.port);
}

}  // namespace ql5sim
