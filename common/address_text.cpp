// SPDX-License-Identifier: Apache-2.0
#include "ql5common/address_text.h"

#include <charconv>
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
    // Written digit by digit rather than through a format string: a long list
    // formats one MAC per row, and the format parser would cost more than
    // the digits.
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text(17, ':');
    for (std::size_t i = 0; i < 6; ++i) {
        text[i * 3] = kDigits[macAddress[i] >> 4];
        text[i * 3 + 1] = kDigits[macAddress[i] & 0x0f];
    }
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
    // As FormatMac: one address per row of a long list, without a format
    // string to parse each time.
    std::string text;
    text.reserve(15);
    for (std::size_t i = 0; i < 4; ++i) {
        if (i > 0)
            text.push_back('.');
        char digits[3];
        text.append(digits, std::to_chars(digits, digits + sizeof digits, octets[i]).ptr);
    }
    return text;
}

}  // namespace ql5common
