// SPDX-License-Identifier: Apache-2.0
// Reading fleet files: every documented key lands where it should, mistakes
// are refused with a message that names the place, and generators expand.
#include "ql5sim/fleet.h"

#include <gtest/gtest.h>

#include <string>

using namespace ql5sim;

namespace {

std::string LoadError(const std::string& json)
{
    try {
        LoadFleet(json);
    } catch (const FleetError& error) {
        return error.what();
    }
    return "<accepted>";
}

}  // namespace

TEST(Fleet, ConverterWithOnlyMacHasNoOtherSettings)
{
    const Fleet fleet = LoadFleet(R"({"converters": [{"mac": "02:51:c5:00:00:01"}]})");
    EXPECT_EQ(fleet.magic, kProtocolMagic);
    EXPECT_EQ(fleet.replySpreadMs, 0);
    ASSERT_EQ(fleet.converters.size(), 1u);
    const Converter& c = fleet.converters[0];
    EXPECT_EQ(c.mac, (MacAddress{0x02, 0x51, 0xc5, 0, 0, 1}));
    EXPECT_FALSE(c.ip || c.mask || c.gateway || c.dns || c.dhcp || c.name || c.code5 ||
                 c.hardwareType || c.productName || c.firmware || c.serialLinkPort || c.portCount);
    EXPECT_EQ(c.password, "");
    EXPECT_EQ(c.refusalResult, 1);
    EXPECT_EQ(c.refusalError, 5);
    EXPECT_FALSE(c.successMessage.has_value());
}

TEST(Fleet, ReadsEveryConverterKey)
{
    const Fleet fleet = LoadFleet(R"({
      "magic": "0x514c3521", "replySpreadMs": 250,
      "converters": [{
        "mac": "02:51:c5:00:00:02", "ip": "198.51.100.10", "mask": "255.255.255.0",
        "gateway": "198.51.100.254", "dns": "198.51.100.53", "dhcp": 1, "name": "Line 2",
        "code5": "five", "hardwareType": 7, "productName": "QL5 Core Module",
        "firmware": "1.2.3", "serialLinkPort": 4001, "portCount": 2,
        "extraFields": [{"code": 231, "hex": "0015 0016"}, {"code": 19, "text": "abc"}],
        "password": "secret", "successMessage": "Done",
        "refusal": {"result": 3, "error": 0, "message": ""},
        "rebootDelayMs": 250, "rebootSilenceMs": 1500, "interfaces": ["lab0", "lab1"],
        "misbehave": {"delayMs": 20, "answerTwice": true, "wrongMagic": true, "replyType": 4,
                      "macLast": true, "oversized": true, "silentForCommands": true,
                      "flood": {"count": 10}}
      }]})");
    EXPECT_EQ(fleet.magic, 0x514c3521u);
    EXPECT_EQ(fleet.replySpreadMs, 250);
    const Converter& c = fleet.converters.at(0);
    EXPECT_EQ(c.ip, (Ipv4Address{198, 51, 100, 10}));
    EXPECT_EQ(c.mask, (Ipv4Address{255, 255, 255, 0}));
    EXPECT_EQ(c.gateway, (Ipv4Address{198, 51, 100, 254}));
    EXPECT_EQ(c.dns, (Ipv4Address{198, 51, 100, 53}));
    EXPECT_EQ(c.dhcp, 1);
    EXPECT_EQ(c.name, "Line 2");
    EXPECT_EQ(c.code5, "five");
    EXPECT_EQ(c.hardwareType, 7);
    EXPECT_EQ(c.productName, "QL5 Core Module");
    EXPECT_EQ(c.firmware, "1.2.3");
    EXPECT_EQ(c.serialLinkPort, 4001);
    EXPECT_EQ(c.portCount, 2);
    ASSERT_EQ(c.extraFields.size(), 2u);
    EXPECT_EQ(c.extraFields[0], (ReplyField{231, {0x00, 0x15, 0x00, 0x16}}));
    EXPECT_EQ(c.extraFields[1], (ReplyField{19, {'a', 'b', 'c'}}));
    EXPECT_EQ(c.password, "secret");
    EXPECT_EQ(c.successMessage, "Done");
    EXPECT_EQ(c.refusalResult, 3);
    EXPECT_EQ(c.refusalError, 0);
    EXPECT_EQ(c.refusalMessage, "");
    EXPECT_EQ(c.rebootDelayMs, 250);
    EXPECT_EQ(c.rebootSilenceMs, 1500);
    EXPECT_EQ(c.interfaces, (std::vector<std::string>{"lab0", "lab1"}));
    EXPECT_EQ(c.misbehave.delayMs, 20);
    EXPECT_TRUE(c.misbehave.answerTwice);
    EXPECT_EQ(c.misbehave.replyMagic, 0x44494748u);
    EXPECT_EQ(c.misbehave.replyType, 4);
    EXPECT_TRUE(c.misbehave.macLast);
    EXPECT_EQ(c.misbehave.padTo, 1457u);
    EXPECT_TRUE(c.misbehave.silentForCommands);
    EXPECT_EQ(c.misbehave.floodCount, 10u);
    EXPECT_FALSE(c.misbehave.drop);
}

TEST(Fleet, RefusesMistakesNamingThePlace)
{
    EXPECT_EQ(LoadError(R"({"converters": [{"mac": "02:51:c5:00:00:01", "nmae": "x"}]})"),
              "fleet.converters[0]: unknown key \"nmae\"");
    EXPECT_EQ(LoadError(R"({"converters": [{"ip": "198.51.100.10"}]})"),
              "fleet.converters[0]: needs a \"mac\"");
    EXPECT_EQ(LoadError(R"({"converters": [{"mac": "02:51:c5:00:00:01", "ip": "1.2.3"}]})"),
              "fleet.converters[0].ip: is not a dotted IPv4 address");
    EXPECT_EQ(
        LoadError(R"({"converters": [{"mac": "02:51:c5:00:00:01", "serialLinkPort": 70000}]})"),
        "fleet.converters[0].serialLinkPort: must be between 0 and 65535");
    EXPECT_EQ(LoadError(R"({"converters": [{"mac": "02:51:c5:00:00:01",
                                            "misbehave": {"dorp": true}}]})"),
              "fleet.converters[0].misbehave: unknown key \"dorp\"");
    EXPECT_EQ(LoadError(R"({"converters": [{"mac": "02:51:c5:00:00:01"},
                                           {"mac": "02-51-C5-00-00-01"}]})"),
              "fleet: MAC 02:51:c5:00:00:01 appears twice");
    EXPECT_EQ(LoadError(R"({"converters": [{"mac": "02:51:c5:00:00:01",
                                            "extraFields": [{"code": 19}]}]})"),
              "fleet.converters[0].extraFields[0]: needs exactly one of \"hex\" and \"text\"");
    EXPECT_NE(LoadError("{"), "<accepted>");
}

TEST(Fleet, TextsStopAt255Bytes)
{
    const std::string longest(255, 'n');
    const Fleet fleet = LoadFleet(R"({"converters": [{"mac": "02:51:c5:00:00:01", "name": ")" +
                                  longest + R"("}]})");
    EXPECT_EQ(fleet.converters.at(0).name, longest);
    EXPECT_EQ(LoadError(R"({"converters": [{"mac": "02:51:c5:00:00:01", "refusal": {"message": ")" +
                        longest + R"(!"}}]})"),
              "fleet.converters[0].refusal.message: is longer than 255 bytes");
}

TEST(Fleet, GeneratorGivesConsecutiveMacsAddressesAndNames)
{
    const Fleet fleet = LoadFleet(R"({
      "converters": [{"mac": "02:00:00:00:00:01"}],
      "generate": {"count": 300, "macPrefix": "02:51:c5:aa", "firstIp": "198.18.0.250",
                   "namePrefix": "Conv ", "template": {"hardwareType": 7, "password": "pw"}}})");
    ASSERT_EQ(fleet.converters.size(), 301u);
    const Converter& first = fleet.converters[1];
    const Converter& last = fleet.converters[300];
    EXPECT_EQ(first.mac, (MacAddress{0x02, 0x51, 0xc5, 0xaa, 0x00, 0x01}));
    EXPECT_EQ(last.mac, (MacAddress{0x02, 0x51, 0xc5, 0xaa, 0x01, 0x2c}));
    EXPECT_EQ(first.ip, (Ipv4Address{198, 18, 0, 250}));
    EXPECT_EQ(last.ip, (Ipv4Address{198, 18, 2, 37}));  // 250 + 299 = 2 * 256 + 37
    EXPECT_EQ(first.name, "Conv 1");
    EXPECT_EQ(last.name, "Conv 300");
    EXPECT_EQ(last.hardwareType, 7);
    EXPECT_EQ(last.password, "pw");
}

TEST(Fleet, GeneratorRefusesCountsThatDoNotFit)
{
    EXPECT_EQ(LoadError(R"({"generate": {"count": 256, "macPrefix": "02:51:c5:00:00"}})"),
              "fleet.generate: count does not fit in the MAC addresses after the prefix");
    EXPECT_EQ(LoadError(R"({"generate": {"count": 3, "firstIp": "255.255.255.254"}})"),
              "fleet.generate: count runs past the last IPv4 address");
    EXPECT_EQ(LoadError(R"({"generate": {"count": 1, "template": {"mac": "02:51:c5:00:00:01"}}})"),
              "fleet.generate.template: must not name a \"mac\"");
    // Two generators with the same prefix collide on their first MAC.
    EXPECT_EQ(LoadError(R"({"generate": [{"count": 1}, {"count": 1}]})"),
              "fleet: MAC 02:51:c5:00:00:01 appears twice");
}

TEST(Fleet, GeneratesTenThousandDistinctConverters)
{
    const Fleet fleet = LoadFleet(R"({"generate": {"count": 10000}})");
    ASSERT_EQ(fleet.converters.size(), 10000u);
    EXPECT_EQ(fleet.converters.back().mac, (MacAddress{0x02, 0x51, 0xc5, 0x00, 0x27, 0x10}));
    EXPECT_EQ(fleet.converters.back().ip, (Ipv4Address{198, 18, 39, 16}));
}
