// SPDX-License-Identifier: Apache-2.0
// Text forms of the values that fleet files and logs carry: MAC and IPv4
// addresses, hex byte strings and protocol magics.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "device_codec.h"

namespace ql5sim {

// "02:51:c5:01:02:03" (':' or '-' between octets, any case).
std::optional<MacAddress> ParseMac(std::string_view text);
std::string FormatMac(const MacAddress& mac);
std::optional<Ipv4Address> ParseIpv4(std::string_view text);
std::string FormatIpv4(const Ipv4Address& address);
// Hex digits, optionally separated by spaces or ':'.
std::optional<std::vector<std::uint8_t>> ParseHex(std::string_view text);
std::string FormatHex(std::span<const std::uint8_t> bytes);
// A magic written as a hexadecimal number ("0x44494749").
std::optional<std::uint32_t> ParseMagic(std::string_view text);

}  // namespace ql5sim
