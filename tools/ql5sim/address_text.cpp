// SPDX-License-Identifier: Apache-2.0
#include "address_text.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

namespace ql5sim {
namespace {

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

}  // namespace

std::optional<MacAddress> ParseMac(std::string_view text)
{
    // Exactly six pairs of hex digits with one separator between pairs.
    if (text.size() != 17) {
        return std::nullopt;
    }
    MacAddress mac{};
    for (std::size_t i = 0; i < 6; ++i) {
        const std::size_t at = i * 3;
        const int high = HexDigit(text[at]);
        const int low = HexDigit(text[at + 1]);
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        if (i < 5 && text[at + 2] != ':' && text[at + 2] != '-') {
            return std::nullopt;
        }
        mac[i] = static_cast<std::uint8_t>(high << 4 | low);
    }
    return mac;
}

std::string FormatMac(const MacAddress& mac)
{
    char text[18];
    std::snprintf(text, sizeof text, "%02x:%02x:%02x:%02x:%02x:%02x", mac[0], mac[1], mac[2],
                  mac[3], mac[4], mac[5]);
    return text;
}

// Dotted decimal as inet_pton takes it: four numbers of 0 to 255, without
// leading zeros. Parsed here, since Windows keeps inet_pton in its sockets
// library, which the codec has no other use for.
std::optional<Ipv4Address> ParseIpv4(std::string_view text)
{
    Ipv4Address out{};
    for (std::size_t i = 0; i < out.size(); ++i) {
        if (i > 0) {
            if (text.empty() || text.front() != '.')
                return std::nullopt;
            text.remove_prefix(1);
        }
        const std::size_t digits = std::min(text.find_first_not_of("0123456789"), text.size());
        unsigned value = 0;
        if (digits == 0 || digits > 3 || (digits > 1 && text.front() == '0'))
            return std::nullopt;
        std::from_chars(text.data(), text.data() + digits, value);
        if (value > 255)
            return std::nullopt;
        out[i] = static_cast<std::uint8_t>(value);
        text.remove_prefix(digits);
    }
    if (!text.empty())
        return std::nullopt;
    return out;
}

std::string FormatIpv4(const Ipv4Address& address)
{
    return std::to_string(address[0]) + "." + std::to_string(address[1]) + "." +
           std::to_string(address[2]) + "." + std::to_string(address[3]);
}

std::optional<std::vector<std::uint8_t>> ParseHex(std::string_view text)
{
    std::vector<std::uint8_t> out;
    int high = -1;
    for (const char c : text) {
        if (c == ' ' || c == ':') {
            if (high >= 0)
                return std::nullopt;  // a separator inside a byte
            continue;
        }
        const int digit = HexDigit(c);
        if (digit < 0) {
            return std::nullopt;
        }
        if (high < 0) {
            high = digit;
        } else {
            out.push_back(static_cast<std::uint8_t>(high << 4 | digit));
            high = -1;
        }
    }
    if (high >= 0) {
        return std::nullopt;
    }
    return out;
}

std::string FormatHex(std::span<const std::uint8_t> bytes)
{
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (const std::uint8_t byte : bytes) {
        out.push_back(kDigits[byte >> 4]);
        out.push_back(kDigits[byte & 0x0f]);
    }
    return out;
}

std::optional<std::uint32_t> ParseMagic(std::string_view text)
{
    if (text.size() > 2 && text.size() <= 10 && text[0] == '0' &&
        (text[1] == 'x' || text[1] == 'X')) {
        std::uint32_t magic = 0;
        for (const char c : text.substr(2)) {
            const int digit = HexDigit(c);
            if (digit < 0)
                return std::nullopt;
            magic = magic << 4 | static_cast<std::uint32_t>(digit);
        }
        return magic;
    }
    return std::nullopt;
}

}  // namespace ql5sim
