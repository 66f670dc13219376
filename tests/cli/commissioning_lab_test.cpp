// SPDX-License-Identifier: Apache-2.0
// Commissioning many converters with ql5ctl in the lab: confirming a change,
// applying a plan, and watching the network.
#include "ctl_process.h"
#include "support/impostor.h"
#include "support/lab_environment.h"
#include "support/simulator_process.h"
#include "text_lines.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>

using ql5::cli::CtlOptions;
using ql5::cli::CtlResult;
using ql5::cli::Lines;
using ql5::cli::PasswordInEnvironment;
using ql5::cli::RunCtl;
using ql5::lab::SimulatorProcess;

namespace {

const char* const kFleet = R"({"converters": [
    {"mac": "02:51:c5:20:00:01", "ip": "198.51.100.30", "mask": "255.255.255.0",
     "gateway": "198.51.100.254", "dhcp": 0, "name": "Prompt", "password": "secret"},
    {"mac": "02:51:c5:20:00:02", "ip": "198.51.100.31", "mask": "255.255.255.0",
     "gateway": "198.51.100.254", "dhcp": 0, "name": "After reboot", "password": "secret",
     "applyAfterReboot": true},
    {"mac": "02:51:c5:20:00:03", "ip": "198.51.100.32", "mask": "255.255.255.0",
     "dhcp": 0, "name": "Other password", "password": "other"}]})";

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

class OneLinkCommissioning : public ::testing::Test {
protected:
    void SetUp() override
    {
        QL5_REQUIRE_LAB(1);
        ASSERT_TRUE(sim_.Start(ql5::lab::ConverterNamespace(1), kFleet));
    }

    void TearDown() override { std::remove(planPath_.c_str()); }

    int CommandsReceived()
    {
        const auto received = sim_.ReceivedDatagrams();
        return static_cast<int>(std::count_if(received.begin(), received.end(), [](const auto& d) {
            return d.bytes.size() > 5 && (d.bytes[5] == 3 || d.bytes[5] == 5 || d.bytes[5] == 7);
        }));
    }

    const std::string& Plan(const std::string& text)
    {
        std::ofstream(planPath_) << text;
        return planPath_;
    }

    SimulatorProcess sim_;
    std::string planPath_ = "/tmp/ql5ctl-plan-" + std::to_string(getpid()) + ".csv";
};

}  // namespace

TEST_F(OneLinkCommissioning, VerifyConfirmsTheChangeOrReportsTheOldSettings)
{
    const struct {
        std::vector<std::string> args;
        int exitCode;
        const char* outPart;
        const char* errPart;
    } rows[] = {
        {{"set-ip", "02:51:c5:20:00:01", "198.51.100.40", "255.255.255.0", "198.51.100.254",
          "--verify"},
         0,
         "confirmed: it reports IP 198.51.100.40, mask 255.255.255.0",
         ""},
        {{"dhcp", "02:51:c5:20:00:01", "--verify=strict"}, 0, "confirmed", ""},
        // This converter applies settings only after a reboot.
        {{"set-ip", "02:51:c5:20:00:02", "198.51.100.41", "255.255.255.0", "198.51.100.254",
          "--verify=strict"},
         9,
         "static IP settings stored",
         "still reports IP 198.51.100.31"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.args[0] + " " + row.args[1]);
        const CtlResult run = RunCtl(row.args, PasswordInEnvironment("secret"));
        EXPECT_EQ(run.exitCode, row.exitCode) << run.err;
        EXPECT_TRUE(Contains(run.out, row.outPart)) << run.out;
        EXPECT_TRUE(Contains(run.err, row.errPart)) << run.err;
    }
}

TEST_F(OneLinkCommissioning, ApplyChecksTheWholePlanBeforeSendingAnything)
{
    const struct {
        const char* plan;
        std::vector<std::string> extra;
        int exitCode;
        const char* errPart;
    } rows[] = {
        {"02:51:c5:20:00:01,dhcp\n02:51:c5:20:00:03,198.51.100.50,255.255.255.0\n",
         {},
         10,
         ":2: a row is mac,ip,mask,gateway or mac,dhcp"},
        {"# two targets\n02:51:c5:20:00:01,198.51.100.50,255.255.255.0,0.0.0.0\n"
         "02:51:c5:20:00:03,198.51.100.50,255.255.255.0,0.0.0.0\n",
         {},
         10,
         ":3: 198.51.100.50 is already the target of line 2"},
        {"02:51:c5:20:00:01,dhcp\n\n02:51:c5:20:00:99,dhcp\n",
         {},
         10,
         ":3: no converter with MAC 02:51:c5:20:00:99 answered"},
        {"02:51:c5:20:00:01,198.51.100.31,255.255.255.0,198.51.100.254\n",
         {"--dry-run"},
         0,
         ":1: warning: Converter 02:51:c5:20:00:02 reports the same IP address 198.51.100.31"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.plan);
        std::vector<std::string> args = {"apply", Plan(row.plan), "--wait", "1"};
        args.insert(args.end(), row.extra.begin(), row.extra.end());
        const CtlResult run = RunCtl(args, PasswordInEnvironment("secret"));
        EXPECT_EQ(run.exitCode, row.exitCode) << run.err;
        EXPECT_TRUE(Contains(run.err, row.errPart)) << run.err;
    }
    EXPECT_EQ(CommandsReceived(), 0);
}

TEST_F(OneLinkCommissioning, ApplyCarriesOutEveryRowAndFailsWhenOneIsRefused)
{
    const CtlResult run = RunCtl({"apply",
                                  Plan("02:51:c5:20:00:01,198.51.100.60,255.255.255.0,0.0.0.0\n"
                                       "02:51:c5:20:00:03,dhcp\n"),
                                  "--wait", "1"},
                                 PasswordInEnvironment("secret"));
    EXPECT_EQ(run.exitCode, 11) << run.err;
    const auto lines = Lines(run.out);
    ASSERT_EQ(lines.size(), 4u) << run.out;
    EXPECT_TRUE(Contains(lines[1], "02:51:c5:20:00:01") && Contains(lines[1], "  done")) << run.out;
    EXPECT_TRUE(Contains(lines[2], "02:51:c5:20:00:03") &&
                Contains(lines[2], "refused: Password incorrect"))
        << run.out;
    EXPECT_EQ(lines[3], "2 rows: 1 succeeded, 1 failed");
    EXPECT_TRUE(Contains(run.err, "[2/2] line 2: 02:51:c5:20:00:03: dhcp")) << run.err;
    EXPECT_EQ(CommandsReceived(), 2);
}

TEST_F(OneLinkCommissioning, WatchPrintsJsonLinesAndEndsCleanlyOnSigterm)
{
    CtlOptions options;
    options.signalAfterFirstLine = SIGTERM;
    const CtlResult run = RunCtl({"list", "--watch", "--wait", "1"}, options);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    const auto lines = Lines(run.out);
    ASSERT_GE(lines.size(), 1u);
    for (const std::string& line : lines) {
        const auto converter = nlohmann::json::parse(line);
        EXPECT_TRUE(converter.contains("mac") && converter.contains("warnings")) << line;
    }
}

TEST_F(OneLinkCommissioning, AnImpostorOfTheSameNetworkGetsNoPasswordOnAnyPath)
{
    // Another host of the only network answers for the first converter: on a
    // workstation with one address, with --interface, in a plan and in the
    // query of info, the MAC answered from two sources and nothing that
    // carries a password goes out. With --host the request goes by unicast to
    // the converter alone, which gets the one command.
    ql5::lab::Impostor impostor;
    ASSERT_TRUE(
        impostor.Start({0x02, 0x51, 0xc5, 0x20, 0x00, 0x01}, ql5::lab::WorkstationAddress(1)));
    const std::string address = ql5::lab::WorkstationAddress(1);
    const char* const ambiguous = "the MAC answered from more than one address";
    const struct {
        std::vector<std::string> args;
        int exitCode;
        const char* errPart;
    } rows[] = {
        {{"set-ip", "02:51:c5:20:00:01", "198.51.100.61", "255.255.255.0", "0.0.0.0"},
         7,
         ambiguous},
        {{"dhcp", "02:51:c5:20:00:01", "--interface", address}, 7, ambiguous},
        {{"reboot", "02:51:c5:20:00:01", "--interface", ql5::lab::WorkstationInterface(1)},
         7,
         ambiguous},
        {{"info", "02:51:c5:20:00:01"}, 7, ambiguous},
        {{"dhcp", "02:51:c5:20:00:01", "--host", ql5::lab::ConverterAddress(1)}, 0, ""},
    };
    for (const auto& row : rows) {
        const CtlResult run = RunCtl(row.args, PasswordInEnvironment("secret"));
        EXPECT_EQ(run.exitCode, row.exitCode) << row.args[0] << ": " << run.err;
        EXPECT_TRUE(Contains(run.err, row.errPart)) << run.err;
    }
    const CtlResult plan =
        RunCtl({"apply", Plan("02:51:c5:20:00:01,dhcp\n02:51:c5:20:00:03,dhcp\n"), "--wait", "1"},
               PasswordInEnvironment("secret"));
    EXPECT_EQ(plan.exitCode, 10) << plan.err;
    EXPECT_TRUE(Contains(plan.err, "02:51:c5:20:00:01 answered from more than one address"))
        << plan.err;
    EXPECT_GE(impostor.DiscoveriesAnswered(), 4);
    EXPECT_EQ(impostor.CommandsReceived(), 0);
    EXPECT_EQ(CommandsReceived(), 1);

    // The listing shows the conflict on both entries, also when it asks both
    // hosts by unicast.
    const std::vector<std::string> hosts = {"--host", address, "--host",
                                            ql5::lab::ConverterAddress(1)};
    for (const auto& extra : {std::vector<std::string>{}, hosts}) {
        std::vector<std::string> args = {"list", "--wait", "1", "--format", "json"};
        args.insert(args.end(), extra.begin(), extra.end());
        const CtlResult list = RunCtl(args);
        const auto converters = nlohmann::json::parse(list.out).at("converters");
        int marked = 0;
        for (const auto& converter : converters) {
            const auto& warnings = converter.at("warnings");
            marked += std::count(warnings.begin(), warnings.end(), "several-sources");
        }
        EXPECT_EQ(marked, 2) << list.out;
    }
}
