// SPDX-License-Identifier: Apache-2.0
// Requests through one chosen local address (the `At` calls) on real sockets,
// a command reply that leaves the outcome open, and a forged source that the
// kernel lets through. The rules of where a request goes and which answers
// count are table rows of the unit suite (request_rules_test.cpp).
#include "lab_client.h"
#include "support/lab_environment.h"
#include "support/simulator_process.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

using namespace ql5::test;
using namespace std::chrono_literals;
using ql5::lab::SimulatorProcess;

namespace {

constexpr int kDiscoveryRequest = 1;

const Mac kConverter = ParseMac("02:51:c5:01:03:01");
const Mac kVague = ParseMac("02:51:c5:01:03:03");

class OneLinkTargeted : public ::testing::Test {
protected:
    void SetUp() override
    {
        QL5_REQUIRE_LAB(1);
        ASSERT_TRUE(sim_.Start(ql5::lab::ConverterNamespace(1), R"({"converters": [
            {"mac": "02:51:c5:01:03:01", "ip": "198.51.100.30", "password": "secret"},
            {"mac": "02:51:c5:01:03:03", "password": "secret",
             "misbehave": {"bareCommandReply": true}}]})"));
        handle_ = OpenContext(QL5_PROTOCOL_MAGIC);
        ASSERT_NE(handle_, nullptr);
        local_ = ParseIpv4(ql5::lab::WorkstationAddress(1));
    }
    void TearDown() override { CloseContext(handle_); }

    DiscoveryHandle handle_ = nullptr;
    std::uint32_t local_ = 0;
    SimulatorProcess sim_;
};

}  // namespace

TEST_F(OneLinkTargeted, QueryAtTheChosenAddressByMulticastOrUnicast)
{
    DeviceRecordExchange record{};
    ASSERT_EQ(QueryDeviceAt(handle_, local_, 0, kConverter.data(), 0, &record), 0);
    EXPECT_EQ(record.localAddress, local_);
    EXPECT_EQ(FormatIpv4(record.ipAddress), "198.51.100.30");

    // Unicast to the converter's own address reaches it; to an address where
    // nobody is, nothing arrives, and the shorter reply window ends the wait
    // when it closes, not at the end of the client's next 200 ms cycle.
    const std::uint32_t converter = ParseIpv4(ql5::lab::ConverterAddress(1));
    ASSERT_EQ(QueryDeviceAt(handle_, local_, converter, kConverter.data(), 0, &record), 0);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(
        QueryDeviceAt(handle_, local_, ParseIpv4("198.51.100.3"), kConverter.data(), 50, &record),
        -1);
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_GE(took, 50ms);
    EXPECT_LT(took, 180ms);
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(MessageTypes(sim_.ReceivedDatagrams()),
              (std::vector<int>{kDiscoveryRequest, kDiscoveryRequest}));
}

TEST_F(OneLinkTargeted, ACommandReplyWithoutItsResultIsNoSuccess)
{
    // The converter answers with its MAC alone, as any host that saw the
    // command could: whether the command was carried out is unknown.
    EXPECT_EQ(ConfigureDhcp(handle_, kVague.data(), 1, "wrong"), -1);
    EXPECT_EQ(GetStatusCode(handle_), 0);
    EXPECT_EQ(StatusText(handle_),
              "the converter's reply did not state whether it carried the command out");
    EXPECT_EQ(RebootDeviceAt(handle_, local_, 0, kVague.data(), "secret"), -1);
    EXPECT_EQ(StatusText(handle_),
              "the converter's reply did not state whether it carried the command out");
}

namespace {

// The same MAC on both networks: the real converter on the first, which
// answers 300 ms late, and an impostor on the second, which answers at once.
class TwoLinksTargeted : public ::testing::Test {
protected:
    void SetUp() override
    {
        QL5_REQUIRE_LAB(2);
        ASSERT_TRUE(real_.Start(ql5::lab::ConverterNamespace(1), R"({"converters": [
            {"mac": "02:51:c5:01:04:01", "password": "pw", "misbehave": {"delayMs": 300}}]})"));
        ASSERT_TRUE(impostor_.Start(ql5::lab::ConverterNamespace(2), R"({"converters": [
            {"mac": "02:51:c5:01:04:01", "password": "pw"}]})"));
        handle_ = OpenContext(QL5_PROTOCOL_MAGIC);
        ASSERT_NE(handle_, nullptr);
    }
    void TearDown() override { CloseContext(handle_); }

    const Mac mac_ = ParseMac("02:51:c5:01:04:01");
    DiscoveryHandle handle_ = nullptr;
    SimulatorProcess real_;
    SimulatorProcess impostor_;
};

}  // namespace

TEST_F(TwoLinksTargeted, AForgedSourceOnAnotherNetworkGetsNoPassword)
{
    // The second network's host answers from the first one's converter
    // address, which the kernel's loose reverse-path filter lets through: one
    // source heard on two local addresses that do not both share its subnet
    // is no proof of one converter, so nothing is sent.
    const std::string second = "ip netns exec " + ql5::lab::ConverterNamespace(2) + " ";
    const std::string source = ql5::lab::ConverterAddress(1);
    ASSERT_TRUE(RunInLab(second + "ip addr add " + source + "/32 dev lab0"));
    ASSERT_TRUE(RunInLab(second + "ip route replace 203.0.113.0/24 dev lab0 src " + source));
    const int result = ConfigureDhcp(handle_, mac_.data(), 1, "pw");
    const std::string text = StatusText(handle_);
    EXPECT_TRUE(RunInLab(second + "ip route replace 203.0.113.0/24 dev lab0 src " +
                         ql5::lab::ConverterAddress(2)));
    EXPECT_TRUE(RunInLab(second + "ip addr del " + source + "/32 dev lab0"));

    EXPECT_EQ(result, -1);
    EXPECT_EQ(text.rfind("the MAC answered from more than one address", 0), 0u) << text;
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(MessageTypes(real_.ReceivedDatagrams()), (std::vector<int>{kDiscoveryRequest}));
    EXPECT_EQ(MessageTypes(impostor_.ReceivedDatagrams()), (std::vector<int>{kDiscoveryRequest}));
}
