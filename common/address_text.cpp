// SPDX-License-Identifier: Apache-2.0
#include "ql5common/address_text.h"

#include <cstdio>
#include <cstring>

namespace ql5common {

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
    // The length alone tells the three forms apart: 17 characters with a
    // separator after every byte but the last, or 12 digits without any.
    std::size_t stride;
    char separator = 0;
    if (text.size() == 17) {
        stride = 3;
        separator = text[2];
        if (separator != ':' && separator != '-')
            return std::nullopt;
    } else if (text.size() == 12) {
        stride = 2;
    } else {
        return std::nullopt;
    }

    MacAddress mac{};
    for (std::size_t i = 0; i < mac.size(); ++i) {
        const std::size_t at = i * stride;
        const int high = HexDigit(text[at]);
        const int low = HexDigit(text[at + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        if (separator != 0 && i + 1 < mac.size() && text[at + 2] != separator)
            return std::nullopt;
        mac[i] = static_cast<std::uint8_t>(high * 16 + low);
    }
    return mac;
}

std::string FormatMac(const std::uint8_t macAddress[6])
{
    char text[18];
    std::snprintf(text, sizeof text, "%02x:%02x:%02x:%02x:%02x:%02x", macAddress[0], macAddress[1],
                  macAddress[2], macAddress[3], macAddress[4], macAddress[5]);
    return text;
}

std::optional<std::uint32_t> ParseDottedDecimal(std::string_view text)
{
    std::uint8_t octets[4];
    std::size_t at = 0;
    for (int i = 0; i < 4; ++i) {
        if (i > 0) {
            if (at >= text.size() || text[at] != '.')
                return std::nullopt;
            ++at;
        }
        // One to three digits; a leading zero only as the octet "0" itself.
        const std::size_t start = at;
        unsigned value = 0;
        while (at < text.size() && at - start < 3 && text[at] >= '0' && text[at] <= '9')
            value = value * 10 + static_cast<unsigned>(text[at++] - '0');
        const std::size_t digits = at - start;
        if (digits == 0 || value > 255 || (digits > 1 && text[start] == '0'))
            return std::nullopt;
        octets[i] = static_cast<std::uint8_t>(value);
    }
    if (at != text.size())
        return std::nullopt;
    std::uint32_t address;
    std::memcpy(&address, octets, sizeof address);
    return address;
}

std::string FormatDottedDecimal(std::uint32_t networkOrderAddress)
{
    std::uint8_t octets[4];
    std::memcpy(octets, &networkOrderAddress, sizeof octets);
    char text[16];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", octets[0], octets[1], octets[2], octets[3]);
    return text;
}

}  // namespace ql5common
