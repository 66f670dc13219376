// SPDX-License-Identifier: Apache-2.0
// ql5ctl and a converter behind a router, which forwards unicast but not the
// discovery group: only --host finds and configures it.
#include "ctl_process.h"
#include "support/lab_environment.h"
#include "support/simulator_process.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdlib>
#include <map>

using ql5::cli::CtlResult;
using ql5::cli::PasswordInEnvironment;
using ql5::cli::RunCtl;
using ql5::lab::SimulatorProcess;

namespace {

const char kNearMac[] = "02:51:c5:30:00:01";
const char kFarMac[] = "02:51:c5:30:00:02";

// The interface on which each MAC of a JSON listing answered.
std::map<std::string, std::string> InterfacesByMac(const CtlResult& run)
{
    std::map<std::string, std::string> seen;
    const auto listing = nlohmann::json::parse(run.out);
    for (const auto& converter : listing.at("converters"))
        seen[converter.at("mac").get<std::string>()] =
            converter.at("interface").get<std::string>() + " " +
            converter.at("localAddress").get<std::string>();
    return seen;
}

}  // namespace

TEST(RoutedCli, AConverterBehindARouterIsFoundAndConfiguredByUnicastOnly)
{
    QL5_REQUIRE_LAB(2);
    if (std::getenv("QL5_LAB_ROUTED") == nullptr)
        GTEST_SKIP() << "needs scripts/lab run --links 2 --routed";
    SimulatorProcess near;
    SimulatorProcess far;
    ASSERT_TRUE(near.Start(ql5::lab::ConverterNamespace(1), R"({"converters": [
        {"mac": "02:51:c5:30:00:01", "ip": "198.51.100.30", "name": "Near"}]})"));
    ASSERT_TRUE(far.Start(ql5::lab::ConverterNamespace(2), R"({"converters": [
        {"mac": "02:51:c5:30:00:02", "ip": "192.0.2.2", "name": "Far",
         "password": "pw", "successMessage": "ok"}]})"));

    const CtlResult plain = RunCtl({"list", "--wait", "1", "--format", "json"});
    ASSERT_EQ(plain.exitCode, 0) << plain.err;
    EXPECT_EQ(InterfacesByMac(plain),
              (std::map<std::string, std::string>{{kNearMac, "ws0 198.51.100.1"}}));

    // The range holds the router (which does not answer) and the converter.
    const CtlResult named =
        RunCtl({"list", "--wait", "1", "--format", "json", "--host", "192.0.2.0/29"});
    ASSERT_EQ(named.exitCode, 0) << named.err;
    EXPECT_EQ(InterfacesByMac(named),
              (std::map<std::string, std::string>{{kNearMac, "ws0 198.51.100.1"},
                                                  {kFarMac, "ws1 203.0.113.1"}}));

    // The confirmation, too, goes by unicast: to the new address, which no
    // one holds here, and to the old one, where the converter now reports the
    // new settings.
    const CtlResult set = RunCtl({"set-ip", kFarMac, "192.0.2.3", "255.255.255.0", "192.0.2.1",
                                  "--host", ql5::lab::ConverterAddress(2), "--verify=strict"},
                                 PasswordInEnvironment("pw"));
    EXPECT_EQ(set.exitCode, 0) << set.err;
    EXPECT_EQ(set.out, std::string(kFarMac) + ": static IP settings stored (ok)\n" + kFarMac +
                           ": confirmed: it reports IP 192.0.2.3, mask 255.255.255.0, gateway "
                           "192.0.2.1, DHCP Disabled\n");
    const auto received = far.ReceivedDatagrams();
    EXPECT_EQ(std::count_if(received.begin(), received.end(),
                            [](const auto& d) { return d.bytes.size() > 5 && d.bytes[5] == 3; }),
              1);
}
