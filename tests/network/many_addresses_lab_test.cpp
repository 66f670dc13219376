// SPDX-License-Identifier: Apache-2.0
// A workstation with 70 IPv4 addresses on one link, of which only the last
// reaches the converter: every address is served, however many there are.
#include "lab_client.h"
#include "support/lab_environment.h"
#include "support/simulator_process.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

using namespace ql5::test;
using namespace std::chrono_literals;
using ql5::lab::SimulatorProcess;

namespace {

constexpr int kExtraAddresses = 69;

// 69 addresses of another network, added before the link's own address, which
// the system then lists last. The workstation answers address queries (ARP)
// only for addresses of the asker's network, so the converter can hear
// requests from all 70 but answer only through the last. Undone again when the
// object goes.
class ExtraAddresses {
public:
    ExtraAddresses()
    {
        const std::string link = " dev " + ql5::lab::WorkstationInterface(1);
        own_ = ql5::lab::WorkstationAddress(1) + "/24";
        ok_ = RunInLab(ArpIgnore(2)) && RunInLab("ip addr del " + own_ + link);
        for (int i = 0; i < kExtraAddresses && ok_; ++i) {
            extra_.push_back("192.0.2." + std::to_string(10 + i));
            ok_ = RunInLab("ip addr add " + extra_.back() + "/32" + link);
        }
        ok_ = RunInLab("ip addr add " + own_ + link) && ok_;
    }
    ~ExtraAddresses()
    {
        for (const std::string& address : extra_)
            RunInLab("ip addr del " + address + "/32 dev " + ql5::lab::WorkstationInterface(1));
        RunInLab(ArpIgnore(0));
    }
    ExtraAddresses(const ExtraAddresses&) = delete;
    ExtraAddresses& operator=(const ExtraAddresses&) = delete;
    bool Ok() const { return ok_; }

private:
    static std::string ArpIgnore(int mode)
    {
        return "sysctl -q -w net.ipv4.conf." + ql5::lab::WorkstationInterface(1) +
               ".arp_ignore=" + std::to_string(mode);
    }

    std::string own_;
    std::vector<std::string> extra_;
    bool ok_ = false;
};

}  // namespace

TEST(ManyAddresses, TheConverterBehindTheSeventiethAddressIsFoundAndCommanded)
{
    QL5_REQUIRE_LAB(1);
    SimulatorProcess sim;
    ASSERT_TRUE(sim.Start(ql5::lab::ConverterNamespace(1), R"({"converters": [
        {"mac": "02:51:c5:01:05:01", "password": "pw"}]})"));
    const ExtraAddresses addresses;
    ASSERT_TRUE(addresses.Ok());
    const std::string last = ql5::lab::WorkstationAddress(1);
    DiscoveryHandle handle = OpenContext(QL5_PROTOCOL_MAGIC);
    ASSERT_NE(handle, nullptr);

    NotificationRecorder recorder;
    ASSERT_EQ(StartDiscovery(handle, recorder.Window(), 0x8002, 0), 0);
    std::vector<std::uint32_t> listening(100);
    ASSERT_EQ(GetSweepAddresses(handle, listening.data(), 100), kExtraAddresses + 1);
    EXPECT_EQ(FormatIpv4(listening[kExtraAddresses]), last);
    const auto records = CollectRecords(handle, 1, 3s);
    StopDiscovery(handle);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(FormatIpv4(records[0].localAddress), last);

    // The sweep's request left from every address once.
    auto received = sim.ReceivedDatagrams();
    std::set<std::string> sources;
    for (const auto& datagram : received)
        sources.insert(datagram.from.substr(0, datagram.from.rfind(':')));
    EXPECT_EQ(received.size(), static_cast<std::size_t>(kExtraAddresses + 1));
    EXPECT_EQ(sources.size(), static_cast<std::size_t>(kExtraAddresses + 1));

    const Mac mac = ParseMac("02:51:c5:01:05:01");
    DeviceRecordExchange record{};
    ASSERT_EQ(QueryDevice(handle, mac.data(), &record), 0);
    EXPECT_EQ(FormatIpv4(record.localAddress), last);
    sim.ClearReceived();
    EXPECT_EQ(ConfigureDhcp(handle, mac.data(), 1, "pw"), 0) << StatusText(handle);
    received = sim.ReceivedDatagrams();
    ASSERT_EQ(MessageTypes(received).back(), 7);
    EXPECT_EQ(received.back().from.rfind(last + ":", 0), 0u);
    CloseContext(handle);
}
