// Reading ql5ctl's arguments: MAC forms, addresses, options per subcommand and
// the one-line reasons for refusing them.
#include "command_line.h"

#include <gtest/gtest.h>

#include <variant>

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
    return std::holds_alternative<Invocation>(parsed) ? std::get<Invocation>(parsed)
                                                      : Invocation{};
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

const MacAddress kMac{0x02, 0x51, 0xc5, 0x01, 0x02, 0x0a};

}  // namespace

TEST(CommandLine, AcceptsTheThreeMacForms)
{
    EXPECT_EQ(Accepted({"info", "02:51:c5:01:02:0a"}).mac, kMac);
    EXPECT_EQ(Accepted({"info", "02-51-C5-01-02-0A"}).mac, kMac);
    EXPECT_EQ(Accepted({"info", "0251c501020A"}).mac, kMac);
}

TEST(CommandLine, RefusesMalformedMacs)
{
    for (std::string_view bad : {"02:51:c5:01:02", "02:51:c5:01:02:0a:0b", "00:40-9d:01:02:0a",
                                 "02.51.c5.01.02.0a", "2:51:c5:01:02:0a0", "0251c501020",
                                 "0251c501020g", "", "02:51:c5:01:02:0g"}) {
        const auto parsed = Parse({"info", bad});
        ASSERT_TRUE(std::holds_alternative<UsageError>(parsed)) << bad;
        EXPECT_NE(std::get<UsageError>(parsed).message.find("not a MAC address"),
                  std::string::npos);
    }
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
    EXPECT_EQ(invocation.command, Subcommand::SetIp);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(&invocation.ipAddress);
    EXPECT_EQ(bytes[0], 0xC0);
    EXPECT_EQ(bytes[1], 0xA8);
    EXPECT_EQ(bytes[2], 0x01);
    EXPECT_EQ(bytes[3], 0x0A);
    EXPECT_EQ(invocation.gatewayAddress, 0u);
}

TEST(CommandLine, RefusesAddressesThatAreNotFourDecimalOctets)
{
    for (std::string_view bad : {"192.168.1", "192.168.1.256", "192.168.1.10.", "192.168.01.10",
                                 "192.168.1.1a", " 192.168.1.10", "1.2.3.-4", "0x1.2.3.4"}) {
        const std::string message =
            Refusal({"set-ip", "0251c501020a", "192.168.1.10", bad, "192.168.1.1"});
        EXPECT_NE(message.find("for MASK"), std::string::npos) << bad << ": " << message;
    }
}

TEST(CommandLine, PasswordOnTheCommandLineIsRefusedWithTheReason)
{
    for (std::string_view option : {"--password=secret", "--password", "-p"}) {
        const std::string message = Refusal({"dhcp", "0251c501020a", option});
        EXPECT_NE(message.find("never taken from the command line"), std::string::npos)
            << option;
    }
}

TEST(CommandLine, OptionsBelongToTheirSubcommands)
{
    EXPECT_EQ(Accepted({"list", "--wait", "0.5", "--format=csv"}).waitSeconds, 0.5);
    EXPECT_EQ(Accepted({"list", "--format", "json"}).format, OutputFormat::Json);
    EXPECT_TRUE(Accepted({"reboot", "--wait", "0251c501020a"}).waitForReboot);
    EXPECT_TRUE(Accepted({"set-ip", "0251c501020a", "1.2.3.4", "255.0.0.0", "1.2.3.1",
                          "--password-stdin"})
                    .passwordFromStdin);

    EXPECT_NE(Refusal({"info", "0251c501020a", "--wait", "3"}).find("unknown option"),
              std::string::npos);
    EXPECT_NE(Refusal({"dhcp", "0251c501020a", "--format", "json"}).find("unknown option"),
              std::string::npos);
    EXPECT_NE(Refusal({"list", "--password-stdin"}).find("unknown option"), std::string::npos);
    EXPECT_NE(Refusal({"reboot", "0251c501020a", "--wait=5"}).find("unknown option"),
              std::string::npos);
}

TEST(CommandLine, ListWaitMustBeAPositiveNumberOfSecondsUpToAnHour)
{
    EXPECT_EQ(Accepted({"list"}).waitSeconds, 3.0);
    EXPECT_EQ(Accepted({"list", "--wait", "3600"}).waitSeconds, 3600.0);
    for (std::string_view bad : {"0", "-1", "3601", "nan", "inf", "1e3", "two", ""})
        EXPECT_NE(Refusal({"list", "--wait", bad}).find("--wait"), std::string::npos) << bad;
    EXPECT_NE(Refusal({"list", "--wait"}).find("needs a value"), std::string::npos);
    EXPECT_NE(Refusal({"list", "--format", "xml"}).find("table, json or csv"), std::string::npos);
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
    EXPECT_EQ(Accepted({"--help"}).command, Subcommand::Help);
    EXPECT_EQ(Accepted({"help"}).command, Subcommand::Help);
    EXPECT_EQ(Accepted({"set-ip", "bad-mac", "-h"}).command, Subcommand::Help);
    EXPECT_EQ(Accepted({"--version"}).command, Subcommand::Version);
}

TEST(CommandLine, DoubleDashLetsAnOperandStartWithADash)
{
    // Nothing valid starts with a dash, but the error must then be about the
    // operand, not an unknown option.
    EXPECT_NE(Refusal({"info", "--", "-0251c501020"}).find("not a MAC address"),
              std::string::npos);
}

TEST(CommandLine, ErrorMessagesEscapeWhatTheUserTyped)
{
    const std::string message = Refusal({"info", "\x1b[2J"});
    EXPECT_EQ(message.find('\x1b'), std::string::npos);
    EXPECT_NE(message.find("\\x1b[2J"), std::string::npos);
}
