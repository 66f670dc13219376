// SPDX-License-Identifier: Apache-2.0
// A workstation on two networks: the sweep hears both, and a command is sent
// from the address on which its converter answers.
#include "lab_client.h"
#include "support/lab_environment.h"
#include "support/simulator_process.h"

#ifndef _WIN32
#include "descriptor_limit.h"
#endif

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <set>
#include <thread>

using namespace ql5::test;
using namespace std::chrono_literals;
using ql5::lab::SimulatorProcess;

namespace {

class TwoLinks : public ::testing::Test {
protected:
    void SetUp() override
    {
        QL5_REQUIRE_LAB(2);
        ASSERT_TRUE(first_.Start(ql5::lab::ConverterNamespace(1), R"({"converters": [
            {"mac": "02:51:c5:00:00:0a", "ip": "198.51.100.10"},
            {"mac": "02:51:c5:00:00:ff", "ip": "198.51.100.99"}]})"));
        ASSERT_TRUE(second_.Start(ql5::lab::ConverterNamespace(2), R"({"converters": [
            {"mac": "02:51:c5:00:00:0b", "ip": "203.0.113.10", "password": "pw"},
            {"mac": "02:51:c5:00:00:ff", "ip": "198.51.100.99"}]})"));
        handle_ = OpenContext(QL5_PROTOCOL_MAGIC);
        ASSERT_NE(handle_, nullptr);
    }
    void TearDown() override { CloseContext(handle_); }

    DiscoveryHandle handle_ = nullptr;
    SimulatorProcess first_;
    SimulatorProcess second_;
};

}  // namespace

TEST_F(TwoLinks, SweepFindsBothNetworksAndListsATwiceHeardConverterTwice)
{
    NotificationRecorder recorder;
    ASSERT_EQ(StartDiscovery(handle_, recorder.Window(), 0x8002, 0), 0);
    const auto records = CollectRecords(handle_, 4, 3s);
    StopDiscovery(handle_);
    ASSERT_EQ(records.size(), 4u);

    std::multimap<std::string, std::string> localByMac;
    for (const auto& record : records)
        localByMac.emplace(FormatMac(record.macAddress), FormatIpv4(record.localAddress));
    const std::string first = ql5::lab::WorkstationAddress(1);
    const std::string second = ql5::lab::WorkstationAddress(2);
    EXPECT_EQ(localByMac.find("02:51:c5:00:00:0a")->second, first);
    EXPECT_EQ(localByMac.find("02:51:c5:00:00:0b")->second, second);
    const auto [begin, end] = localByMac.equal_range("02:51:c5:00:00:ff");
    ASSERT_EQ(std::distance(begin, end), 2);
    EXPECT_NE(begin->second, std::next(begin)->second);

    // One request went out through each address.
    ASSERT_EQ(first_.ReceivedDatagrams().size(), 1u);
    ASSERT_EQ(second_.ReceivedDatagrams().size(), 1u);
    EXPECT_EQ(first_.ReceivedDatagrams()[0].from.rfind(first + ":", 0), 0u);
    EXPECT_EQ(second_.ReceivedDatagrams()[0].from.rfind(second + ":", 0), 0u);
}

TEST_F(TwoLinks, CommandLocatesTheConverterFirstAndLeavesFromItsNetwork)
{
    const Mac target = ParseMac("02:51:c5:00:00:0b");
    ASSERT_EQ(ConfigureDhcp(handle_, target.data(), 1, "pw"), 0);

    const auto there = second_.ReceivedDatagrams();
    ASSERT_EQ(there.size(), 2u);
    // First the addressed discovery, then the command, both from the second
    // network's address.
    EXPECT_EQ(there[0].bytes, ParseHex("4449474900010006"
                                       "0251c500000b"));
    EXPECT_EQ(there[1].bytes, ParseHex("444947490007000a"
                                       "01"
                                       "0251c500000b"
                                       "02"
                                       "7077"));
    const std::string second = ql5::lab::WorkstationAddress(2) + ":";
    EXPECT_EQ(there[0].from.rfind(second, 0), 0u);
    EXPECT_EQ(there[1].from.rfind(second, 0), 0u);

    // The locating query went out on the other network too, the command did not.
    ASSERT_TRUE(first_.WaitForDatagrams(1));
    std::this_thread::sleep_for(100ms);
    const auto elsewhere = first_.ReceivedDatagrams();
    ASSERT_EQ(elsewhere.size(), 1u);
    EXPECT_EQ(elsewhere[0].bytes, there[0].bytes);
}

// The public list of local addresses names the lab's interfaces with their
// masks and flags; a short array gets the first entries and the full count.
TEST_F(TwoLinks, LocalAddressesCarryTheirInterfacesMasksAndFlags)
{
    std::vector<LocalInterfaceAddress> listed(64);
    const int32_t count = ListLocalAddresses(listed.data(), 64);
    ASSERT_GE(count, 2);
    ASSERT_LE(count, 64);
    listed.resize(static_cast<std::size_t>(count));
    for (int link : {1, 2}) {
        const auto found = std::find_if(listed.begin(), listed.end(), [&](const auto& entry) {
            return FormatIpv4(entry.address) == ql5::lab::WorkstationAddress(link);
        });
        ASSERT_NE(found, listed.end()) << link;
        EXPECT_EQ(FormatIpv4(found->subnetMask), "255.255.255.0");
        EXPECT_EQ(found->flags, QL5_INTERFACE_UP);
#ifndef _WIN32
        EXPECT_STREQ(found->interfaceName, ql5::lab::WorkstationInterface(link).c_str());
#endif
    }
    for (const auto& entry : listed) {
        if (FormatIpv4(entry.address).rfind("127.", 0) == 0) {
            EXPECT_NE(entry.flags & QL5_INTERFACE_LOOPBACK, 0u);
        }
    }
    LocalInterfaceAddress first{};
    EXPECT_EQ(ListLocalAddresses(&first, 1), count);
    EXPECT_EQ(first.address, listed[0].address);
    EXPECT_STREQ(first.interfaceName, listed[0].interfaceName);
    EXPECT_EQ(ListLocalAddresses(nullptr, 0), count);
    EXPECT_EQ(ListLocalAddresses(nullptr, 1), -1);
}

TEST_F(TwoLinks, AnAddressWhoseSocketCannotBeOpenedIsSkippedAndTheOthersServe)
{
    // One descriptor to spare: the first network's socket takes it, and the
    // second network's cannot be opened. The sweep and the query go on with
    // the first, and the sweep says which addresses it listens on.
#ifdef _WIN32
    GTEST_SKIP() << "Windows has no limit on sockets to lower";
#else
    NotificationRecorder recorder;
    DeviceRecordExchange record{};
    int started = 0, queried = 0;
    {
        DescriptorLimit limit(1);
        ASSERT_TRUE(limit.Ok());
        started = StartDiscovery(handle_, recorder.Window(), 0x8002, 0);
    }
    {
        DescriptorLimit limit(1);
        ASSERT_TRUE(limit.Ok());
        queried = QueryDevice(handle_, ParseMac("02:51:c5:00:00:0a").data(), &record);
    }
    ASSERT_EQ(started, 0) << StatusText(handle_);
    EXPECT_EQ(queried, 0);
    std::uint32_t addresses[4] = {};
    ASSERT_EQ(GetSweepAddresses(handle_, addresses, 4), 1);
    EXPECT_EQ(FormatIpv4(addresses[0]), ql5::lab::WorkstationAddress(1));
    const auto records = CollectRecords(handle_, 3, 1500ms);
    StopDiscovery(handle_);
    std::set<std::string> macs;
    for (const auto& found : records)
        macs.insert(FormatMac(found.macAddress));
    EXPECT_EQ(macs, (std::set<std::string>{"02:51:c5:00:00:0a", "02:51:c5:00:00:ff"}));
    EXPECT_EQ(first_.ReceivedDatagrams().size(), 2u);  // the sweep's and the query's
    EXPECT_TRUE(second_.ReceivedDatagrams().empty());
#endif
}
