// SPDX-License-Identifier: Apache-2.0
// MAC and IPv4 addresses as text: the forms that users type and the one form
// in which every window and every output shows them.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ql5common {

using MacAddress = std::array<std::uint8_t, 6>;

// Accepts "02:51:c5:01:02:03", "02-51-C5-01-02-03" and "0251c5010203": two
// hexadecimal digits per byte in either case, with one separator used
// throughout or none at all.
std::optional<MacAddress> ParseMac(std::string_view text);

// "%02x:%02x:%02x:%02x:%02x:%02x": the six bytes in wire order, lower-case
// digits, leading zeros kept.
std::string FormatMac(const std::uint8_t macAddress[6]);

// Four decimal octets 0 to 255 such as "198.51.100.10", without leading zeros
// (other tools read "010" as octal). The result holds the octets in network
// order (first octet in the lowest address byte), which is how the discovery
// client takes and gives addresses.
std::optional<std::uint32_t> ParseDottedDecimal(std::string_view text);

// An address held in network order as four decimal octets, first octet first,
// no leading zeros.
std::string FormatDottedDecimal(std::uint32_t networkOrderAddress);

}  // namespace ql5common
