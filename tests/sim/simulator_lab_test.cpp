// SPDX-License-Identifier: Apache-2.0
// ql5sim on the wire, inside the private network lab: hand-made requests go
// out of a plain socket in the workstation namespace, and the tests check the
// replies byte for byte and what the simulator logged.
#include "ql5sim/device_codec.h"
#include "support/host_command.h"
#include "support/lab_environment.h"
#include "support/simulator_process.h"
#include "support/workstation_socket.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <thread>
#include <vector>

using namespace std::chrono_literals;
using ql5::lab::SimulatorProcess;
using ql5::lab::WorkstationSocket;
using Bytes = std::vector<std::uint8_t>;

namespace {

const Bytes kBroadcastDiscovery{
    0x44, 0x49, 0x47, 0x49,              // magic
    0x00, 0x01, 0x00, 0x06,              // type 1, payload length 6
    0xff, 0xff, 0xff, 0xff, 0xff, 0xff,  // every converter
};

constexpr char kOneConverter[] = R"({"converters": [{"mac": "02:51:c5:00:00:01",
    "ip": "198.51.100.10", "name": "A", "password": "secret"}]})";

// The reply of kOneConverter as configured.
const Bytes kOneConverterReply{
    0x44, 0x49, 0x47, 0x49, 0x00, 0x02, 0x00, 0x11,  // header, type 2, payload 17
    0x01, 0x06, 0x02, 0x51, 0xc5, 0x00, 0x00, 0x01,  // code 1, MAC
    0x02, 0x04, 198,  51,   100,  10,                // code 2, IP address
    0x04, 0x01, 'A',                                 // code 4, name
};

Bytes RebootRequest(const std::string& password)
{
    Bytes request{0x44,
                  0x49,
                  0x47,
                  0x49,
                  0x00,
                  0x05,
                  0x00,
                  static_cast<std::uint8_t>(7 + password.size()),  // type 5, payload length
                  0x02,
                  0x51,
                  0xc5,
                  0x00,
                  0x00,
                  0x01,  // target MAC
                  static_cast<std::uint8_t>(password.size())};
    for (const char c : password) {
        request.push_back(static_cast<std::uint8_t>(c));
    }
    return request;
}

class SimulatorLab : public ::testing::Test {
protected:
    void SetUp() override { QL5_REQUIRE_LAB(1); }

    std::string ConverterEndpoint() const { return ql5::lab::ConverterAddress(1) + ":2362"; }

    SimulatorProcess sim_;
};

}  // namespace

TEST_F(SimulatorLab, AnswersMulticastDiscoveryByUnicastAndLogsTheRequest)
{
    ASSERT_TRUE(sim_.Start(ql5::lab::ConverterNamespace(1), kOneConverter));
    WorkstationSocket socket(ql5::lab::WorkstationAddress(1));
    ASSERT_TRUE(socket.Ok()) << socket.Error();

    ASSERT_TRUE(socket.SendToGroup(kBroadcastDiscovery));
    const auto reply = socket.Receive(2s);
    ASSERT_TRUE(reply.has_value()) << "no reply crossed the lab link";
    EXPECT_EQ(reply->bytes, kOneConverterReply);
    EXPECT_EQ(reply->from, ConverterEndpoint());

    const auto received = sim_.ReceivedDatagrams();
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].interface, "lab0");
    EXPECT_EQ(received[0].from, socket.LocalEndpoint());
    EXPECT_EQ(received[0].bytes, kBroadcastDiscovery);
    const double now =
        std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
    EXPECT_NEAR(received[0].time, now, 5.0);
    EXPECT_EQ(sim_.Stop(), 0);
}

TEST_F(SimulatorLab, RefusesWrongPasswordThenRebootsAndStaysSilent)
{
    ASSERT_TRUE(sim_.Start(ql5::lab::ConverterNamespace(1),
                           R"({"converters": [{"mac": "02:51:c5:00:00:01", "password": "secret",
                               "rebootSilenceMs": 800, "refusal": {"error": 7, "message": "No"}}]})"));
    WorkstationSocket socket(ql5::lab::WorkstationAddress(1));
    ASSERT_TRUE(socket.Ok()) << socket.Error();

    ASSERT_TRUE(socket.SendToGroup(RebootRequest("wrong")));
    auto reply = socket.Receive(2s);
    ASSERT_TRUE(reply.has_value());
    EXPECT_EQ(reply->bytes, (Bytes{0x44, 0x49, 0x47, 0x49, 0x00, 0x06, 0x00, 0x12,  // type 6
                                   0x01, 0x06, 0x02, 0x51, 0xc5, 0x00, 0x00, 0x01,  // MAC
                                   0x0a, 0x01, 0x01,                                // result 1
                                   0x11, 0x01, 0x07,                                // error 7
                                   0x09, 0x02, 'N',  'o'}));                        // message

    ASSERT_TRUE(socket.SendToGroup(RebootRequest("secret")));
    reply = socket.Receive(2s);
    ASSERT_TRUE(reply.has_value());
    EXPECT_EQ(Bytes(reply->bytes.begin() + 16, reply->bytes.end()),
              (Bytes{0x0a, 0x01, 0x00, 0x11, 0x01, 0x00}));

    // Silent while it restarts, back afterwards.
    ASSERT_TRUE(socket.SendToGroup(kBroadcastDiscovery));
    EXPECT_FALSE(socket.Receive(300ms).has_value());
    std::this_thread::sleep_for(600ms);
    ASSERT_TRUE(socket.SendToGroup(kBroadcastDiscovery));
    EXPECT_TRUE(socket.Receive(2s).has_value());
    EXPECT_EQ(sim_.ReceivedDatagrams().size(), 4u);
}

TEST_F(SimulatorLab, LogsDatagramsThatItDoesNotAnswer)
{
    ASSERT_TRUE(sim_.Start(ql5::lab::ConverterNamespace(1), kOneConverter));
    WorkstationSocket socket(ql5::lab::WorkstationAddress(1));
    ASSERT_TRUE(socket.Ok()) << socket.Error();

    const Bytes garbage{0x01, 0x02, 0x03};
    Bytes foreign = kBroadcastDiscovery;
    foreign[3] = 'X';
    ASSERT_TRUE(socket.SendToGroup(garbage));
    ASSERT_TRUE(socket.SendToGroup(foreign));
    EXPECT_FALSE(socket.Receive(300ms).has_value());
    ASSERT_TRUE(sim_.WaitForDatagrams(2));
    const auto received = sim_.ReceivedDatagrams();
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[0].bytes, garbage);
    EXPECT_EQ(received[1].bytes, foreign);

    sim_.ClearReceived();
    ASSERT_TRUE(socket.SendToGroup(kBroadcastDiscovery));
    ASSERT_TRUE(socket.Receive(2s).has_value());
    ASSERT_EQ(sim_.ReceivedDatagrams().size(), 1u);
}

TEST_F(SimulatorLab, DelaysAndSpreadsAnswersAsConfigured)
{
    ASSERT_TRUE(sim_.Start(ql5::lab::ConverterNamespace(1), R"({"replySpreadMs": 600,
        "converters": [{"mac": "02:00:00:00:00:01", "misbehave": {"delayMs": 300}}],
        "generate": {"count": 19}})"));
    WorkstationSocket socket(ql5::lab::WorkstationAddress(1));
    ASSERT_TRUE(socket.Ok()) << socket.Error();

    // Addressed: only the delay applies.
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(socket.SendToGroup(
        {0x44, 0x49, 0x47, 0x49, 0x00, 0x01, 0x00, 0x06, 0x02, 0x00, 0x00, 0x00, 0x00, 0x01}));
    ASSERT_TRUE(socket.Receive(2s).has_value());
    EXPECT_GE(std::chrono::steady_clock::now() - start, 300ms);

    // Broadcast: twenty answers spread over 600 ms.
    ASSERT_TRUE(socket.SendToGroup(kBroadcastDiscovery));
    const auto first = socket.Receive(2s);
    const auto firstAt = std::chrono::steady_clock::now();
    ASSERT_TRUE(first.has_value());
    const auto rest = socket.ReceiveUntilQuiet(500ms);
    const auto lastAt = std::chrono::steady_clock::now() - 500ms;
    EXPECT_EQ(rest.size(), 19u);
    EXPECT_GE(lastAt - firstAt, 400ms);
}

TEST_F(SimulatorLab, FloodSendsTheConfiguredNumberOfCopies)
{
    ASSERT_TRUE(sim_.Start(ql5::lab::ConverterNamespace(1),
                           R"({"converters": [{"mac": "02:51:c5:00:00:01", "ip": "198.51.100.10",
                               "name": "A", "misbehave": {"flood": {"count": 2000}}}]})"));
    WorkstationSocket socket(ql5::lab::WorkstationAddress(1), 16 << 20);
    ASSERT_TRUE(socket.Ok()) << socket.Error();

    ASSERT_TRUE(socket.SendToGroup(kBroadcastDiscovery));
    const auto replies = socket.ReceiveUntilQuiet(500ms);
    ASSERT_EQ(replies.size(), 2001u);  // the answer and 2,000 copies
    for (const auto& reply : replies) {
        ASSERT_EQ(reply.bytes, kOneConverterReply);
    }
}

TEST_F(SimulatorLab, ForgedFloodCarriesAnotherMacInEveryCopyAndTheLogIsPrivate)
{
    ASSERT_TRUE(sim_.Start(ql5::lab::ConverterNamespace(1),
                           R"({"converters": [{"mac": "02:51:c5:00:00:01", "misbehave":
                               {"flood": {"count": 500, "randomMacs": true}}}]})"));
    WorkstationSocket socket(ql5::lab::WorkstationAddress(1), 16 << 20);
    ASSERT_TRUE(socket.Ok()) << socket.Error();

    ASSERT_TRUE(socket.SendToGroup(kBroadcastDiscovery));
    const auto replies = socket.ReceiveUntilQuiet(500ms);
    ASSERT_EQ(replies.size(), 501u);
    std::set<Bytes> macs;
    for (const auto& reply : replies) {
        ASSERT_EQ(reply.bytes.size(), 16u);
        EXPECT_EQ(Bytes(reply.bytes.begin() + 10, reply.bytes.begin() + 13),
                  (Bytes{0x02, 0x51, 0xc5}));
        macs.emplace(reply.bytes.begin() + 10, reply.bytes.end());
    }
    // Three random bytes: a repeat among 500 copies is possible but rare.
    EXPECT_GE(macs.size(), 495u);

    // The log holds the passwords of commands: its owner alone may read it.
    struct stat status {};
    ASSERT_EQ(stat((sim_.Directory() / "received.jsonl").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);
}

#if defined(QL5SIM_PATH)
TEST_F(SimulatorLab, AnExistingLogThatOthersMayReadIsMadePrivateBeforeAnythingIsAppended)
{
    const auto directory = ql5::lab::MakeHostDirectory("ql5sim-log");
    ASSERT_FALSE(directory.empty());
    const auto fleet = directory / "fleet.json";
    const auto log = directory / "old.jsonl";
    std::ofstream(fleet) << kOneConverter;
    std::ofstream(log) << "";
    std::filesystem::permissions(log, std::filesystem::perms(0644));
    // The simulator opens its log before the interfaces: with none to serve
    // it stops right after, in the lab's converter namespace.
    EXPECT_FALSE(ql5::lab::RunHostCommand(
        "ip netns exec " + ql5::lab::ConverterNamespace(1) + " " +
        ql5::lab::ShellQuoted(QL5SIM_PATH) + " --fleet " + ql5::lab::ShellQuoted(fleet.string()) +
        " --log " + ql5::lab::ShellQuoted(log.string()) + " --interface absent0 2>/dev/null"));
    struct stat status {};
    ASSERT_EQ(stat(log.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);
    std::filesystem::remove_all(directory);
}
#endif

TEST_F(SimulatorLab, AnswersOneBroadcastForTenThousandConverters)
{
    ASSERT_TRUE(sim_.Start(ql5::lab::ConverterNamespace(1),
                           R"({"generate": {"count": 10000, "namePrefix": "Converter ",
                               "template": {"mask": "255.254.0.0", "hardwareType": 7}}})"));
    WorkstationSocket socket(ql5::lab::WorkstationAddress(1), 32 << 20);
    ASSERT_TRUE(socket.Ok()) << socket.Error();

    ASSERT_TRUE(socket.SendToGroup(kBroadcastDiscovery));
    const auto replies = socket.ReceiveUntilQuiet(1s);
    std::set<Bytes> macs;
    Bytes previousMac;
    for (const auto& reply : replies) {
        ASSERT_GE(reply.bytes.size(), 16u);
        // The replies go out in runs of equal length that the kernel cuts
        // up: each must still arrive whole, alone and in the fleet's order.
        ASSERT_EQ(reply.bytes.size(), 8u + (reply.bytes[6] << 8 | reply.bytes[7]));
        Bytes mac(reply.bytes.begin() + 10, reply.bytes.begin() + 16);
        ASSERT_LT(previousMac, mac);
        previousMac = mac;
        macs.insert(std::move(mac));
    }
    EXPECT_EQ(replies.size(), 10000u);
    EXPECT_EQ(macs.size(), 10000u);
}

TEST_F(SimulatorLab, StartReportsFleetMistakes)
{
    const auto started =
        sim_.Start(ql5::lab::ConverterNamespace(1),
                   R"({"converters": [{"mac": "02:51:c5:00:00:01", "ipp": "x"}]})");
    EXPECT_FALSE(started);
    EXPECT_NE(std::string(started.message()).find("unknown key \"ipp\""), std::string::npos)
        << started.message();
    EXPECT_FALSE(sim_.Running());
}

// Two links: each converter namespace hears only what is sent on its own link.
TEST(SimulatorTwoLinks, EachLinkReachesOnlyItsOwnConverters)
{
    QL5_REQUIRE_LAB(2);
    SimulatorProcess first;
    SimulatorProcess second;
    ASSERT_TRUE(first.Start(ql5::lab::ConverterNamespace(1), kOneConverter));
    ASSERT_TRUE(second.Start(ql5::lab::ConverterNamespace(2),
                             R"({"converters": [{"mac": "02:51:c5:00:00:02"}]})"));
    WorkstationSocket link1(ql5::lab::WorkstationAddress(1));
    WorkstationSocket link2(ql5::lab::WorkstationAddress(2));
    ASSERT_TRUE(link1.Ok()) << link1.Error();
    ASSERT_TRUE(link2.Ok()) << link2.Error();

    ASSERT_TRUE(link2.SendToGroup(kBroadcastDiscovery));
    const auto replies2 = link2.ReceiveUntilQuiet(500ms);
    ASSERT_EQ(replies2.size(), 1u);
    EXPECT_EQ(replies2[0].from, ql5::lab::ConverterAddress(2) + ":2362");
    EXPECT_EQ(replies2[0].bytes[15], 0x02);

    ASSERT_TRUE(link1.SendToGroup(kBroadcastDiscovery));
    const auto replies1 = link1.ReceiveUntilQuiet(500ms);
    ASSERT_EQ(replies1.size(), 1u);
    EXPECT_EQ(replies1[0].bytes, kOneConverterReply);

    const auto log1 = first.ReceivedDatagrams();
    const auto log2 = second.ReceivedDatagrams();
    ASSERT_EQ(log1.size(), 1u);
    ASSERT_EQ(log2.size(), 1u);
    EXPECT_EQ(log1[0].from, link1.LocalEndpoint());
    EXPECT_EQ(log2[0].from, link2.LocalEndpoint());
}
