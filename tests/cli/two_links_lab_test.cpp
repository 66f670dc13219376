// SPDX-License-Identifier: Apache-2.0
// ql5ctl on a workstation with two networks, where the client finds a
// converter on each and must pick the right interface for a command.
#include "ctl_process.h"
#include "support/lab_environment.h"
#include "support/simulator_process.h"
#include "text_lines.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <set>

using ql5::cli::CtlResult;
using ql5::cli::Lines;
using ql5::cli::PasswordInEnvironment;
using ql5::cli::RunCtl;
using ql5::lab::SimulatorProcess;

namespace {

// The same converter answers on both networks (as a duplicate MAC would), and
// each network has one converter of its own.
const char* const kFleetNetwork1 = R"({"converters": [
    {"mac": "02:51:c5:20:00:01", "ip": "198.51.100.20", "name": "Twin"},
    {"mac": "02:51:c5:20:00:02", "ip": "198.51.100.21", "name": "North",
     "password": "pw", "successMessage": "ok"}]})";
const char* const kFleetNetwork2 = R"({"converters": [
    {"mac": "02:51:c5:20:00:01", "ip": "203.0.113.20", "name": "Twin"},
    {"mac": "02:51:c5:20:00:03", "ip": "203.0.113.21", "name": "South",
     "password": "pw", "successMessage": "ok"}]})";

// Datagrams of a command type (3, 5 or 7) that reached a simulator.
int CommandsReceived(const SimulatorProcess& simulator)
{
    const auto received = simulator.ReceivedDatagrams();
    return static_cast<int>(std::count_if(received.begin(), received.end(), [](const auto& d) {
        return d.bytes.size() > 5 && (d.bytes[5] == 3 || d.bytes[5] == 5 || d.bytes[5] == 7);
    }));
}

class TwoLinksCli : public ::testing::Test {
protected:
    void SetUp() override
    {
        QL5_REQUIRE_LAB(2);
        ASSERT_TRUE(network1_.Start(ql5::lab::ConverterNamespace(1), kFleetNetwork1));
        ASSERT_TRUE(network2_.Start(ql5::lab::ConverterNamespace(2), kFleetNetwork2));
    }

    SimulatorProcess network1_;
    SimulatorProcess network2_;
};

}  // namespace

TEST_F(TwoLinksCli, ListShowsAConverterOncePerInterfaceItAnsweredOn)
{
    const CtlResult run = RunCtl({"list", "--wait", "1", "--format", "json"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const auto converters = nlohmann::json::parse(run.out).at("converters");
    ASSERT_EQ(converters.size(), 4u) << run.out;
    std::set<std::string> twinSeenOn;
    for (const auto& converter : converters) {
        if (converter.at("mac") == "02:51:c5:20:00:01")
            twinSeenOn.insert(converter.at("interface").get<std::string>() + " " +
                              converter.at("localAddress").get<std::string>());
    }
    EXPECT_EQ(twinSeenOn, (std::set<std::string>{"ws0 198.51.100.1", "ws1 203.0.113.1"}));
}

TEST_F(TwoLinksCli, CommandsReachConvertersOnEitherNetwork)
{
    for (const char* mac : {"02:51:c5:20:00:02", "02:51:c5:20:00:03"}) {
        const CtlResult run = RunCtl({"dhcp", mac}, PasswordInEnvironment("pw"));
        EXPECT_EQ(run.exitCode, 0) << mac << ": " << run.err;
        EXPECT_EQ(run.out, std::string(mac) + ": DHCP switched on (ok)\n");
    }
}

TEST_F(TwoLinksCli, ACommandForAMacHeardOnTwoNetworksWaitsForInterface)
{
    // "Twin" answers on both networks from different addresses: one of them
    // may be a host posing as the converter, so no password goes anywhere.
    const CtlResult refused = RunCtl({"dhcp", "02:51:c5:20:00:01"}, PasswordInEnvironment(""));
    EXPECT_EQ(refused.exitCode, 7);
    EXPECT_EQ(refused.out, "");
    const auto lines = Lines(refused.err);
    ASSERT_EQ(lines.size(), 2u) << refused.err;
    EXPECT_TRUE(lines[0] ==
                    "ql5ctl: 02:51:c5:20:00:01: the MAC answered from more than one "
                    "address (on the local addresses 198.51.100.1 and 203.0.113.1); "
                    "the command was not sent" ||
                lines[0] ==
                    "ql5ctl: 02:51:c5:20:00:01: the MAC answered from more than one "
                    "address (on the local addresses 203.0.113.1 and 198.51.100.1); "
                    "the command was not sent")
        << lines[0];
    EXPECT_NE(lines[1].find("choose the network with --interface NAME|ADDRESS"), std::string::npos);
    EXPECT_EQ(CommandsReceived(network1_), 0);
    EXPECT_EQ(CommandsReceived(network2_), 0);

    // Chosen by name, the command reaches that network alone.
    const CtlResult chosen =
        RunCtl({"dhcp", "02:51:c5:20:00:01", "--interface", "ws1"}, PasswordInEnvironment(""));
    EXPECT_EQ(chosen.exitCode, 0) << chosen.err;
    EXPECT_EQ(CommandsReceived(network1_), 0);
    EXPECT_EQ(CommandsReceived(network2_), 1);
}
