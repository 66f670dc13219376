// SPDX-License-Identifier: Apache-2.0
// Reading ql5ctl's arguments: MAC forms, addresses, options per subcommand and
// the one-line reasons for refusing them.
#include "command_line.h"
#include "password.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <variant>

#if !defined(_WIN32)
#include <sys/resource.h>
#endif

using namespace ql5ctl;

namespace {

std::variant<Invocation, UsageError> Parse(std::initializer_list<std::string_view> args)
{
    return ParseCommandLine(std::vector<std::string_view>(args));
}

Invocation Accepted(std::initializer_list<std::string_view> args)
{
    const auto parsed = Parse(args);
    if (const auto* error = std::get_if<UsageError>(&parsed))
        ADD_FAILURE() << "refused: " << error->message;
    return std::holds_alternative<Invocation>(parsed) ? std::get<Invocation>(parsed) : Invocation{};
}

std::string Refusal(std::initializer_list<std::string_view> args)
{
    const auto parsed = Parse(args);
    if (!std::holds_alternative<UsageError>(parsed)) {
        ADD_FAILURE() << "accepted";
        return {};
    }
    return std::get<UsageError>(parsed).message;
}

const ql5common::MacAddress kMac{0x02, 0x51, 0xc5, 0x01, 0x02, 0x0a};

}  // namespace

// Which MAC forms are accepted is the common library's to test; here only
// that the command line takes what it accepts and names what it refuses.
TEST(CommandLine, TakesTheMacOperand)
{
    EXPECT_EQ(Accepted({"info", "02-51-C5-01-02-0A"}).mac, kMac);
    EXPECT_EQ(Accepted({"dhcp", "0251c501020A"}).mac, kMac);
}

TEST(CommandLine, RefusesAMalformedMacWithTheFormsItTakes)
{
    const std::string message = Refusal({"info", "02:51-c5:01:02:0a"});
    EXPECT_NE(message.find("'02:51-c5:01:02:0a' is not a MAC address (write 02:51:c5:01:02:03, "
                           "02-51-C5-01-02-03 or 0251c5010203)"),
              std::string::npos)
        << message;
}

TEST(CommandLine, RefusesTheBroadcastMacThatNamesEveryConverter)
{
    EXPECT_NE(Refusal({"reboot", "ff:ff:ff:ff:ff:ff"}).find("every converter"), std::string::npos);
    EXPECT_NE(Refusal({"dhcp", "FFFFFFFFFFFF"}).find("every converter"), std::string::npos);
}

TEST(CommandLine, SetIpTakesThreeAddressesInNetworkOrder)
{
    const Invocation invocation =
        Accepted({"set-ip", "0251c501020a", "192.168.1.10", "255.255.255.0", "0.0.0.0"});
    EXPECT_EQ(invocation.command, Subcommand::kSetIp);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(&invocation.ipAddress);
    EXPECT_EQ(bytes[0], 0xC0);
    EXPECT_EQ(bytes[1], 0xA8);
    EXPECT_EQ(bytes[2], 0x01);
    EXPECT_EQ(bytes[3], 0x0A);
    EXPECT_EQ(invocation.gatewayAddress, 0u);
}

TEST(CommandLine, RefusesAnAddressThatIsNotDottedDecimalNamingWhichOne)
{
    const char* const names[] = {"IP", "MASK", "GATEWAY"};
    for (std::size_t i = 0; i < 3; ++i) {
        std::vector<std::string_view> args = {"set-ip", "0251c501020a", "192.168.1.10",
                                              "255.255.255.0", "192.168.1.1"};
        args[2 + i] = "192.168.01.10";
        const auto parsed = ParseCommandLine(args);
        ASSERT_TRUE(std::holds_alternative<UsageError>(parsed)) << names[i];
        EXPECT_NE(std::get<UsageError>(parsed).message.find(
                      "'192.168.01.10' is not an IPv4 address (for " + std::string(names[i])),
                  std::string::npos)
            << std::get<UsageError>(parsed).message;
    }
}

TEST(CommandLine, PasswordOnTheCommandLineIsRefusedWithTheReason)
{
    for (std::string_view option : {"--password=secret", "--password", "-p"}) {
        const std::string message = Refusal({"dhcp", "0251c501020a", option});
        EXPECT_NE(message.find("never taken from the command line"), std::string::npos) << option;
    }
}

#if !defined(_WIN32)
TEST(CommandLine, PasswordFromTheEnvironmentIsRemovedThereOnceReadAndNoCoreIsWritten)
{
    ASSERT_EQ(setenv("QL5_PASSWORD", "secret", 1), 0);
    const auto obtained = ObtainPassword(false, "02:51:c5:01:02:0a");
    ASSERT_TRUE(std::holds_alternative<Password>(obtained));
    EXPECT_STREQ(std::get<Password>(obtained).CStr(), "secret");
    EXPECT_EQ(std::getenv("QL5_PASSWORD"), nullptr);
    rlimit core{};
    ASSERT_EQ(getrlimit(RLIMIT_CORE, &core), 0);
    EXPECT_EQ(core.rlim_cur, 0u);
}
#endif

TEST(CommandLine, OptionsBelongToTheirSubcommands)
{
    EXPECT_EQ(Accepted({"list", "--wait", "0.5", "--format=csv"}).waitSeconds, 0.5);
    EXPECT_EQ(Accepted({"list", "--format", "json"}).format, OutputFormat::kJson);
    EXPECT_EQ(Accepted({"list", "--format", "prometheus"}).format, OutputFormat::kPrometheus);
    EXPECT_NE(
        Refusal({"info", "0251c501020a", "--format", "prometheus"}).find("table, json or csv"),
        std::string::npos);
    EXPECT_TRUE(Accepted({"reboot", "--wait", "0251c501020a"}).waitForReboot);
    EXPECT_TRUE(
        Accepted({"set-ip", "0251c501020a", "1.2.3.4", "255.0.0.0", "1.2.3.1", "--password-stdin"})
            .passwordFromStdin);

    EXPECT_NE(Refusal({"info", "0251c501020a", "--wait", "3"}).find("unknown option"),
              std::string::npos);
    EXPECT_NE(Refusal({"dhcp", "0251c501020a", "--format", "json"}).find("unknown option"),
              std::string::npos);
    EXPECT_NE(Refusal({"list", "--password-stdin"}).find("unknown option"), std::string::npos);
    EXPECT_NE(Refusal({"reboot", "0251c501020a", "--wait=5"}).find("unknown option"),
              std::string::npos);

    EXPECT_EQ(Accepted({"info", "0251c501020a", "--interface", "eth1"}).interface, "eth1");
    EXPECT_EQ(Accepted({"reboot", "0251c501020a", "--interface=198.51.100.1"}).interface,
              "198.51.100.1");
    EXPECT_EQ(Accepted({"dhcp", "0251c501020a"}).interface, "");
    EXPECT_NE(Refusal({"list", "--interface", "eth1"}).find("unknown option"), std::string::npos);
    EXPECT_NE(Refusal({"dhcp", "0251c501020a", "--interface="}).find("interface name"),
              std::string::npos);
}

TEST(CommandLine, ListWaitMustBeAPositiveNumberOfSecondsUpToAnHour)
{
    EXPECT_EQ(Accepted({"list"}).waitSeconds, 3.0);
    EXPECT_EQ(Accepted({"list", "--wait", "3600"}).waitSeconds, 3600.0);
    for (std::string_view bad : {"0", "-1", "3601", "nan", "inf", "1e3", "two", ""})
        EXPECT_NE(Refusal({"list", "--wait", bad}).find("--wait"), std::string::npos) << bad;
    EXPECT_NE(Refusal({"list", "--wait"}).find("needs a value"), std::string::npos);
    EXPECT_NE(Refusal({"list", "--format", "xml"}).find("table, json, csv or prometheus"),
              std::string::npos);
}

TEST(CommandLine, WrongOperandCountsNameWhatIsMissing)
{
    EXPECT_NE(Refusal({"info"}).find("info needs MAC"), std::string::npos);
    EXPECT_NE(Refusal({"set-ip", "0251c501020a", "1.2.3.4"}).find("MAC IP MASK GATEWAY"),
              std::string::npos);
    EXPECT_NE(Refusal({"list", "extra"}).find("takes no arguments"), std::string::npos);
    EXPECT_NE(Refusal({}).find("no command"), std::string::npos);
    EXPECT_NE(Refusal({"scan"}).find("unknown command 'scan'"), std::string::npos);
}

TEST(CommandLine, HelpWinsOverEveryOtherMistake)
{
    EXPECT_EQ(Accepted({"--help"}).command, Subcommand::kHelp);
    EXPECT_EQ(Accepted({"help"}).command, Subcommand::kHelp);
    EXPECT_EQ(Accepted({"set-ip", "bad-mac", "-h"}).command, Subcommand::kHelp);
    EXPECT_EQ(Accepted({"--version"}).command, Subcommand::kVersion);
}

TEST(CommandLine, DoubleDashLetsAnOperandStartWithADash)
{
    // Nothing valid starts with a dash, but the error must then be about the
    // operand, not an unknown option.
    EXPECT_NE(Refusal({"info", "--", "-0251c501020"}).find("not a MAC address"), std::string::npos);
}

TEST(CommandLine, ErrorMessagesEscapeWhatTheUserTyped)
{
    const std::string message = Refusal({"info", "\x1b[2J"});
    EXPECT_EQ(message.find('\x1b'), std::string::npos);
    EXPECT_NE(message.find("\\x1b[2J"), std::string::npos);
}

TEST(CommandLine, HostNamesAddressesAndRangesUpToASlash16)
{
    // A /28 without its network and broadcast addresses, then one address.
    const Invocation list = Accepted({"list", "--host", "10.1.5.3/28", "--host=192.0.2.7"});
    ASSERT_EQ(list.hosts.size(), 15u);
    EXPECT_EQ(list.hosts.front(), 0x0105010Au);  // 10.1.5.1
    EXPECT_EQ(list.hosts[13], 0x0E05010Au);      // 10.1.5.14
    EXPECT_EQ(list.hosts.back(), 0x070200C0u);   // 192.0.2.7
    EXPECT_EQ(Accepted({"list", "--host", "10.2.0.0/16"}).hosts.size(), 65534u);
    EXPECT_EQ(Accepted({"list", "--host", "10.2.0.0/31"}).hosts.size(), 2u);
    EXPECT_EQ(Accepted({"dhcp", "0251c501020a", "--host", "192.0.2.7"}).deviceAddress, 0x070200C0u);

    const struct {
        std::initializer_list<std::string_view> args;
        std::string_view says;
    } refused[] = {
        {{"list", "--host", "10.0.0.0/15"}, "more than a /16"},
        {{"list", "--host", "10.2.0.0/16", "--host", "10.3.0.0/29"}, "with the other addresses"},
        {{"list", "--host", "10.2.0.0/33"}, "not an IPv4 address"},
        {{"list", "--host", "10.2.0.0/"}, "not an IPv4 address"},
        {{"list", "--host", "224.0.5.128"}, "not a unicast address"},
        {{"list", "--host", "0.0.0.0/24"}, "not a unicast address"},
        {{"info", "0251c501020a", "--host", "10.1.5.0/28"}, "converter's IPv4 address"},
        {{"info", "0251c501020a", "--host", "10.1.5.1", "--host", "10.1.5.2"}, "give it once"},
    };
    for (const auto& row : refused) {
        const std::string message = Refusal(row.args);
        EXPECT_NE(message.find(row.says), std::string::npos) << message;
    }
}

TEST(CommandLine, VerifyWatchAndApplyOptions)
{
    EXPECT_EQ(Accepted({"dhcp", "0251c501020a"}).verify, VerifyMode::kOff);
    EXPECT_EQ(Accepted({"dhcp", "0251c501020a", "--verify"}).verify, VerifyMode::kReport);
    EXPECT_EQ(Accepted({"dhcp", "0251c501020a", "--verify=strict"}).verify, VerifyMode::kStrict);
    EXPECT_NE(Refusal({"dhcp", "0251c501020a", "--verify=loose"}).find("strict"),
              std::string::npos);
    EXPECT_NE(Refusal({"reboot", "0251c501020a", "--verify"}).find("unknown option"),
              std::string::npos);
    EXPECT_TRUE(Accepted({"list", "--watch"}).watch);
    EXPECT_NE(Refusal({"list", "--watch", "--format", "csv"}).find("--watch"), std::string::npos);
    EXPECT_EQ(Accepted({"list", "--watch"}).lostAfter, 3u);
    EXPECT_EQ(Accepted({"list", "--watch", "--lost-after=1000"}).lostAfter, 1000u);
    for (std::string_view bad : {"0", "1001", "-1", "2.5", "two", ""})
        EXPECT_NE(Refusal({"list", "--watch", "--lost-after", bad}).find("1 to 1000"),
                  std::string::npos)
            << bad;
    EXPECT_NE(Refusal({"list", "--lost-after", "2"}).find("add --watch"), std::string::npos);
    EXPECT_NE(Refusal({"info", "0251c501020a", "--lost-after", "2"}).find("unknown option"),
              std::string::npos);
    const Invocation apply = Accepted({"apply", "plan.csv", "--dry-run", "--format", "json"});
    EXPECT_EQ(apply.planFile, "plan.csv");
    EXPECT_TRUE(apply.dryRun);
    EXPECT_NE(Refusal({"apply", "plan.csv", "--format", "csv"}).find("table or json"),
              std::string::npos);
    EXPECT_NE(Refusal({"apply"}).find("apply needs PLAN"), std::string::npos);
}

TEST(CommandLine, SetIpRefusesWhatTheWindowRefusesAndForceOnlyPassesAForeignGateway)
{
    const struct {
        std::initializer_list<std::string_view> args;
        const char* refusal;  // the start of the message; "" when accepted
    } rows[] = {
        {{"set-ip", "0251c501020a", "0.0.0.0", "0.0.0.0", "0.0.0.0"}, "0.0.0.0 is no address"},
        {{"set-ip", "0251c501020a", "198.51.100.20", "255.0.255.0", "0.0.0.0"},
         "255.0.255.0 is not a subnet mask"},
        {{"set-ip", "0251c501020a", "224.0.5.128", "255.255.255.0", "0.0.0.0"},
         "224.0.5.128 is a multicast address"},
        {{"set-ip", "0251c501020a", "198.51.100.20", "255.255.255.0", "192.0.2.1"},
         "gateway 192.0.2.1 is outside the subnet 198.51.100.0/24 (give --force"},
        {{"set-ip", "0251c501020a", "198.51.100.20", "255.255.255.0", "192.0.2.1", "--force"}, ""},
        {{"set-ip", "0251c501020a", "127.0.0.5", "255.0.0.0", "0.0.0.0", "--force"},
         "127.0.0.5 is a loopback address"},
    };
    for (const auto& row : rows) {
        if (*row.refusal == '\0')
            EXPECT_TRUE(Accepted(row.args).force);
        else
            EXPECT_EQ(Refusal(row.args).rfind(row.refusal, 0), 0u) << Refusal(row.args);
    }
}

TEST(CommandLine, AValueGivenToAnOptionThatTakesNoneIsNeverEchoed)
{
    const std::string refusal = Refusal({"dhcp", "0251c501020a", "--password-stdin=hunter2"});
    EXPECT_EQ(refusal, "unknown option '--password-stdin' with a value for dhcp");
    EXPECT_EQ(Refusal({"reboot", "0251c501020a", "--secret=hunter2"}).find("hunter2"),
              std::string::npos);
}
