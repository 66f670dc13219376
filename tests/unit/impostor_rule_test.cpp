// SPDX-License-Identifier: Apache-2.0
// The rule that decides whether the answers to a locating query are one
// converter's, as table rows: no sockets, no root.
#include "byte_order.h"
#include "impostor_rule.h"

#include <gtest/gtest.h>

#include <cstdio>

using namespace ql5;

namespace {

std::uint32_t Ip(const char* text)
{
    unsigned a = 0, b = 0, c = 0, d = 0;
    EXPECT_EQ(std::sscanf(text, "%u.%u.%u.%u", &a, &b, &c, &d), 4) << text;
    return Ipv4FromOctets(static_cast<std::uint8_t>(a), static_cast<std::uint8_t>(b),
                          static_cast<std::uint8_t>(c), static_cast<std::uint8_t>(d));
}

}  // namespace

TEST(ImpostorRule, OneSourceCountsOnlyWhereEveryLocalAddressSharesItsSubnet)
{
    const std::uint32_t first = Ip("198.51.100.1");
    const std::uint32_t second = Ip("203.0.113.1");
    const std::uint32_t alias = Ip("198.51.100.9");  // a second link into network 1
    const std::uint32_t converter = Ip("198.51.100.2");
    const std::uint32_t impostor = Ip("203.0.113.2");
    const std::uint32_t elsewhere = Ip("192.0.2.7");  // a converter with wrong settings
    const std::vector<LocalSubnet> subnets{
        {first, Ip("255.255.255.0")}, {second, Ip("255.255.255.0")}, {alias, Ip("255.255.255.0")}};
    struct Case {
        const char* what;
        std::vector<Sighting> answers;
        bool single;
        std::vector<std::uint32_t> answeredOn;
    };
    const Case cases[] = {
        {"one answer", {{first, converter}}, true, {}},
        {"one answer from outside every subnet", {{first, elsewhere}}, true, {}},
        {"two links into one network", {{first, converter}, {alias, converter}}, true, {}},
        {"another host of the same network",
         {{first, converter}, {first, impostor}},
         false,
         {first}},
        {"another network's host",
         {{first, converter}, {second, impostor}},
         false,
         {first, second}},
        {"a forged source on another network",
         {{first, converter}, {second, converter}},
         false,
         {first, second}},
        {"the forged source answering first",
         {{second, converter}, {first, converter}},
         false,
         {second, first}},
        {"a source outside both subnets on two links",
         {{first, elsewhere}, {alias, elsewhere}},
         false,
         {first, alias}},
    };
    for (const Case& c : cases) {
        const Judgement judgement = JudgeSightings(c.answers, subnets);
        EXPECT_EQ(judgement.single, c.single) << c.what;
        EXPECT_EQ(judgement.answeredOn, c.answeredOn) << c.what;
        if (c.single) {
            EXPECT_EQ(judgement.chosen, c.answers.front()) << c.what;
        }
    }
    // A local address whose mask is unknown shares a subnet with nothing.
    EXPECT_FALSE(JudgeSightings({{first, converter}, {alias, converter}}, {}).single);
}
