// SPDX-License-Identifier: Apache-2.0
// Text forms that fleet files use for addresses, raw fields and magics.
#include "ql5sim/address_text.h"

#include <gtest/gtest.h>

using namespace ql5sim;

TEST(AddressText, MacAcceptsColonsOrDashesInAnyCase)
{
    const MacAddress expected{0x02, 0x51, 0xc5, 0xab, 0xcd, 0xef};
    EXPECT_EQ(ParseMac("02:51:c5:ab:cd:ef"), expected);
    EXPECT_EQ(ParseMac("02-51-C5-AB-CD-EF"), expected);
    EXPECT_EQ(FormatMac(expected), "02:51:c5:ab:cd:ef");
    EXPECT_FALSE(ParseMac("02:51:c5:ab:cd").has_value());
    EXPECT_FALSE(ParseMac("02:51:c5:ab:cd:eg").has_value());
    EXPECT_FALSE(ParseMac("02.51.c5.ab.cd.ef").has_value());
}

TEST(AddressText, Ipv4KeepsNetworkOrder)
{
    EXPECT_EQ(ParseIpv4("198.51.100.20"), (Ipv4Address{198, 51, 100, 20}));
    EXPECT_EQ(FormatIpv4({203, 0, 113, 2}), "203.0.113.2");
    EXPECT_FALSE(ParseIpv4("198.51.100").has_value());
    EXPECT_FALSE(ParseIpv4("198.51.100.256").has_value());
    for (const char* refused : {"198.51.100.020", "198.51.100.2.", "198.51.100.2x", "198..100.2",
                                " 198.51.100.2", "198.51.100.1234", ""}) {
        EXPECT_FALSE(ParseIpv4(refused).has_value()) << refused;
    }
    EXPECT_EQ(ParseIpv4("0.0.0.0"), (Ipv4Address{0, 0, 0, 0}));
}

TEST(AddressText, HexAllowsSeparatorsOnlyBetweenBytes)
{
    EXPECT_EQ(ParseHex("00 15:0016"), (std::vector<std::uint8_t>{0x00, 0x15, 0x00, 0x16}));
    EXPECT_EQ(ParseHex(""), std::vector<std::uint8_t>{});
    EXPECT_FALSE(ParseHex("0 0").has_value());
    EXPECT_FALSE(ParseHex("abc").has_value());
    EXPECT_FALSE(ParseHex("zz").has_value());
    const std::vector<std::uint8_t> bytes{0x44, 0x49, 0x0a, 0xff};
    EXPECT_EQ(FormatHex(bytes), "44490aff");
}

TEST(AddressText, MagicOnlyAsHexNumber)
{
    EXPECT_EQ(ParseMagic("0x44494749"), 0x44494749u);
    EXPECT_EQ(ParseMagic("0x514c3521"), 0x514c3521u);
    EXPECT_FALSE(ParseMagic("QL5!").has_value()) << "four characters are not a magic";
    EXPECT_FALSE(ParseMagic("0x1234567890").has_value());
    EXPECT_FALSE(ParseMagic("0xabcg").has_value());
}
