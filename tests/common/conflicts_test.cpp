// SPDX-License-Identifier: Apache-2.0
// The conflict rules, one table row per case: which warnings a converter gets
// among its neighbours and this workstation's own networks.
#include <ql5common/address_text.h>
#include <ql5common/conflicts.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace ql5common;

namespace {

std::uint32_t A(const char* text)
{
    return ParseDottedDecimal(text).value();
}

ConverterAddressing Converter(std::uint8_t last, const char* local, const char* ip,
                              const char* mask = "255.255.255.0", const char* gateway = "0.0.0.0",
                              const char* source = "0.0.0.0")
{
    ConverterAddressing c;
    c.sourceAddress = A(source);
    c.mac = {0x02, 0x51, 0xc5, 0x00, 0x00, last};
    c.localAddress = A(local);
    c.ip = A(ip);
    c.mask = A(mask);
    c.gateway = A(gateway);
    return c;
}

// The workstation: 198.51.100.1/24 on one network, 203.0.113.1/24 on another.
const std::vector<LocalNetwork> kNetworks = {{A("198.51.100.1"), A("255.255.255.0")},
                                             {A("203.0.113.1"), A("255.255.255.0")}};

std::string Keys(const std::vector<Conflict>& conflicts)
{
    std::string keys;
    for (const Conflict& conflict : conflicts)
        keys += (keys.empty() ? "" : " ") + std::string(ConflictKey(conflict.kind));
    return keys;
}

struct Row {
    const char* name;
    std::vector<ConverterAddressing> converters;
    std::vector<std::string> expected;  // the keys of each converter's warnings
};

}  // namespace

TEST(Conflicts, FindConflictsAppliesEachRule)
{
    const Row rows[] = {
        {"no conflict",
         {Converter(1, "198.51.100.1", "198.51.100.10", "255.255.255.0", "198.51.100.254"),
          Converter(2, "198.51.100.1", "198.51.100.11")},
         {"", ""}},
        {"two converters with one IP on one network",
         {Converter(1, "198.51.100.1", "198.51.100.10"),
          Converter(2, "198.51.100.1", "198.51.100.10"),
          Converter(3, "198.51.100.1", "198.51.100.11")},
         {"duplicate-ip", "duplicate-ip", ""}},
        {"the same IP on two different networks is no duplicate",
         {Converter(1, "198.51.100.1", "198.51.100.10"),
          Converter(2, "203.0.113.1", "198.51.100.10")},
         {"", "unreachable-subnet"}},
        {"a converter with the workstation's own address",
         {Converter(1, "198.51.100.1", "198.51.100.1")},
         {"duplicate-ip"}},
        {"the workstation's address on another network is no duplicate",
         {Converter(1, "198.51.100.1", "203.0.113.1")},
         {"unreachable-subnet"}},
        {"a foreign subnet",
         {Converter(1, "198.51.100.1", "192.0.2.7", "255.255.255.0", "192.0.2.1")},
         {"unreachable-subnet"}},
        {"a gateway outside its own subnet",
         {Converter(1, "198.51.100.1", "198.51.100.10", "255.255.255.128", "198.51.100.254")},
         {"gateway-outside-subnet"}},
        {"a converter without an address gets neither duplicate nor subnet warnings",
         {Converter(1, "198.51.100.1", "0.0.0.0"), Converter(2, "198.51.100.1", "0.0.0.0")},
         {"", ""}},
        {"an unknown local address cannot be judged for its subnet",
         {Converter(1, "192.0.2.99", "10.0.0.5")},
         {""}},
        {"one converter heard on two networks is not its own duplicate",
         {Converter(1, "198.51.100.1", "198.51.100.10"),
          Converter(1, "198.51.100.1", "198.51.100.10")},
         {"", ""}},
        {"one MAC from two sources: another host may answer for it",
         {Converter(1, "198.51.100.1", "198.51.100.10", "255.255.255.0", "0.0.0.0",
                    "198.51.100.10"),
          Converter(1, "198.51.100.1", "198.51.100.10", "255.255.255.0", "0.0.0.0",
                    "198.51.100.66"),
          Converter(2, "198.51.100.1", "198.51.100.11", "255.255.255.0", "0.0.0.0",
                    "198.51.100.11")},
         {"several-sources", "several-sources", ""}},
        {"one source heard on two networks, or an unknown source, is no conflict",
         {Converter(1, "198.51.100.1", "198.51.100.10", "255.255.255.0", "0.0.0.0",
                    "198.51.100.10"),
          Converter(1, "203.0.113.1", "198.51.100.10", "255.255.255.0", "0.0.0.0", "198.51.100.10"),
          Converter(1, "198.51.100.1", "198.51.100.10")},
         {"", "unreachable-subnet", ""}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const auto found = FindConflicts(row.converters, kNetworks);
        ASSERT_EQ(found.size(), row.expected.size());
        for (std::size_t i = 0; i < found.size(); ++i)
            EXPECT_EQ(Keys(found[i]), row.expected[i]) << "converter " << i;
    }
}

TEST(Conflicts, TextsNameTheOtherParty)
{
    const std::vector<ConverterAddressing> fleet = {
        Converter(1, "198.51.100.1", "198.51.100.10"),
        Converter(2, "198.51.100.1", "198.51.100.10"),
        Converter(3, "198.51.100.1", "198.51.100.10"),
        Converter(4, "198.51.100.1", "192.0.2.7", "255.255.255.0", "192.0.3.1")};
    const auto found = FindConflicts(fleet, kNetworks);
    ASSERT_EQ(found[0].size(), 1u);
    EXPECT_EQ(ConflictText(found[0][0]),
              "Converter 02:51:c5:00:00:02 and 1 more report the same IP address 198.51.100.10 "
              "on this network.");
    ASSERT_EQ(found[3].size(), 2u);
    EXPECT_EQ(ConflictText(found[3][0]),
              "IP address 192.0.2.7 is outside the local network 198.51.100.0/24, so its web "
              "interface cannot open from here.");
    EXPECT_EQ(ConflictText(found[3][1]),
              "Gateway 192.0.3.1 is outside the converter's own subnet 192.0.2.0/24.");
}

TEST(Conflicts, EachDuplicateNamesTheFirstOtherInListOrder)
{
    // MACs ...:05, ...:03, ...:05, ...:09 on one address, the first of them
    // heard from a second source as well.
    const std::vector<ConverterAddressing> fleet = {
        Converter(5, "198.51.100.1", "198.51.100.10", "255.255.255.0", "0.0.0.0", "198.51.100.10"),
        Converter(3, "198.51.100.1", "198.51.100.10"),
        Converter(5, "198.51.100.1", "198.51.100.10", "255.255.255.0", "0.0.0.0", "198.51.100.66"),
        Converter(9, "198.51.100.1", "198.51.100.10")};
    const struct {
        std::size_t others;
        std::uint8_t otherMac;
        std::uint32_t elsewhere;
    } expected[] = {{2, 3, A("198.51.100.66")}, {3, 5, 0}, {2, 3, A("198.51.100.10")}, {3, 5, 0}};
    const auto found = FindConflicts(fleet, kNetworks);
    for (std::size_t i = 0; i < fleet.size(); ++i) {
        SCOPED_TRACE(i);
        ASSERT_EQ(found[i].size(), expected[i].elsewhere == 0 ? 1u : 2u);
        EXPECT_EQ(found[i][0].others, expected[i].others);
        EXPECT_EQ(found[i][0].otherMac[5], expected[i].otherMac);
        if (expected[i].elsewhere != 0) {
            EXPECT_EQ(found[i][1].address, expected[i].elsewhere);
        }
    }
}

TEST(Conflicts, CheckPlannedSettingsSkipsTheConverterItself)
{
    const std::vector<ConverterAddressing> listed = {Converter(1, "198.51.100.1", "198.51.100.10"),
                                                     Converter(2, "198.51.100.1", "198.51.100.20")};
    const struct {
        ConverterAddressing planned;
        const char* expected;
    } rows[] = {
        {Converter(1, "198.51.100.1", "198.51.100.10"), ""},
        {Converter(1, "198.51.100.1", "198.51.100.20"), "duplicate-ip"},
        {Converter(1, "198.51.100.1", "198.51.100.1"), "duplicate-ip"},
        {Converter(1, "198.51.100.1", "10.9.8.7", "255.0.0.0", "10.0.0.1"), "unreachable-subnet"},
        {Converter(1, "198.51.100.1", "198.51.100.30", "255.255.255.0", "198.51.101.1"),
         "gateway-outside-subnet"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(FormatDottedDecimal(row.planned.ip));
        EXPECT_EQ(Keys(CheckPlannedSettings(row.planned, listed, kNetworks)), row.expected);
    }
}
