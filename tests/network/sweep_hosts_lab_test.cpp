// SPDX-License-Identifier: Apache-2.0
// The sweep's unicast requests to named hosts: the converter among them gets
// the multicast request's very bytes by unicast, and the rest go out no
// faster than the pace, while StopDiscovery still ends the sweep at once.
#include "lab_client.h"
#include "support/host_command.h"
#include "support/lab_environment.h"
#include "support/simulator_process.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <thread>

using namespace std::chrono_literals;
using ql5::test::NotificationRecorder;
using ql5::test::ParseIpv4;

namespace {

constexpr std::uint32_t kRepliesWaiting = 0x8002;

long TransmittedPackets(const std::string& interfaceName)
{
    std::ifstream counter(
        ql5::lab::LocalPath("/sys/class/net/" + interfaceName + "/statistics/tx_packets"));
    long packets = -1;
    counter >> packets;
    return packets;
}

}  // namespace

TEST(OneLinkSweepHosts, NamedHostsGetTheRequestByUnicastAtThePace)
{
    QL5_REQUIRE_LAB(1);
    ql5::lab::SimulatorProcess sim;
    ASSERT_TRUE(sim.Start(ql5::lab::ConverterNamespace(1), R"({"converters": [
        {"mac": "02:51:c5:40:00:01", "ip": "198.51.100.40"}]})"));
    // Addresses that lead through the converter's namespace, which drops
    // them: each request to them is one packet on the link and nothing else.
    const std::string route = "ip route add 10.99.0.0/16 via " + ql5::lab::ConverterAddress(1);
    ASSERT_TRUE(ql5::test::RunInLab(route));

    std::vector<std::uint32_t> hosts = {ParseIpv4(ql5::lab::ConverterAddress(1))};
    for (std::uint32_t i = 1; i < 4096; ++i)
        hosts.push_back(
            ParseIpv4("10.99." + std::to_string(i / 256) + "." + std::to_string(i % 256)));
    NotificationRecorder recorder;
    DiscoveryHandle handle = OpenContext(QL5_PROTOCOL_MAGIC);
    ASSERT_NE(handle, nullptr);
    ASSERT_EQ(SetSweepHosts(handle, hosts.data(), static_cast<std::uint32_t>(hosts.size())), 0);

    const std::string link = ql5::lab::WorkstationInterface(1);
    const long before = TransmittedPackets(link);
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(StartDiscovery(handle, recorder.Window(), kRepliesWaiting, 0), 0);
    std::this_thread::sleep_for(2s);
    const auto stopping = std::chrono::steady_clock::now();
    StopDiscovery(handle);
    const auto stopped = std::chrono::steady_clock::now();
    const long sent = TransmittedPackets(link) - before;
    const double seconds = std::chrono::duration<double>(stopped - start).count();

    // One burst at once, then 250 a second; the slack is for the multicast
    // request and the odd neighbour query.
    EXPECT_LE(sent, 64 + static_cast<long>(250 * seconds) + 8) << seconds << " s";
    EXPECT_GE(sent, 250) << seconds << " s";
    EXPECT_LT(stopped - stopping, 1s);

    // The converter heard the multicast request and then the same bytes by
    // unicast, from the workstation's one address, and answered once per
    // request: one record, since both replies came in on that address.
    const auto received = sim.ReceivedDatagrams();
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[0].bytes, received[1].bytes);
    EXPECT_EQ(received[1].from.substr(0, received[1].from.find(':')),
              ql5::lab::WorkstationAddress(1));
    EXPECT_EQ(GetDeviceCount(handle), 1);
    CloseContext(handle);
}
