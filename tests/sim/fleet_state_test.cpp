// SPDX-License-Identifier: Apache-2.0
// How the simulated fleet answers: who answers which request, the exact
// bytes of the answers, what commands change, and every misbehaviour.
#include "ql5sim/converter_replies.h"
#include "ql5sim/fleet_state.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

using namespace ql5sim;
using namespace std::chrono_literals;

namespace {

using Bytes = std::vector<std::uint8_t>;

const MacAddress kFirst{0x02, 0x51, 0xc5, 0x00, 0x00, 0x01};
const MacAddress kSecond{0x02, 0x51, 0xc5, 0x00, 0x00, 0x02};
const Clock::time_point kStart{};

FleetState MakeFleet(const std::string& json)
{
    return FleetState(LoadFleet(json));
}

Request Discovery(const MacAddress& target)
{
    Request r;
    r.magic = kProtocolMagic;
    r.type = kDiscoveryRequest;
    r.target = target;
    return r;
}

Request Command(std::uint16_t type, const MacAddress& target, const std::string& password)
{
    Request r = Discovery(target);
    r.type = type;
    r.password = password;
    return r;
}

Request Static(const MacAddress& target, const std::string& password)
{
    Request r = Command(kConfigureStaticRequest, target, password);
    r.address = {198, 51, 100, 20};
    r.mask = {255, 255, 0, 0};
    r.gateway = {198, 51, 100, 1};
    return r;
}

std::vector<Bytes> Datagrams(const Answer& answer)
{
    std::vector<Bytes> out;
    for (const auto& d : answer.datagrams)
        out.push_back(d.bytes);
    return out;
}

// The converter's MAC as the first field of a reply: bytes 10 to 15.
MacAddress ReplyMac(const Bytes& reply)
{
    MacAddress mac{};
    std::copy(reply.begin() + 10, reply.begin() + 16, mac.begin());
    return mac;
}

constexpr char kTwoConverters[] = R"({"converters": [
  {"mac": "02:51:c5:00:00:01", "ip": "198.51.100.10", "mask": "255.255.255.0",
   "gateway": "198.51.100.254", "dhcp": 1, "name": "A", "hardwareType": 7,
   "productName": "P", "firmware": "F1", "serialLinkPort": 4001, "portCount": 1,
   "password": "secret", "rebootSilenceMs": 2000},
  {"mac": "02:51:c5:00:00:02", "ip": "198.51.100.11"}]})";

}  // namespace

TEST(FleetState, DiscoveryReplyCarriesEveryConfiguredFieldInOrder)
{
    FleetState fleet = MakeFleet(kTwoConverters);
    const Answer answer = fleet.Handle(Discovery(kFirst), "lab0", kStart);
    const Bytes expected{
        0x44, 0x49, 0x47, 0x49, 0x00, 0x02, 0x00, 0x31,  // header, type 2, payload 49
        0x01, 0x06, 0x02, 0x51, 0xc5, 0x00, 0x00, 0x01,  // code 1, MAC
        0x02, 0x04, 198,  51,   100,  10,                // code 2, IP address
        0x03, 0x04, 255,  255,  255,  0,                 // code 3, mask
        0x0b, 0x04, 198,  51,   100,  254,               // code 11, gateway
        0x10, 0x01, 0x01,                                // code 16, DHCP on
        0x04, 0x01, 'A',                                 // code 4, name
        0x06, 0x01, 0x07,                                // code 6, hardware type
        0x0d, 0x01, 'P',                                 // code 13, product name
        0x08, 0x02, 'F',  '1',                           // code 8, firmware
        0x0e, 0x02, 0x0f, 0xa1,                          // code 14, serial link port 4001
        0x12, 0x01, 0x01,                                // code 18, port count
    };
    ASSERT_EQ(answer.datagrams.size(), 1u);
    EXPECT_EQ(answer.datagrams[0].bytes, expected);
    EXPECT_EQ(answer.datagrams[0].delay, 0ms);
    EXPECT_TRUE(answer.floods.empty());
}

TEST(FleetState, BroadcastReachesEveryConverterAddressedOnlyOne)
{
    FleetState fleet = MakeFleet(kTwoConverters);
    const auto all = Datagrams(fleet.Handle(Discovery(kBroadcastMac), "lab0", kStart));
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(ReplyMac(all[0]), kFirst);
    EXPECT_EQ(ReplyMac(all[1]), kSecond);
    // The second converter has only a MAC and an IP address.
    EXPECT_EQ(all[1], (Bytes{0x44, 0x49, 0x47, 0x49, 0x00, 0x02, 0x00, 0x0e,  // header
                             0x01, 0x06, 0x02, 0x51, 0xc5, 0x00, 0x00, 0x02,  // MAC
                             0x02, 0x04, 198,  51,   100,  11}));             // IP

    const auto one = Datagrams(fleet.Handle(Discovery(kSecond), "lab0", kStart));
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0], all[1]);

    EXPECT_TRUE(fleet.Handle(Discovery({2, 0, 0, 0, 0, 9}), "lab0", kStart).datagrams.empty());
    Request foreign = Discovery(kBroadcastMac);
    foreign.magic = 0x514c3521;
    EXPECT_TRUE(fleet.Handle(foreign, "lab0", kStart).datagrams.empty());
}

TEST(FleetState, AcceptedStaticCommandAppliesAndShowsInDiscovery)
{
    FleetState fleet = MakeFleet(kTwoConverters);
    // An answer given before the change must not be the one given after it.
    fleet.Handle(Discovery(kFirst), "lab0", kStart);
    const auto reply = Datagrams(fleet.Handle(Static(kFirst, "secret"), "lab0", kStart));
    ASSERT_EQ(reply.size(), 1u);
    EXPECT_EQ(reply[0], (Bytes{0x44, 0x49, 0x47, 0x49, 0x00, 0x04, 0x00, 0x0e,  // header, type 4
                               0x01, 0x06, 0x02, 0x51, 0xc5, 0x00, 0x00, 0x01,  // code 1, MAC
                               0x0a, 0x01, 0x00,                                // code 10, result 0
                               0x11, 0x01, 0x00}));                             // code 17, error 0
    const Converter* c = fleet.Find(kFirst);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->ip, (Ipv4Address{198, 51, 100, 20}));
    EXPECT_EQ(c->mask, (Ipv4Address{255, 255, 0, 0}));
    EXPECT_EQ(c->gateway, (Ipv4Address{198, 51, 100, 1}));
    EXPECT_EQ(c->dhcp, 0);
    EXPECT_EQ(fleet.Handle(Discovery(kFirst), "lab0", kStart).datagrams.at(0).bytes,
              EncodeDiscoveryReply(*c, kProtocolMagic));

    // A converter that reported no mask or gateway reports them once set.
    fleet.Handle(Static(kSecond, ""), "lab0", kStart);
    const Bytes second = fleet.Handle(Discovery(kSecond), "lab0", kStart).datagrams.at(0).bytes;
    EXPECT_EQ(second.size(), 8u + 8 + 6 + 6 + 6 + 3);
}

TEST(FleetState, ApplyAfterRebootKeepsTheOldSettingsUntilTheRestart)
{
    FleetState fleet = MakeFleet(R"({"converters": [{"mac": "02:51:c5:00:00:01",
        "ip": "198.51.100.10", "mask": "255.255.255.0", "dhcp": 1, "password": "secret",
        "rebootDelayMs": 100, "rebootSilenceMs": 1000, "applyAfterReboot": true}]})");
    ASSERT_EQ(Datagrams(fleet.Handle(Static(kFirst, "secret"), "lab0", kStart)).size(), 1u);
    fleet.Handle(Discovery(kFirst), "lab0", kStart + 5s);
    EXPECT_EQ(fleet.Find(kFirst)->ip, (Ipv4Address{198, 51, 100, 10}));
    EXPECT_EQ(fleet.Find(kFirst)->dhcp, 1);

    fleet.Handle(Command(kRebootRequest, kFirst, "secret"), "lab0", kStart + 5s);
    fleet.Handle(Discovery(kFirst), "lab0", kStart + 5s + 50ms);  // still up, still old
    EXPECT_EQ(fleet.Find(kFirst)->ip, (Ipv4Address{198, 51, 100, 10}));
    const Bytes restarted =  // back after the restart
        fleet.Handle(Discovery(kFirst), "lab0", kStart + 7s).datagrams.at(0).bytes;
    EXPECT_EQ(restarted, EncodeDiscoveryReply(*fleet.Find(kFirst), kProtocolMagic));
    EXPECT_EQ(fleet.Find(kFirst)->ip, (Ipv4Address{198, 51, 100, 20}));
    EXPECT_EQ(fleet.Find(kFirst)->gateway, (Ipv4Address{198, 51, 100, 1}));
    EXPECT_EQ(fleet.Find(kFirst)->dhcp, 0);
}

TEST(FleetState, WrongPasswordIsRefusedAndChangesNothing)
{
    FleetState fleet = MakeFleet(R"({"converters": [{"mac": "02:51:c5:00:00:01",
        "ip": "198.51.100.10", "password": "secret",
        "refusal": {"error": 9, "message": "No"}}]})");
    const auto reply = Datagrams(fleet.Handle(Static(kFirst, "Secret"), "lab0", kStart));
    ASSERT_EQ(reply.size(), 1u);
    EXPECT_EQ(reply[0], (Bytes{0x44, 0x49, 0x47, 0x49, 0x00, 0x04, 0x00, 0x12,  // header, type 4
                               0x01, 0x06, 0x02, 0x51, 0xc5, 0x00, 0x00, 0x01,  // code 1, MAC
                               0x0a, 0x01, 0x01,                                // code 10, result 1
                               0x11, 0x01, 0x09,                                // code 17, error 9
                               0x09, 0x02, 'N',  'o'}));                        // code 9, message
    EXPECT_EQ(fleet.Find(kFirst)->ip, (Ipv4Address{198, 51, 100, 10}));
    EXPECT_FALSE(fleet.Find(kFirst)->dhcp.has_value());
}

TEST(FleetState, RefusalDefaultsAndSuccessMessage)
{
    FleetState fleet = MakeFleet(R"({"converters": [{"mac": "02:51:c5:00:00:01",
        "password": "pw", "successMessage": "Rebooting"}]})");
    const Bytes refused =
        fleet.Handle(Command(kRebootRequest, kFirst, ""), "lab0", kStart).datagrams.at(0).bytes;
    const std::string text = "Password incorrect";
    Bytes expected{0x44, 0x49,
                   0x47, 0x49,
                   0x00, 0x06,
                   0x00, 0x00,  // header, type 6
                   0x01, 0x06,
                   0x02, 0x51,
                   0xc5, 0x00,
                   0x00, 0x01,  // MAC
                   0x0a, 0x01,
                   0x01,  // result 1
                   0x11, 0x01,
                   0x05,                                           // error 5
                   0x09, static_cast<std::uint8_t>(text.size())};  // message
    expected.insert(expected.end(), text.begin(), text.end());
    expected[7] = static_cast<std::uint8_t>(expected.size() - 8);
    EXPECT_EQ(refused, expected);

    const Bytes accepted =
        fleet.Handle(Command(kRebootRequest, kFirst, "pw"), "lab0", kStart).datagrams.at(0).bytes;
    const Bytes tail{0x0a, 0x01, 0x00, 0x11, 0x01, 0x00, 0x09, 0x09, 'R',
                     'e',  'b',  'o',  'o',  't',  'i',  'n',  'g'};
    ASSERT_GT(accepted.size(), tail.size());
    EXPECT_TRUE(std::equal(tail.begin(), tail.end(), accepted.end() - tail.size()));
}

TEST(FleetState, DhcpCommandSetsTheFlagByte)
{
    FleetState fleet = MakeFleet(kTwoConverters);
    Request request = Command(kConfigureDhcpRequest, kFirst, "secret");
    request.dhcpFlag = 0;
    const Bytes reply = fleet.Handle(request, "lab0", kStart).datagrams.at(0).bytes;
    EXPECT_EQ(reply[5], kConfigureDhcpReply);
    EXPECT_EQ(fleet.Find(kFirst)->dhcp, 0);
    request.dhcpFlag = 1;
    fleet.Handle(request, "lab0", kStart);
    EXPECT_EQ(fleet.Find(kFirst)->dhcp, 1);
}

TEST(FleetState, RebootSilencesTheConverterForItsSilenceTime)
{
    FleetState fleet = MakeFleet(kTwoConverters);
    const Answer reboot = fleet.Handle(Command(kRebootRequest, kFirst, "secret"), "lab0", kStart);
    ASSERT_EQ(reboot.datagrams.size(), 1u);
    EXPECT_EQ(reboot.datagrams[0].bytes[5], kRebootReply);

    EXPECT_TRUE(fleet.Handle(Discovery(kFirst), "lab0", kStart + 1999ms).datagrams.empty());
    EXPECT_TRUE(fleet.Handle(Static(kFirst, "secret"), "lab0", kStart + 1999ms).datagrams.empty());
    // The rest of the fleet is not affected.
    EXPECT_EQ(fleet.Handle(Discovery(kBroadcastMac), "lab0", kStart + 1s).datagrams.size(), 1u);
    EXPECT_EQ(fleet.Handle(Discovery(kFirst), "lab0", kStart + 2000ms).datagrams.size(), 1u);
}

TEST(FleetState, RebootDelayKeepsTheConverterAnsweringBeforeItsSilence)
{
    FleetState fleet = MakeFleet(R"({"converters": [{"mac": "02:51:c5:00:00:01",
        "password": "secret", "rebootDelayMs": 1000, "rebootSilenceMs": 2000}]})");
    ASSERT_EQ(
        fleet.Handle(Command(kRebootRequest, kFirst, "secret"), "lab0", kStart).datagrams.size(),
        1u);

    EXPECT_EQ(fleet.Handle(Discovery(kFirst), "lab0", kStart + 999ms).datagrams.size(), 1u);
    EXPECT_TRUE(fleet.Handle(Discovery(kFirst), "lab0", kStart + 1000ms).datagrams.empty());
    EXPECT_TRUE(fleet.Handle(Discovery(kFirst), "lab0", kStart + 2999ms).datagrams.empty());
    EXPECT_EQ(fleet.Handle(Discovery(kFirst), "lab0", kStart + 3000ms).datagrams.size(), 1u);
}

TEST(FleetState, CommandsForUnknownMacsGoUnanswered)
{
    FleetState fleet = MakeFleet(kTwoConverters);
    EXPECT_TRUE(fleet.Handle(Static({2, 0, 0, 0, 0, 9}, ""), "lab0", kStart).datagrams.empty());
    EXPECT_TRUE(
        fleet.Handle(Command(kRebootRequest, kBroadcastMac, ""), "lab0", kStart).datagrams.empty());
}

TEST(FleetState, ReplySpreadPlacesAnswersEvenly)
{
    FleetState fleet = MakeFleet(R"({"replySpreadMs": 400, "generate": {"count": 4,
        "template": {"misbehave": {"delayMs": 5}}}})");
    const Answer answer = fleet.Handle(Discovery(kBroadcastMac), "lab0", kStart);
    ASSERT_EQ(answer.datagrams.size(), 4u);
    EXPECT_EQ(answer.datagrams[0].delay, 5ms);
    EXPECT_EQ(answer.datagrams[1].delay, 105ms);
    EXPECT_EQ(answer.datagrams[2].delay, 205ms);
    EXPECT_EQ(answer.datagrams[3].delay, 305ms);
    // An addressed request is answered without spreading.
    EXPECT_EQ(fleet.Handle(Discovery(kFirst), "lab0", kStart).datagrams.at(0).delay, 5ms);
}

TEST(FleetState, InterfaceListLimitsWhereAConverterAnswers)
{
    FleetState fleet = MakeFleet(R"({"converters": [
        {"mac": "02:51:c5:00:00:01", "interfaces": ["lab1"]},
        {"mac": "02:51:c5:00:00:02"}]})");
    const auto lab0 = Datagrams(fleet.Handle(Discovery(kBroadcastMac), "lab0", kStart));
    ASSERT_EQ(lab0.size(), 1u);
    EXPECT_EQ(ReplyMac(lab0[0]), kSecond);
    EXPECT_EQ(fleet.Handle(Discovery(kBroadcastMac), "lab1", kStart).datagrams.size(), 2u);
}

TEST(FleetState, DropTwiceSilentAndFloodMisbehaviours)
{
    FleetState fleet = MakeFleet(R"({"converters": [
        {"mac": "02:51:c5:00:00:01", "misbehave": {"drop": true}},
        {"mac": "02:51:c5:00:00:02", "misbehave": {"answerTwice": true, "silentForCommands": true,
                                                    "flood": {"durationMs": 300, "count": 50}}}]})");
    const Answer discovery = fleet.Handle(Discovery(kBroadcastMac), "lab0", kStart);
    ASSERT_EQ(discovery.datagrams.size(), 2u);
    EXPECT_EQ(ReplyMac(discovery.datagrams[0].bytes), kSecond);
    EXPECT_EQ(discovery.datagrams[0].bytes, discovery.datagrams[1].bytes);
    ASSERT_EQ(discovery.floods.size(), 1u);
    EXPECT_EQ(discovery.floods[0].bytes, discovery.datagrams[0].bytes);
    EXPECT_EQ(discovery.floods[0].duration, 300ms);
    EXPECT_EQ(discovery.floods[0].count, 50u);

    EXPECT_TRUE(fleet.Handle(Static(kFirst, ""), "lab0", kStart).datagrams.empty());
    EXPECT_TRUE(fleet.Handle(Static(kSecond, ""), "lab0", kStart).datagrams.empty());
    EXPECT_FALSE(fleet.Find(kSecond)->ip.has_value());
}

TEST(FleetState, BareCommandRepliesAndFloodsOfForgedMacs)
{
    FleetState fleet = MakeFleet(R"({"converters": [
        {"mac": "02:51:c5:00:00:01", "password": "pw", "successMessage": "ok",
         "misbehave": {"bareCommandReply": true,
                       "flood": {"count": 5, "randomMacs": true}}}]})");
    // Accepted or refused, the answer carries the MAC and nothing else.
    for (const char* password : {"pw", "wrong"}) {
        const auto answer = Datagrams(fleet.Handle(Static(kFirst, password), "lab0", kStart));
        ASSERT_EQ(answer.size(), 1u);
        EXPECT_EQ(answer[0], (Bytes{0x44, 0x49, 0x47, 0x49, 0x00, 0x04, 0x00, 0x08,    // header
                                    0x01, 0x06, 0x02, 0x51, 0xc5, 0x00, 0x00, 0x01}))  // MAC
            << password;
    }
    const Answer discovery = fleet.Handle(Discovery(kBroadcastMac), "lab0", kStart);
    ASSERT_EQ(discovery.floods.size(), 1u);
    EXPECT_EQ(discovery.floods[0].randomMacAt, std::optional<std::size_t>(10));
}

TEST(ConverterReplies, ShapeMisbehaviours)
{
    Converter c;
    c.mac = kFirst;
    c.ip = Ipv4Address{198, 51, 100, 10};
    const Bytes normal = EncodeDiscoveryReply(c, kProtocolMagic);

    c.misbehave.replyMagic = 0x44494748;
    c.misbehave.replyType = 4;
    Bytes odd = EncodeDiscoveryReply(c, kProtocolMagic);
    EXPECT_EQ(Bytes(odd.begin(), odd.begin() + 6), (Bytes{0x44, 0x49, 0x47, 0x48, 0x00, 0x04}));
    EXPECT_TRUE(std::equal(odd.begin() + 6, odd.end(), normal.begin() + 6));

    c.misbehave = {};
    c.misbehave.macLast = true;
    EXPECT_EQ(EncodeDiscoveryReply(c, kProtocolMagic),
              (Bytes{0x44, 0x49, 0x47, 0x49, 0x00, 0x02, 0x00, 0x0e,  // header
                     0x02, 0x04, 198,  51,   100,  10,                // IP first
                     0x01, 0x06, 0x02, 0x51, 0xc5, 0x00, 0x00, 0x01}));

    c.misbehave = {};
    c.misbehave.omitMac = true;
    EXPECT_EQ(EncodeCommandReply(c, kProtocolMagic, kRebootReply, true),
              (Bytes{0x44, 0x49, 0x47, 0x49, 0x00, 0x06, 0x00, 0x06,  // header
                     0x0a, 0x01, 0x00, 0x11, 0x01, 0x00}));

    c.misbehave = {};
    c.misbehave.emptyDatagram = true;
    EXPECT_TRUE(EncodeDiscoveryReply(c, kProtocolMagic).empty());

    // A known field with a bad length comes through extra fields untouched.
    c.misbehave = {};
    c.extraFields = {ReplyField{16, {0x00, 0x00, 0x01}}};
    const Bytes bad = EncodeDiscoveryReply(c, kProtocolMagic);
    EXPECT_EQ(Bytes(bad.end() - 5, bad.end()), (Bytes{0x10, 0x03, 0x00, 0x00, 0x01}));
}

TEST(ConverterReplies, PaddingReachesExactSizes)
{
    Converter c;
    c.mac = kFirst;
    for (const std::size_t size : {17u, 18u, 23u, 24u, 273u, 274u, 275u, 1456u, 1457u, 4000u}) {
        c.misbehave.padTo = size;
        const Bytes reply = EncodeDiscoveryReply(c, kProtocolMagic);
        ASSERT_EQ(reply.size(), size);
        EXPECT_EQ(reply[6] << 8 | reply[7], static_cast<int>(size - 8));
        // Past the MAC field only padding fields (code 200) that fit exactly.
        std::size_t offset = 16;
        while (offset + 1 < reply.size()) {
            EXPECT_EQ(reply[offset], 200);
            offset += 2 + reply[offset + 1];
        }
        EXPECT_TRUE(offset == reply.size() || offset + 1 == reply.size()) << size;
    }
    c.misbehave.padTo = 10;  // shorter than the reply: left as it is
    EXPECT_EQ(EncodeDiscoveryReply(c, kProtocolMagic).size(), 16u);
}
