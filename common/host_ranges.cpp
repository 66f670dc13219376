// SPDX-License-Identifier: Apache-2.0
#include "ql5common/host_ranges.h"

#include "ql5common/address_text.h"

#include <charconv>

namespace ql5common {

namespace {

std::uint32_t ToHostOrder(std::uint32_t networkOrder)
{
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(&networkOrder);
    return (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) |
           (std::uint32_t{bytes[2]} << 8) | bytes[3];
}

std::uint32_t ToNetworkOrder(std::uint32_t hostOrder)
{
    std::uint32_t result = 0;
    auto* bytes = reinterpret_cast<std::uint8_t*>(&result);
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<std::uint8_t>(hostOrder >> (24 - 8 * i));
    return result;
}

// 0.0.0.0/8 names this host's own network, and 224.0.0.0 and above are
// multicast, reserved and broadcast: none is a converter to ask by unicast.
bool IsUnicast(std::uint32_t hostOrder)
{
    const std::uint32_t firstOctet = hostOrder >> 24;
    return firstOctet != 0 && firstOctet < 224;
}

}  // namespace

std::optional<std::uint32_t> ParseHostAddress(std::string_view text)
{
    const auto address = ParseDottedDecimal(text);
    if (!address || !IsUnicast(ToHostOrder(*address)))
        return std::nullopt;
    return address;
}

std::optional<std::string> AddHosts(std::string_view text, std::vector<std::uint32_t>& hosts)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    const std::size_t slash = text.find('/');
    const auto address = ParseDottedDecimal(text.substr(0, slash));
    unsigned prefix = 32;
    if (slash != std::string_view::npos) {
        const std::string_view digits = text.substr(slash + 1);
        const auto [end, error] =
            std::from_chars(digits.data(), digits.data() + digits.size(), prefix);
        if (digits.empty() || error != std::errc() || end != digits.data() + digits.size() ||
            prefix > 32)
            prefix = 33;
    }
    if (!address || prefix > 32) {
        return "not an IPv4 address like 10.1.2.3 or a range like 10.1.5.0/28";
    }
    if (prefix < 16)
        return "more than a /16 (65536 addresses), the most that is asked";
    const std::uint32_t size = std::uint32_t{1} << (32 - prefix);
    const std::uint32_t first = ToHostOrder(*address) & ~(size - 1);
    if (!IsUnicast(first))
        return "not a unicast address";
    // A /31 and a /32 have no network or broadcast address of their own.
    const std::uint32_t skipped = prefix <= 30 ? 1 : 0;
    const std::size_t count = size - 2 * skipped;
    if (hosts.size() + count > kMostHosts) {
        return "with the other addresses more than 65536 (a /16), the most that is asked";
    }
    for (std::uint32_t offset = skipped; offset < size - skipped; ++offset)
        hosts.push_back(ToNetworkOrder(first + offset));
    return std::nullopt;
}

}  // namespace ql5common
