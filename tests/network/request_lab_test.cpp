// SPDX-License-Identifier: Apache-2.0
// Requests to one converter on a workstation with a single IPv4 address.
#include "lab_client.h"
#include "support/datagram_sender.h"
#include "support/lab_environment.h"
#include "support/simulator_process.h"

#ifndef _WIN32
#include "descriptor_limit.h"
#endif

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <future>
#include <thread>

using namespace ql5::test;
using namespace std::chrono_literals;
using ql5::lab::SimulatorProcess;

namespace {

const Mac kConverter = ParseMac("02:51:c5:01:02:03");
const Mac kStubborn = ParseMac("02:51:c5:01:02:04");
const Mac kPolite = ParseMac("02:51:c5:01:02:05");
const Mac kSlow = ParseMac("02:51:c5:01:02:07");
const Mac kBroadcast = ParseMac("ff:ff:ff:ff:ff:ff");

const char* const kFleet = R"({"converters": [
    {"mac": "02:51:c5:01:02:03", "ip": "198.51.100.20", "mask": "255.255.255.0",
     "gateway": "198.51.100.1", "dhcp": 1, "password": "secret",
     "refusal": {"result": 1, "error": 5, "message": "Password incorrect"}},
    {"mac": "02:51:c5:01:02:04", "password": "secret",
     "refusal": {"result": 1, "error": 0, "message": "Locked by the front panel"}},
    {"mac": "02:51:c5:01:02:05", "password": "secret",
     "refusal": {"result": 2, "error": 9, "message": "MMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMM"}},
    {"mac": "02:51:c5:01:02:06", "misbehave": {"drop": true}},
    {"mac": "02:51:c5:01:02:07", "password": "secret", "misbehave": {"delayMs": 1500}}]})";

class OneLinkRequests : public ::testing::Test {
protected:
    void SetUp() override
    {
        QL5_REQUIRE_LAB(1);
        ASSERT_TRUE(sim_.Start(ql5::lab::ConverterNamespace(1), kFleet));
        handle_ = OpenContext(QL5_PROTOCOL_MAGIC);
        ASSERT_NE(handle_, nullptr);
    }
    void TearDown() override { CloseContext(handle_); }

    DiscoveryHandle handle_ = nullptr;
    SimulatorProcess sim_;
};

std::vector<std::uint8_t> Join(std::initializer_list<std::vector<std::uint8_t>> parts)
{
    std::vector<std::uint8_t> out;
    for (const auto& part : parts)
        out.insert(out.end(), part.begin(), part.end());
    return out;
}

}  // namespace

TEST_F(OneLinkRequests, CommandsLeaveWithExactBytesAfterOneLocatingQuery)
{
    EXPECT_EQ(ConfigureStatic(handle_, kConverter.data(), ParseIpv4("198.51.100.77"),
                              ParseIpv4("255.255.255.0"), ParseIpv4("198.51.100.1"), "secret"),
              0);
    EXPECT_EQ(ConfigureDhcp(handle_, kConverter.data(), 1, "secret"), 0);
    EXPECT_EQ(RebootDevice(handle_, kConverter.data(), ""), 1);  // wrong (empty) password
    EXPECT_EQ(GetStatusCode(handle_), 5);

    // Even with one local address a locating query precedes the first
    // command, so that a second source is refused; the context then knows
    // where the converter answers, and the later commands leave at once.
    auto received = sim_.ReceivedDatagrams();
    ASSERT_EQ(received.size(), 4u);
    EXPECT_EQ(MessageTypes(std::vector{received[0]}), (std::vector<int>{1}));
    received.erase(received.begin());
    EXPECT_EQ(received[0].bytes,
              Join({
                  {0x44, 0x49, 0x47, 0x49, 0x00, 0x03, 0x00, 0x19},  // header: type 3, payload 25
                  {198, 51, 100, 77},                                // new address
                  {255, 255, 255, 0},                                // mask
                  {198, 51, 100, 1},                                 // gateway
                  {0x02, 0x51, 0xC5, 0x01, 0x02, 0x03},              // target MAC
                  {0x06, 's', 'e', 'c', 'r', 'e', 't'},              // password
              }));
    EXPECT_EQ(received[1].bytes,
              Join({
                  {0x44, 0x49, 0x47, 0x49, 0x00, 0x07, 0x00, 0x0E},  // header: type 7, payload 14
                  {0x01},                                            // DHCP on
                  {0x02, 0x51, 0xC5, 0x01, 0x02, 0x03},              // target MAC
                  {0x06, 's', 'e', 'c', 'r', 'e', 't'},              // password
              }));
    EXPECT_EQ(received[2].bytes,
              Join({
                  {0x44, 0x49, 0x47, 0x49, 0x00, 0x05, 0x00, 0x07},  // header: type 5, payload 7
                  {0x02, 0x51, 0xC5, 0x01, 0x02, 0x03},              // target MAC
                  {0x00},                                            // empty password
              }));
    for (const auto& datagram : received)
        EXPECT_EQ(datagram.from.rfind(ql5::lab::WorkstationAddress(1) + ":", 0), 0u);
}

TEST_F(OneLinkRequests, QueryReturnsTheConvertersCurrentSettings)
{
    ASSERT_EQ(ConfigureStatic(handle_, kConverter.data(), ParseIpv4("198.51.100.78"),
                              ParseIpv4("255.255.0.0"), ParseIpv4("198.51.100.2"), "secret"),
              0);
    DeviceRecordExchange record;
    ASSERT_EQ(QueryDevice(handle_, kConverter.data(), &record), 0);
    EXPECT_EQ(FormatIpv4(record.ipAddress), "198.51.100.78");
    EXPECT_EQ(FormatIpv4(record.subnetMask), "255.255.0.0");
    EXPECT_EQ(record.dhcpMode, 0);
    EXPECT_EQ(FormatMac(record.macAddress), "02:51:c5:01:02:03");
    EXPECT_EQ(FormatIpv4(record.localAddress), ql5::lab::WorkstationAddress(1));
    EXPECT_EQ(GetStatusCode(handle_), 0);
    EXPECT_EQ(StatusText(handle_), "Operation Successful");
}

TEST_F(OneLinkRequests, RefusalsMapToResultAndStatus)
{
    EXPECT_EQ(ConfigureDhcp(handle_, kConverter.data(), 1, "wrong"), 1);
    EXPECT_EQ(GetStatusCode(handle_), 5);
    EXPECT_EQ(StatusText(handle_), "Password incorrect");

    // A refusal without an error number: the result says so, the code is 0.
    EXPECT_EQ(RebootDevice(handle_, kStubborn.data(), "wrong"), 1);
    EXPECT_EQ(GetStatusCode(handle_), 0);
    EXPECT_EQ(StatusText(handle_), "Locked by the front panel");

    // The longest message one field carries arrives whole: 255 characters.
    EXPECT_EQ(ConfigureDhcp(handle_, kPolite.data(), 1, "wrong"), 2);
    EXPECT_EQ(GetStatusCode(handle_), 9);
    EXPECT_EQ(StatusText(handle_), std::string(255, 'M'));

    // Accepted without error number or message: result 0, status 0 and empty.
    EXPECT_EQ(RebootDevice(handle_, kPolite.data(), "secret"), 0);
    EXPECT_EQ(GetStatusCode(handle_), 0);
    EXPECT_EQ(StatusText(handle_), "");
}

TEST_F(OneLinkRequests, BroadcastMacIsRefusedAfterTheStatusReset)
{
    ASSERT_EQ(ConfigureDhcp(handle_, kConverter.data(), 1, "wrong"), 1);
    ASSERT_EQ(GetStatusCode(handle_), 5);
    DeviceRecordExchange record;
    std::memset(&record, 0x5A, sizeof record);
    EXPECT_EQ(QueryDevice(handle_, kBroadcast.data(), &record), -1);
    EXPECT_EQ(GetStatusCode(handle_), 0);
    EXPECT_EQ(StatusText(handle_), "Operation Successful");
    EXPECT_EQ(record.recordSize, 0x5A5A5A5Au);

    ASSERT_EQ(ConfigureDhcp(handle_, kConverter.data(), 1, "wrong"), 1);
    EXPECT_EQ(RebootDevice(handle_, kBroadcast.data(), "secret"), -1);
    EXPECT_EQ(GetStatusCode(handle_), 0);
    sim_.ClearReceived();
    EXPECT_EQ(ConfigureStatic(handle_, kBroadcast.data(), 0, 0, 0, "secret"), -1);
    std::this_thread::sleep_for(200ms);
    EXPECT_TRUE(sim_.ReceivedDatagrams().empty());
}

TEST_F(OneLinkRequests, OverlongPasswordIsRefusedBeforeAnythingHappens)
{
    ASSERT_EQ(ConfigureDhcp(handle_, kConverter.data(), 1, "wrong"), 1);
    sim_.ClearReceived();
    const std::string overlong(256, 'p');
    EXPECT_EQ(ConfigureDhcp(handle_, kConverter.data(), 1, overlong.c_str()), -1);
    EXPECT_EQ(RebootDevice(handle_, kConverter.data(), overlong.c_str()), -1);
    EXPECT_EQ(ConfigureStatic(handle_, kConverter.data(), 0, 0, 0, overlong.c_str()), -1);
    EXPECT_EQ(RebootDevice(handle_, kConverter.data(), nullptr), -1);
    EXPECT_EQ(GetStatusCode(handle_), 5);  // untouched: the checks come first
    std::this_thread::sleep_for(200ms);
    EXPECT_TRUE(sim_.ReceivedDatagrams().empty());

    const std::string longest(255, 'p');
    EXPECT_EQ(ConfigureDhcp(handle_, kConverter.data(), 1, longest.c_str()), 1);
    ASSERT_TRUE(sim_.WaitForDatagrams(1));
    EXPECT_EQ(sim_.ReceivedDatagrams()[0].bytes.size(), 271u);
}

TEST_F(OneLinkRequests, StrayRepliesDoNotEndTheWait)
{
    // The slow converter answers after 1.5 s. Meanwhile a reply of the right
    // type from another MAC, and one of another type from the right MAC, reach
    // the request's socket; neither may end the exchange.
    auto pending = std::async(std::launch::async, [&] {
        DiscoveryHandle own = OpenContext(QL5_PROTOCOL_MAGIC);
        const int result = RebootDevice(own, kSlow.data(), "secret");
        const int code = GetStatusCode(own);
        CloseContext(own);
        return std::make_pair(result, code);
    });
    ASSERT_TRUE(sim_.WaitForDatagrams(1));
    const std::string target = sim_.ReceivedDatagrams()[0].from;

    const auto impostor = Join({{0x44, 0x49, 0x47, 0x49, 0x00, 0x06, 0x00, 0x0B},
                                {0x01, 0x06, 0x02, 0x51, 0xC5, 0x09, 0x09, 0x09},  // other MAC
                                {0x11, 0x01, 0x2A}});                              // error 42
    const auto wrongType = Join({{0x44, 0x49, 0x47, 0x49, 0x00, 0x04, 0x00, 0x0B},
                                 {0x01, 0x06, 0x02, 0x51, 0xC5, 0x01, 0x02, 0x07},  // right MAC
                                 {0x11, 0x01, 0x2B}});                              // error 43
    ql5::lab::DatagramSender sender;
    ASSERT_TRUE(sender.Ok());
    for (const auto* bytes : {&impostor, &wrongType})
        EXPECT_TRUE(sender.SendTo(target, *bytes));

    const auto [result, code] = pending.get();
    EXPECT_EQ(result, 0);
    EXPECT_EQ(code, 0);
}

TEST_F(OneLinkRequests, FailuresOnThisHostAreExplainedInTheStatusText)
{
    // With the only interface down the host has no IPv4 address to send from.
    const std::string link = ql5::lab::WorkstationInterface(1);
    ASSERT_TRUE(RunInLab("ip link set " + link + " down"));
    DeviceRecordExchange record;
    const int queried = QueryDevice(handle_, kConverter.data(), &record);
    const std::string queryText = StatusText(handle_);
    const int rebooted = RebootDevice(handle_, kConverter.data(), "secret");
    const int rebootCode = GetStatusCode(handle_);
    const std::string rebootText = StatusText(handle_);
    ASSERT_TRUE(RunInLab("ip link set " + link + " up"));
    EXPECT_EQ(queried, -1);
    EXPECT_EQ(queryText, "no IPv4 address on any interface that is up");
    EXPECT_EQ(rebooted, -1);
    EXPECT_EQ(rebootCode, 0);  // nothing sets -1
    EXPECT_EQ(rebootText, "no IPv4 address on any interface that is up");

#ifndef _WIN32
    // Out of descriptors: the system's own reason comes through. Windows has
    // no limit on sockets to lower.
    {
        DescriptorLimit limit(0);
        ASSERT_TRUE(limit.Ok());
        EXPECT_EQ(ConfigureDhcp(handle_, kConverter.data(), 1, "secret"), -1);
    }
    EXPECT_EQ(GetStatusCode(handle_), 0);
    EXPECT_EQ(StatusText(handle_),
              "cannot list the local IPv4 addresses: " + std::string(std::strerror(EMFILE)));
#endif

    // The next request starts afresh and works again.
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(QueryDevice(handle_, kConverter.data(), &record), 0);
    EXPECT_EQ(StatusText(handle_), "Operation Successful");
}
