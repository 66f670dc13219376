// SPDX-License-Identifier: Apache-2.0
// ql5ctl against a simulated fleet on a workstation with one network: every
// subcommand, every output format and every exit code, as a user runs it.
#include "ctl_process.h"
#include "support/lab_environment.h"
#include "support/simulator_process.h"
#include "text_lines.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdlib>
#include <set>

using ql5::cli::CtlResult;
using ql5::cli::LauncherAllowance;
using ql5::cli::Lines;
using ql5::cli::PasswordInEnvironment;
using ql5::cli::RunCtl;
using ql5::cli::Stdin;
using ql5::lab::SimulatorProcess;
using namespace std::chrono_literals;

namespace {

constexpr char kLine1[] = "02:51:c5:10:00:01";      // product substituted, password "secret"
constexpr char kHostile[] = "02:51:c5:10:00:02";    // texts and refusal with terminal escapes
constexpr char kDeaf[] = "02:51:c5:10:00:03";       // answers queries, never commands
constexpr char kRebooting[] = "02:51:c5:10:00:04";  // silent for 2 s after a reboot
constexpr char kAbsent[] = "02:51:c5:10:00:99";

// The sanitizers hold freed memory back and add shadow memory of their own, so
// a peak of resident memory means something only in a plain build.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kPeakMemoryIsOurs = false;
#else
constexpr bool kPeakMemoryIsOurs = true;
#endif

const char* const kFleet = R"({"converters": [
    {"mac": "02:51:c5:10:00:01", "ip": "198.51.100.10", "mask": "255.255.255.0",
     "gateway": "198.51.100.254", "dns": "198.51.100.53", "dhcp": 0, "name": "Line 1",
     "productName": "QL5 Core Module", "firmware": "2.4.1", "serialLinkPort": 4001,
     "password": "secret", "successMessage": "Settings saved"},
    {"mac": "02:51:c5:10:00:02", "ip": "198.51.100.11", "dhcp": 1,
     "name": "Gate\u001b[2J\u001b[31m, \"east\"\u202e", "productName": "Other\u009b31m",
     "firmware": "1.0\\2", "password": "secret",
     "refusal": {"result": 1, "error": 7,
                 "message": "Locked\u001b[2J\u009b31m by \u202epanel\u200b\\"}},
    {"mac": "02:51:c5:10:00:03", "ip": "198.51.100.12", "name": "Deaf", "password": "secret",
     "misbehave": {"silentForCommands": true}},
    {"mac": "02:51:c5:10:00:04", "ip": "198.51.100.13", "name": "Restarting",
     "password": "secret", "rebootSilenceMs": 2000}]})";

class OneLinkCli : public ::testing::Test {
protected:
    void SetUp() override
    {
        QL5_REQUIRE_LAB(1);
        ASSERT_TRUE(sim_.Start(ql5::lab::ConverterNamespace(1), kFleet));
    }

    // Datagrams of a command type (3, 5 or 7) that reached the simulator.
    int CommandsReceived()
    {
        const auto received = sim_.ReceivedDatagrams();
        return static_cast<int>(std::count_if(received.begin(), received.end(), [](const auto& d) {
            return d.bytes.size() > 5 && (d.bytes[5] == 3 || d.bytes[5] == 5 || d.bytes[5] == 7);
        }));
    }

    // Replaces the fleet of the test with another.
    ::testing::AssertionResult Restart(const std::string& fleet)
    {
        sim_.Stop();
        return sim_.Start(ql5::lab::ConverterNamespace(1), fleet);
    }

    SimulatorProcess sim_;
};

// Takes the workstation's only interface down for the life of the object, and
// up again however the test ends: a host without an IPv4 address to use.
class NoAddress {
public:
    NoAddress() { ok_ = std::system(("ip link set " + link_ + " down").c_str()) == 0; }
    ~NoAddress() { static_cast<void>(std::system(("ip link set " + link_ + " up").c_str())); }
    NoAddress(const NoAddress&) = delete;
    NoAddress& operator=(const NoAddress&) = delete;
    bool Ok() const { return ok_; }

private:
    std::string link_ = ql5::lab::WorkstationInterface(1);
    bool ok_ = false;
};

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

// No byte that a terminal would act on: C0 controls other than the line feed,
// DEL, and the UTF-8 forms of C1 controls and of the right-to-left override.
void ExpectHarmlessOnATerminal(const std::string& text)
{
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        EXPECT_TRUE(byte == '\n' || (byte >= 0x20 && byte != 0x7f)) << "byte " << int(byte);
    }
    EXPECT_FALSE(Contains(text, "\xc2\x9b"));
    EXPECT_FALSE(Contains(text, "\xe2\x80\xae"));
}

const nlohmann::json* FindMac(const nlohmann::json& converters, const std::string& mac)
{
    for (const auto& converter : converters) {
        if (converter.at("mac") == mac)
            return &converter;
    }
    return nullptr;
}

}  // namespace

TEST_F(OneLinkCli, ListTableShowsEveryConverterWithSubstitutedProductAndEscapedTexts)
{
    const CtlResult run = RunCtl({"list", "--wait", "1"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const auto lines = Lines(run.out);
    ASSERT_EQ(lines.size(), 5u) << run.out;
    // The widest name, the escaped one, sets the width of the name column.
    const std::string nameColumn = std::string(35, ' ');
    EXPECT_EQ(lines[0], "IP Address     MAC Address        Name" + nameColumn.substr(4) +
                            "Product        Interface  DHCP      Firmware");
    const auto line1 = std::find_if(lines.begin(), lines.end(),
                                    [](const std::string& l) { return Contains(l, kLine1); });
    ASSERT_NE(line1, lines.end());
    EXPECT_EQ(*line1, "198.51.100.10  02:51:c5:10:00:01  Line 1" + nameColumn.substr(6) +
                          "QL5 Converter  ws0        Disabled  2.4.1");
    EXPECT_TRUE(Contains(run.out, "Gate\\x1b[2J\\x1b[31m, \"east\"\\u202e"));
    EXPECT_TRUE(Contains(run.out, "Other\\x9b31m"));
    EXPECT_TRUE(Contains(run.out, "1.0\\\\2"));
    ExpectHarmlessOnATerminal(run.out);
    // The sweep lasts what --wait says, not the default 3 s.
    EXPECT_GE(run.elapsed, 1s);
    EXPECT_LT(run.elapsed, 2500ms + LauncherAllowance());
}

TEST_F(OneLinkCli, ListJsonCarriesExactTextsInTheDocumentedShape)
{
    const CtlResult run = RunCtl({"list", "--wait", "1", "--format", "json"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    ExpectHarmlessOnATerminal(run.out);
    const auto json = nlohmann::json::parse(run.out);
    const auto& converters = json.at("converters");
    ASSERT_EQ(converters.size(), 4u);
    const auto* line1 = FindMac(converters, kLine1);
    ASSERT_NE(line1, nullptr);
    auto expected = nlohmann::json::parse(R"({
        "mac": "02:51:c5:10:00:01", "ip": "198.51.100.10", "mask": "255.255.255.0",
        "gateway": "198.51.100.254", "dns": "198.51.100.53", "dhcp": false, "name": "Line 1",
        "product": "QL5 Converter", "firmware": "2.4.1", "serialLinkPort": 4001,
        "interface": "ws0", "localAddress": "198.51.100.1", "warnings": []})");
    // The simulator answers from its network's address, not the one it reports.
    expected["sourceAddress"] = ql5::lab::ConverterAddress(1);
    EXPECT_EQ(*line1, expected);
    const auto* hostile = FindMac(converters, kHostile);
    ASSERT_NE(hostile, nullptr);
    EXPECT_EQ(hostile->at("name"), "Gate\x1b[2J\x1b[31m, \"east\"\xe2\x80\xae");
    EXPECT_EQ(hostile->at("product"),
              "Other\xc2\x9b"
              "31m");
    EXPECT_EQ(hostile->at("dhcp"), true);
    EXPECT_TRUE(FindMac(converters, kDeaf)->at("dhcp").is_null());
}

TEST_F(OneLinkCli, ListCsvHasHeaderAndOneQuotedRowPerConverter)
{
    const CtlResult run = RunCtl({"list", "--wait", "1", "--format=csv"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const auto lines = Lines(run.out);
    ASSERT_EQ(lines.size(), 5u) << run.out;
    EXPECT_EQ(
        lines[0],
        "ip,mac,name,product,interface,localAddress,dhcp,firmware,mask,gateway,dns,serialLinkPort,"
        "warnings");
    EXPECT_TRUE(std::find(lines.begin(), lines.end(),
                          "198.51.100.11,02:51:c5:10:00:02,\"Gate\\x1b[2J\\x1b[31m, "
                          "\"\"east\"\"\\u202e\",Other\\x9b31m,ws0,198.51.100.1,Enabled,"
                          "1.0\\\\2,0.0.0.0,0.0.0.0,0.0.0.0,0,") != lines.end())
        << run.out;
}

TEST_F(OneLinkCli, ListWarnsAboutDuplicateAddressesForeignSubnetsAndGateways)
{
    ASSERT_TRUE(Restart(R"({"converters": [
        {"mac": "02:51:c5:10:00:21", "ip": "198.51.100.20", "mask": "255.255.255.0"},
        {"mac": "02:51:c5:10:00:22", "ip": "198.51.100.20", "mask": "255.255.255.0"},
        {"mac": "02:51:c5:10:00:23", "ip": "192.0.2.7", "mask": "255.255.255.0",
         "gateway": "192.0.2.1"},
        {"mac": "02:51:c5:10:00:24", "ip": "198.51.100.1", "mask": "255.255.255.0",
         "gateway": "10.0.0.1"},
        {"mac": "02:51:c5:10:00:25", "ip": "198.51.100.25", "mask": "255.255.255.0"}]})"));
    const CtlResult json = RunCtl({"list", "--wait", "1", "--format", "json"});
    ASSERT_EQ(json.exitCode, 0) << json.err;
    const auto converters = nlohmann::json::parse(json.out).at("converters");
    const std::pair<const char*, const char*> expected[] = {
        {"02:51:c5:10:00:21", R"(["duplicate-ip"])"},
        {"02:51:c5:10:00:22", R"(["duplicate-ip"])"},
        {"02:51:c5:10:00:23", R"(["unreachable-subnet"])"},
        {"02:51:c5:10:00:24", R"(["duplicate-ip", "gateway-outside-subnet"])"},
        {"02:51:c5:10:00:25", "[]"}};
    for (const auto& [mac, warnings] : expected) {
        const auto* converter = FindMac(converters, mac);
        ASSERT_NE(converter, nullptr) << mac;
        EXPECT_EQ(converter->at("warnings"), nlohmann::json::parse(warnings)) << mac;
    }

    const CtlResult table = RunCtl({"list", "--wait", "1"});
    const auto lines = Lines(table.out);
    ASSERT_EQ(lines.size(), 6u) << table.out;
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& l) { return l.back() == '!'; }),
              5);  // the header and four converters
    EXPECT_TRUE(Contains(table.err,
                         "02:51:c5:10:00:24 (198.51.100.1): This computer uses the "
                         "same IP address 198.51.100.1 on this network."))
        << table.err;
}

TEST_F(OneLinkCli, ListFindingNothingIsNotAnError)
{
    sim_.Stop();
    const CtlResult table = RunCtl({"list", "--wait", "0.5"});
    EXPECT_EQ(table.exitCode, 0);
    EXPECT_EQ(Lines(table.out).size(), 1u);  // the header alone
    EXPECT_TRUE(Contains(table.err, "no converter answered within 0.5 s on ws0 198.51.100.1/24"))
        << table.err;
    const CtlResult json = RunCtl({"list", "--wait", "0.5", "--format", "json"});
    EXPECT_EQ(json.exitCode, 0);
    EXPECT_EQ(nlohmann::json::parse(json.out), nlohmann::json::parse(R"({"converters": []})"));
}

TEST_F(OneLinkCli, InfoPrintsTheNineLinesOrJsonOrCsv)
{
    const CtlResult table = RunCtl({"info", "02-51-C5-10-00-01"});
    ASSERT_EQ(table.exitCode, 0) << table.err;
    EXPECT_EQ(table.out,
              "Name: QL5 Converter\n"
              "MAC Address: 02:51:c5:10:00:01\n"
              "IP Address: 198.51.100.10\n"
              "Subnet Mask: 255.255.255.0\n"
              "Gateway Address: 198.51.100.254\n"
              "DNS Address: 198.51.100.53\n"
              "DHCP Mode: Disabled\n"
              "Firmware Revision: 2.4.1\n"
              "Serial Link Port: 4001\n");

    const CtlResult json = RunCtl({"info", "0251c5100002", "--format", "json"});
    ASSERT_EQ(json.exitCode, 0) << json.err;
    const auto object = nlohmann::json::parse(json.out);
    EXPECT_EQ(object.at("mac"), kHostile);
    EXPECT_EQ(object.at("interface"), "ws0");

    const CtlResult csv = RunCtl({"info", kRebooting, "--format", "csv"});
    ASSERT_EQ(csv.exitCode, 0) << csv.err;
    ASSERT_EQ(Lines(csv.out).size(), 2u);
    EXPECT_EQ(Lines(csv.out)[1].rfind("198.51.100.13,02:51:c5:10:00:04,Restarting,,ws0,", 0), 0u);
}

TEST_F(OneLinkCli, InfoOfAMacThatNobodyAnswersIsNotFound)
{
    const CtlResult run = RunCtl({"info", kAbsent});
    EXPECT_EQ(run.exitCode, 4);
    EXPECT_EQ(run.out, "");
    EXPECT_TRUE(Contains(run.err, "no converter with MAC 02:51:c5:10:00:99 answered")) << run.err;
    // The query's own time limit, 7.5 s, with slack for one cycle and start-up.
    EXPECT_GE(run.elapsed, 7500ms);
    EXPECT_LT(run.elapsed, 9500ms + LauncherAllowance());
}

TEST_F(OneLinkCli, SetIpWithPasswordFromStdinChangesWhatInfoShows)
{
    const CtlResult run = RunCtl(
        {"set-ip", kLine1, "198.51.100.77", "255.255.0.0", "198.51.100.1", "--password-stdin"},
        Stdin("secret\n"));
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "02:51:c5:10:00:01: static IP settings stored (Settings saved)\n");

    const CtlResult info = RunCtl({"info", kLine1, "--format", "json"});
    const auto object = nlohmann::json::parse(info.out);
    EXPECT_EQ(object.at("ip"), "198.51.100.77");
    EXPECT_EQ(object.at("mask"), "255.255.0.0");
    EXPECT_EQ(object.at("gateway"), "198.51.100.1");
    EXPECT_EQ(object.at("dhcp"), false);
}

TEST_F(OneLinkCli, DhcpWithPasswordFromTheEnvironmentSwitchesDhcpOn)
{
    const CtlResult run = RunCtl({"dhcp", kLine1}, PasswordInEnvironment("secret"));
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const CtlResult info = RunCtl({"info", kLine1});
    EXPECT_TRUE(Contains(info.out, "DHCP Mode: Enabled\n")) << info.out;
}

TEST_F(OneLinkCli, StdinPasswordWinsOverTheEnvironment)
{
    const CtlResult run = RunCtl({"dhcp", kLine1, "--password-stdin"},
                                 {.input = "secret\r\n", .environment = {{"QL5_PASSWORD", "no"}}});
    EXPECT_EQ(run.exitCode, 0) << run.err;
}

TEST_F(OneLinkCli, WrongPasswordIsRefusedWithTheConvertersErrorNumberAndMessage)
{
    const CtlResult run = RunCtl({"reboot", kLine1, "--wait"}, PasswordInEnvironment("guess"));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "");  // no "Status: Rebooting": nothing to wait for
    EXPECT_EQ(run.err,
              "ql5ctl: 02:51:c5:10:00:01 refused the command (result 1)\n"
              "Error Number: 5\nError Message: Password incorrect\n");
}

TEST_F(OneLinkCli, RefusalMessageIsEscapedForTheTerminal)
{
    const CtlResult run = RunCtl({"dhcp", kHostile}, PasswordInEnvironment("guess"));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err,
              "ql5ctl: 02:51:c5:10:00:02 refused the command (result 1)\n"
              "Error Number: 7\n"
              "Error Message: Locked\\x1b[2J\\x9b31m by \\u202epanel\\u200b\\\\\n");
    ExpectHarmlessOnATerminal(run.err);
}

TEST_F(OneLinkCli, CommandThatGetsNoAnswerExitsWithNoAnswer)
{
    const CtlResult run = RunCtl({"dhcp", kDeaf}, PasswordInEnvironment("secret"));
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_TRUE(Contains(run.err, "did not answer the command within the time limit")) << run.err;
    EXPECT_EQ(CommandsReceived(), 1);
}

TEST_F(OneLinkCli, CommandForAMacThatNobodyAnswersIsNotFoundAndNothingIsSent)
{
    const CtlResult run =
        RunCtl({"set-ip", kAbsent, "198.51.100.5", "255.255.255.0", "198.51.100.1"},
               PasswordInEnvironment("secret"));
    EXPECT_EQ(run.exitCode, 4);
    EXPECT_TRUE(Contains(run.err, "no converter with MAC 02:51:c5:10:00:99")) << run.err;
    EXPECT_EQ(CommandsReceived(), 0);
}

TEST_F(OneLinkCli, RebootWaitPrintsRebootingThenReadyOnceTheConverterAnswersAgain)
{
    const CtlResult run = RunCtl({"reboot", kRebooting, "--wait"}, PasswordInEnvironment("secret"));
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "02:51:c5:10:00:04: reboot accepted\nStatus: Rebooting\nStatus: Ready\n");
    // The queries fall into the converter's 2 s of silence, each giving up
    // after its 500 ms reply window; the first one after the silence is
    // answered, at most one query period (pause and window) later.
    EXPECT_GE(run.elapsed, 2s);
    EXPECT_LT(run.elapsed, 4500ms + LauncherAllowance());
}

TEST_F(OneLinkCli, RebootWithoutWaitReturnsAtOnce)
{
    const CtlResult run = RunCtl({"reboot", kRebooting}, PasswordInEnvironment("secret"));
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "02:51:c5:10:00:04: reboot accepted\n");
    EXPECT_LT(run.elapsed, 3s + LauncherAllowance());
}

TEST_F(OneLinkCli, PasswordPromptOnTheTerminalDoesNotEchoAndRestoresEcho)
{
    const auto run = ql5::cli::RunCtlOnTerminal({"dhcp", kLine1},
                                                "Password for 02:51:c5:10:00:01: ", "secret\n");
    EXPECT_TRUE(run.sawPrompt) << run.result.out;
    EXPECT_EQ(run.result.exitCode, 0) << run.result.out;
    EXPECT_FALSE(Contains(run.result.out, "secret")) << run.result.out;
    EXPECT_TRUE(Contains(run.result.out, "DHCP switched on"));
    EXPECT_TRUE(run.echoAfter);
}

TEST_F(OneLinkCli, WithoutTerminalOrOtherSourceThePasswordIsAUsageError)
{
    const CtlResult run = RunCtl({"reboot", kLine1});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(Contains(run.err, "no terminal to ask for the password on")) << run.err;
    EXPECT_EQ(sim_.ReceivedDatagrams().size(), 0u);
}

TEST_F(OneLinkCli, OverlongPasswordIsAUsageErrorBeforeAnythingIsSent)
{
    const CtlResult run =
        RunCtl({"dhcp", kLine1, "--password-stdin"}, Stdin(std::string(256, 'x') + "\n"));
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(Contains(run.err, "longer than 255 bytes")) << run.err;
    EXPECT_EQ(sim_.ReceivedDatagrams().size(), 0u);
}

TEST_F(OneLinkCli, UsageErrorsPrintOneLineAndTheUsageAndSendNothing)
{
    const std::vector<std::vector<std::string>> mistakes = {
        {},
        {"info"},
        {"info", "02:51:c5:10:00"},
        {"set-ip", kLine1, "198.51.100.300", "255.255.255.0", "198.51.100.1"},
        {"dhcp", kLine1, "--password", "secret"},
        {"list", "--format", "yaml"},
        {"list", "--wait", "0"},
        {"frobnicate"},
    };
    for (const auto& args : mistakes) {
        const CtlResult run = RunCtl(args);
        EXPECT_EQ(run.exitCode, 2) << args.size();
        EXPECT_EQ(run.out, "");
        const auto lines = Lines(run.err);
        ASSERT_GE(lines.size(), 2u);
        EXPECT_EQ(lines[0].rfind("ql5ctl: ", 0), 0u) << lines[0];
        EXPECT_EQ(lines[1].rfind("usage: ql5ctl list", 0), 0u);
    }
    EXPECT_EQ(sim_.ReceivedDatagrams().size(), 0u);
}

TEST_F(OneLinkCli, HelpDocumentsEverySubcommandOptionAndExitCode)
{
    const CtlResult run = RunCtl({"--help"});
    EXPECT_EQ(run.exitCode, 0);
    for (const char* part : {"list",
                             "info",
                             "set-ip",
                             "dhcp",
                             "reboot",
                             "--wait SECONDS",
                             "--wait ",
                             "--format",
                             "--password-stdin",
                             "QL5_PASSWORD",
                             "--version",
                             "02:51:c5:01:02:03",
                             "02-51-C5-01-02-03",
                             "0251c5010203",
                             "  0  done",
                             "  1  the converter refused",
                             "  2  usage error",
                             "  3  no answer",
                             "  4  converter not found",
                             "  5  ",
                             "  6  this computer could not",
                             "  7  the MAC answered from more than one address",
                             "  8  the converter answered the command without",
                             "--interface NAME|ADDRESS"})
        EXPECT_TRUE(Contains(run.out, part)) << part;
    EXPECT_EQ(RunCtl({"--version"}).out, "ql5ctl " QL5_PROJECT_VERSION "\n");
}

TEST_F(OneLinkCli, WithoutAnAddressListSaysWhyInsteadOfListingNothing)
{
    // Only the loopback interface is up: nothing can be searched, and neither
    // list nor a request may look as if it had searched and found nothing.
    CtlResult list, info;
    {
        const NoAddress down;
        ASSERT_TRUE(down.Ok());
        list = RunCtl({"list", "--wait", "0.5", "--format", "json"});
        info = RunCtl({"info", kLine1});
    }
    EXPECT_EQ(list.exitCode, 6);
    EXPECT_EQ(list.out, "");
    EXPECT_EQ(list.err,
              "ql5ctl: no search took place: no IPv4 address on any interface that is up\n");
    EXPECT_EQ(info.exitCode, 6);
    EXPECT_EQ(info.err, "ql5ctl: no IPv4 address on any interface that is up\n");
    EXPECT_EQ(sim_.ReceivedDatagrams().size(), 0u);
}

TEST_F(OneLinkCli, InterfaceChoosesTheLocalAddressByNameOrAddress)
{
    for (const std::string& chosen : {std::string("ws0"), ql5::lab::WorkstationAddress(1)}) {
        const CtlResult info = RunCtl({"info", kLine1, "--interface", chosen, "--format", "json"});
        EXPECT_EQ(info.exitCode, 0) << info.err;
        EXPECT_EQ(nlohmann::json::parse(info.out).at("localAddress"),
                  ql5::lab::WorkstationAddress(1));
        const CtlResult dhcp =
            RunCtl({"dhcp", kLine1, "--interface=" + chosen}, PasswordInEnvironment("secret"));
        EXPECT_EQ(dhcp.exitCode, 0) << dhcp.err;
    }
    const CtlResult unknown = RunCtl({"info", kLine1, "--interface", "eth9"});
    EXPECT_EQ(unknown.exitCode, 6);
    EXPECT_EQ(unknown.err, "ql5ctl: no interface named 'eth9' has an IPv4 address\n");
    const CtlResult foreign =
        RunCtl({"reboot", kLine1, "--interface", "198.51.100.9"}, PasswordInEnvironment("secret"));
    EXPECT_EQ(foreign.exitCode, 6);
    EXPECT_EQ(foreign.err,
              "ql5ctl: 198.51.100.9 is not an IPv4 address of this host (on an interface that is "
              "up)\n");
    EXPECT_EQ(CommandsReceived(), 2);  // the two dhcp commands, nothing for the reboot
}

TEST_F(OneLinkCli, CommandAnsweredWithoutAResultIsNoSuccess)
{
    ASSERT_TRUE(Restart(R"({"converters": [{"mac": "02:51:c5:10:00:05", "password": "secret",
                                            "misbehave": {"bareCommandReply": true}}]})"));
    // A wrong password, answered with the MAC alone: not "stored".
    const CtlResult run =
        RunCtl({"set-ip", "02:51:c5:10:00:05", "198.51.100.5", "255.255.255.0", "198.51.100.1"},
               PasswordInEnvironment("wrong"));
    EXPECT_EQ(run.exitCode, 8);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err,
              "ql5ctl: 02:51:c5:10:00:05: the converter's reply did not state whether it carried "
              "the command out; check with 'ql5ctl info' what it did\n");
    EXPECT_EQ(CommandsReceived(), 1);
}

TEST_F(OneLinkCli, ListKeepsOneEntryPerConverterAndBoundedMemoryUnderAFlood)
{
    // One converter repeats its reply for the whole listing, another floods
    // forged MACs; the first appears once, with its latest reply, and the
    // listing stays within its cap.
    ASSERT_TRUE(Restart(R"({"converters": [
        {"mac": "02:51:c5:10:00:06", "name": "Repeater", "misbehave": {"flood": {"durationMs": 4000}}},
        {"mac": "02:51:c5:10:00:07", "misbehave":
            {"flood": {"durationMs": 4000, "randomMacs": true}}}]})"));
    const CtlResult run = RunCtl({"list", "--wait", "4", "--format", "csv"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const auto lines = Lines(run.out);
    const auto repeats = std::count_if(lines.begin(), lines.end(), [](const std::string& line) {
        return Contains(line, "02:51:c5:10:00:06");
    });
    EXPECT_EQ(repeats, 1);
    std::set<std::string> distinct(lines.begin() + 1, lines.end());
    EXPECT_EQ(distinct.size(), lines.size() - 1);
    EXPECT_LE(lines.size() - 1, 32768u);  // QL5_MAX_PENDING_RECORDS
    // Before the bound, four seconds of this flood took several hundred MB.
    if (kPeakMemoryIsOurs) {
        EXPECT_LT(run.peakMemoryKb, 128 * 1024);
    }
}

TEST_F(OneLinkCli, PasswordFromStandardInputOnATerminalDoesNotEcho)
{
    const auto run = ql5::cli::RunCtlOnTerminal({"dhcp", kLine1, "--password-stdin"},
                                                "Password for 02:51:c5:10:00:01: ", "secret\n");
    EXPECT_TRUE(run.sawPrompt) << run.result.out;
    EXPECT_EQ(run.result.exitCode, 0) << run.result.out;
    EXPECT_FALSE(Contains(run.result.out, "secret")) << run.result.out;
    EXPECT_TRUE(Contains(run.result.out, "DHCP switched on"));
    EXPECT_TRUE(run.echoAfter);
}
