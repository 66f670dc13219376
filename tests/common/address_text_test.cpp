// SPDX-License-Identifier: Apache-2.0
// MAC and IPv4 addresses as text: the forms accepted and the one form shown.
#include <ql5common/address_text.h>

#include <gtest/gtest.h>

#include <cstring>

using namespace ql5common;

namespace {

std::uint32_t NetworkOrder(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t d)
{
    const std::uint8_t octets[4] = {a, b, c, d};
    std::uint32_t value;
    std::memcpy(&value, octets, sizeof value);
    return value;
}

}  // namespace

TEST(AddressText, ParseMacAcceptsTheThreeFormsInEitherCase)
{
    const MacAddress expected{0x02, 0x51, 0xc5, 0x01, 0x02, 0x0a};
    for (std::string_view text : {"02:51:c5:01:02:0a", "02-51-C5-01-02-0A", "0251c501020A",
                                  "02:51:C5:01:02:0a", "0251C501020a"}) {
        const auto mac = ParseMac(text);
        ASSERT_TRUE(mac.has_value()) << text;
        EXPECT_EQ(*mac, expected) << text;
    }
}

TEST(AddressText, ParseMacRefusesEverythingElse)
{
    for (std::string_view bad : {
             "02:51:c5:01:02",        // five bytes
             "02:51:c5:01:02:0a:0b",  // seven bytes
             "02:51-c5:01:02:0a",     // mixed separators
             "02.51.c5.01.02.0a",     // another separator
             "2:51:c5:01:02:0a0",     // right length, misplaced separator
             "0251c501020",           // eleven digits
             "0251c501020a0",         // thirteen digits
             "0251c501020g",          // not hexadecimal
             "02:51:c5:01:02:0g",
             " 02:51:c5:01:02:0",  // a space counts as a character
             "",
         })
        EXPECT_FALSE(ParseMac(bad).has_value()) << bad;
}

TEST(AddressText, FormatMacUsesLowerCaseHexWithLeadingZeros)
{
    const struct {
        MacAddress mac;
        const char* text;
    } rows[] = {
        {{0x02, 0x51, 0xc5, 0x0a, 0x0b, 0x0c}, "02:51:c5:0a:0b:0c"},
        {{0xff, 0xff, 0xff, 0xff, 0xff, 0xff}, "ff:ff:ff:ff:ff:ff"},
        {{0x02, 0x03, 0x04, 0x05, 0x06, 0x07}, "02:03:04:05:06:07"},
        {{0x02, 0xcd, 0xef, 0xAB, 0xCD, 0xEF}, "02:cd:ef:ab:cd:ef"},
        {{0x00, 0x00, 0x00, 0x00, 0x00, 0x00}, "00:00:00:00:00:00"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(FormatMac(row.mac.data()), row.text);
        EXPECT_EQ(ParseMac(row.text), row.mac) << row.text;
    }
}

TEST(AddressText, DottedDecimalIsFourOctetsInNetworkOrder)
{
    const struct {
        const char* text;
        std::uint32_t address;
    } rows[] = {
        {"192.168.1.10", NetworkOrder(192, 168, 1, 10)},
        {"10.0.0.1", NetworkOrder(10, 0, 0, 1)},
        {"0.0.0.0", 0},
        {"255.255.255.0", NetworkOrder(255, 255, 255, 0)},
        {"198.51.100.200", NetworkOrder(198, 51, 100, 200)},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(FormatDottedDecimal(row.address), row.text);
        EXPECT_EQ(ParseDottedDecimal(row.text), row.address) << row.text;
    }
}

TEST(AddressText, ParseDottedDecimalRefusesWhatIsNotFourDecimalOctets)
{
    for (std::string_view bad :
         {"192.168.1", "192.168.1.256", "192.168.1.10.", "192.168.01.10", "192.168.1.1a",
          " 192.168.1.10", "1.2.3.-4", "0x1.2.3.4", "1..2.3", "1.2.3.4.5", "1000.2.3.4", ""})
        EXPECT_FALSE(ParseDottedDecimal(bad).has_value()) << bad;
}
