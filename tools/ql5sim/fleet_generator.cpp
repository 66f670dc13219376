// SPDX-License-Identifier: Apache-2.0
#include <algorithm>

#include "address_text.h"
#include "fleet_reading.h"

namespace ql5sim::fleet_reading {

// Expands {"count": N, "macPrefix": ..., "firstIp": ..., "namePrefix": ...,
// "template": {...}} into N converters with consecutive MACs and addresses.
void GenerateConverters(const json& value, const std::string& where, std::vector<Converter>& out)
{
    CheckKeys(value, where, {"count", "macPrefix", "firstIp", "namePrefix", "template"});
    if (!value.contains("count")) {
        Fail(where, "needs a \"count\"");
    }
    const auto count =
        static_cast<std::uint64_t>(Integer(value["count"], where + ".count", 0, 1'000'000));

    std::vector<std::uint8_t> prefix{0x02, 0x51, 0xc5};
    if (value.contains("macPrefix")) {
        const auto bytes = ParseHex(String(value["macPrefix"], where + ".macPrefix"));
        if (!bytes || bytes->empty() || bytes->size() > 5) {
            Fail(where + ".macPrefix", "must be 1 to 5 hex bytes like \"02:51:c5\"");
        }
        prefix = *bytes;
    }
    const std::size_t suffixBits = 8 * (6 - prefix.size());
    if (suffixBits < 64 && count >= (std::uint64_t{1} << suffixBits)) {
        Fail(where, "count does not fit in the MAC addresses after the prefix");
    }

    Ipv4Address firstIp{198, 18, 0, 1};
    if (value.contains("firstIp")) {
        firstIp = Ipv4(value["firstIp"], where + ".firstIp");
    }
    const std::uint32_t ipBase = static_cast<std::uint32_t>(firstIp[0]) << 24 |
                                 static_cast<std::uint32_t>(firstIp[1]) << 16 |
                                 static_cast<std::uint32_t>(firstIp[2]) << 8 | firstIp[3];
    if (count > 0 && std::uint64_t{ipBase} + count - 1 > 0xffffffffULL) {
        Fail(where, "count runs past the last IPv4 address");
    }

    std::optional<std::string> namePrefix;
    if (value.contains("namePrefix")) {
        namePrefix = String(value["namePrefix"], where + ".namePrefix");
    }
    Converter model;
    if (value.contains("template")) {
        if (value["template"].is_object() && value["template"].contains("mac")) {
            Fail(where + ".template", "must not name a \"mac\"");
        }
        model = ParseConverterBody(value["template"], where + ".template");
    }

    out.reserve(out.size() + count);
    for (std::uint64_t i = 0; i < count; ++i) {
        Converter c = model;
        std::copy(prefix.begin(), prefix.end(), c.mac.begin());
        const std::uint64_t index = i + 1;  // never all zero bits after the prefix
        for (std::size_t b = prefix.size(); b < 6; ++b) {
            c.mac[b] = static_cast<std::uint8_t>(index >> (8 * (5 - b)));
        }
        const auto ip = static_cast<std::uint32_t>(ipBase + i);
        c.ip = Ipv4Address{static_cast<std::uint8_t>(ip >> 24), static_cast<std::uint8_t>(ip >> 16),
                           static_cast<std::uint8_t>(ip >> 8), static_cast<std::uint8_t>(ip)};
        if (namePrefix) {
            c.name = *namePrefix + std::to_string(index);
            if (c.name->size() > 255)
                Fail(where + ".namePrefix", "makes names longer than 255 bytes");
        }
        out.push_back(std::move(c));
    }
}

}  // namespace ql5sim::fleet_reading
