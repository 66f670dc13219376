// SPDX-License-Identifier: Apache-2.0
#include "command_line.h"

#include <ql5common/converter_text.h>
#include <ql5common/host_ranges.h>
#include <ql5common/settings_rules.h>

#include <charconv>
#include <cmath>
#include <optional>

namespace ql5ctl {

namespace {

constexpr double kLongestWaitSeconds = 3600;

struct SubcommandInfo {
    std::string_view name;
    Subcommand command;
    std::size_t operands;          // positional arguments after the name
    std::string_view operandText;  // how --help names them, for error messages
};

constexpr SubcommandInfo kSubcommands[] = {
    {"list", Subcommand::kList, 0, ""},
    {"info", Subcommand::kInfo, 1, "MAC"},
    {"set-ip", Subcommand::kSetIp, 4, "MAC IP MASK GATEWAY"},
    {"dhcp", Subcommand::kDhcp, 1, "MAC"},
    {"reboot", Subcommand::kReboot, 1, "MAC"},
    {"apply", Subcommand::kApply, 1, "PLAN"},
};

// An argument quoted in an error message, with anything that could act on
// the terminal shown as an escape.
std::string Quoted(std::string_view text)
{
    return "'" +
           ql5common::NeutralisedText(ql5common::DecodeConverterText(text.data(), text.size())) +
           "'";
}

std::optional<double> ParseSeconds(std::string_view text)
{
    double value = 0;
    const auto [end, error] =
        std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value) ||
        value <= 0 || value > kLongestWaitSeconds)
        return std::nullopt;
    return value;
}

bool IsBroadcast(const ql5common::MacAddress& mac)
{
    for (std::uint8_t byte : mac) {
        if (byte != 0xFF)
            return false;
    }
    return true;
}

// Splits "--name=value" into its two parts; value is empty without "=".
std::pair<std::string_view, std::optional<std::string_view>> SplitOption(std::string_view arg)
{
    const std::size_t equals = arg.find('=');
    if (equals == std::string_view::npos)
        return {arg, std::nullopt};
    return {arg.substr(0, equals), arg.substr(equals + 1)};
}

}  // namespace

std::string ForceHint(const ql5common::SettingsVerdict& verdict)
{
    return verdict.problem == ql5common::SettingsProblem::kGatewayOutsideSubnet
               ? " (give --force to send it anyway)"
               : "";
}

namespace {

bool IsPasswordOption(std::string_view name)
{
    return name == "--password" || name == "-p" || name == "--pass" || name == "--passwd";
}

class Parser {
public:
    explicit Parser(const std::vector<std::string_view>& args) : args_(args) {}

    std::variant<Invocation, UsageError> Run();

private:
    // Takes the value of an option: after "=" or as the next argument.
    std::optional<std::string_view> OptionValue(std::string_view name,
                                                const std::optional<std::string_view>& inlineValue)
    {
        if (inlineValue)
            return inlineValue;
        if (next_ >= args_.size()) {
            error_ = "option " + std::string(name) + " needs a value";
            return std::nullopt;
        }
        return args_[next_++];
    }

    bool TakeOption(const SubcommandInfo& sub, std::string_view arg);
    bool TakeOperands(const SubcommandInfo& sub, const std::vector<std::string_view>& operands);
    bool TakeHost(const SubcommandInfo& sub, std::string_view name,
                  const std::optional<std::string_view>& inlineValue);

    const std::vector<std::string_view>& args_;
    std::size_t next_ = 0;
    Invocation invocation_;
    std::string error_;
};

bool Parser::TakeOption(const SubcommandInfo& sub, std::string_view arg)
{
    const auto [name, inlineValue] = SplitOption(arg);
    const Subcommand command = sub.command;
    if (IsPasswordOption(name)) {
        error_ =
            "the password is never taken from the command line, where other users can "
            "read it; use --password-stdin, QL5_PASSWORD or the prompt";
        return false;
    }
    if (name == "--format" && (command == Subcommand::kList || command == Subcommand::kInfo ||
                               command == Subcommand::kApply)) {
        const auto value = OptionValue(name, inlineValue);
        if (!value)
            return false;
        const auto format = ParseOutputFormat(*value);
        if (!format || (command == Subcommand::kApply && *format == OutputFormat::kCsv)) {
            error_ = command == Subcommand::kApply
                         ? "--format must be table or json, not " + Quoted(*value)
                         : "--format must be table, json or csv, not " + Quoted(*value);
            return false;
        }
        invocation_.format = *format;
        return true;
    }
    if (name == "--wait" && (command == Subcommand::kList || command == Subcommand::kApply)) {
        const auto value = OptionValue(name, inlineValue);
        if (!value)
            return false;
        const auto seconds = ParseSeconds(*value);
        if (!seconds) {
            error_ =
                "--wait takes a number of seconds above 0 and up to 3600, not " + Quoted(*value);
            return false;
        }
        invocation_.waitSeconds = *seconds;
        return true;
    }
    if (name == "--wait" && command == Subcommand::kReboot && !inlineValue) {
        invocation_.waitForReboot = true;
        return true;
    }
    if (name == "--interface" && (command == Subcommand::kInfo || NeedsPassword(command))) {
        const auto value = OptionValue(name, inlineValue);
        if (!value)
            return false;
        if (value->empty()) {
            error_ = "--interface needs an interface name such as eth1 or a local IPv4 address";
            return false;
        }
        invocation_.interface = std::string(*value);
        return true;
    }
    if (name == "--host")
        return TakeHost(sub, name, inlineValue);
    if (name == "--verify" && (command == Subcommand::kSetIp || command == Subcommand::kDhcp ||
                               command == Subcommand::kApply)) {
        if (inlineValue && *inlineValue != "strict") {
            error_ = "--verify takes no value or =strict, not " + Quoted(*inlineValue);
            return false;
        }
        invocation_.verify = inlineValue ? VerifyMode::kStrict : VerifyMode::kReport;
        return true;
    }
    if (name == "--watch" && command == Subcommand::kList && !inlineValue) {
        invocation_.watch = true;
        return true;
    }
    if (name == "--dry-run" && command == Subcommand::kApply && !inlineValue) {
        invocation_.dryRun = true;
        return true;
    }
    if (name == "--password-stdin" && NeedsPassword(command) && !inlineValue) {
        invocation_.passwordFromStdin = true;
        return true;
    }
    if (name == "--force" && (command == Subcommand::kSetIp || command == Subcommand::kApply) &&
        !inlineValue) {
        invocation_.force = true;
        return true;
    }
    // The value after "=" is never repeated: --password-stdin=secret is a
    // likely slip, and the error goes to a terminal, a log or a CI page.
    error_ = "unknown option " + Quoted(name) + (inlineValue ? " with a value" : "") + " for " +
             std::string(sub.name);
    return false;
}

// list asks every address that each --host names; a command goes to the one
// converter address it names.
bool Parser::TakeHost(const SubcommandInfo& sub, std::string_view name,
                      const std::optional<std::string_view>& inlineValue)
{
    const auto value = OptionValue(name, inlineValue);
    if (!value)
        return false;
    if (sub.command == Subcommand::kList) {
        if (const auto reason = ql5common::AddHosts(*value, invocation_.hosts)) {
            error_ = "--host " + Quoted(*value) + ": " + *reason;
            return false;
        }
        return true;
    }
    if (invocation_.deviceAddress != 0) {
        error_ = "--host names the one converter to ask; give it once";
        return false;
    }
    const auto address = ql5common::ParseHostAddress(*value);
    if (!address) {
        error_ = "--host takes the converter's IPv4 address, like 10.1.2.3, not " + Quoted(*value);
        return false;
    }
    invocation_.deviceAddress = *address;
    return true;
}

bool Parser::TakeOperands(const SubcommandInfo& sub, const std::vector<std::string_view>& operands)
{
    if (operands.size() != sub.operands) {
        if (sub.operands == 0)
            error_ = std::string(sub.name) + " takes no arguments besides options";
        else
            error_ = std::string(sub.name) + " needs " + std::string(sub.operandText);
        return false;
    }
    if (sub.operands == 0)
        return true;
    if (sub.command == Subcommand::kApply) {
        invocation_.planFile = std::string(operands[0]);
        return true;
    }

    const auto mac = ql5common::ParseMac(operands[0]);
    if (!mac) {
        error_ = Quoted(operands[0]) +
                 " is not a MAC address (write 02:51:c5:01:02:03, 02-51-C5-01-02-03 or "
                 "0251c5010203)";
        return false;
    }
    if (IsBroadcast(*mac)) {
        error_ = "ff:ff:ff:ff:ff:ff stands for every converter; give the MAC of one";
        return false;
    }
    invocation_.mac = *mac;

    if (sub.command == Subcommand::kSetIp) {
        const char* const names[] = {"IP", "MASK", "GATEWAY"};
        std::uint32_t* const targets[] = {&invocation_.ipAddress, &invocation_.subnetMask,
                                          &invocation_.gatewayAddress};
        for (std::size_t i = 0; i < 3; ++i) {
            const auto address = ql5common::ParseDottedDecimal(operands[i + 1]);
            if (!address) {
                error_ = Quoted(operands[i + 1]) + " is not an IPv4 address (for " + names[i] +
                         "; write four numbers 0 to 255 like 198.51.100.20)";
                return false;
            }
            *targets[i] = *address;
        }
    }
    return true;
}

std::variant<Invocation, UsageError> Parser::Run()
{
    // Help wins over every other mistake: someone who asks for it should get it.
    for (std::string_view arg : args_) {
        if (arg == "--")
            break;
        if (arg == "--help" || arg == "-h") {
            invocation_.command = Subcommand::kHelp;
            return invocation_;
        }
    }
    if (args_.empty())
        return UsageError{"no command given"};

    const std::string_view first = args_[next_++];
    if (first == "help") {
        invocation_.command = Subcommand::kHelp;
        return invocation_;
    }
    if (first == "--version") {
        invocation_.command = Subcommand::kVersion;
        return invocation_;
    }
    const SubcommandInfo* sub = nullptr;
    for (const SubcommandInfo& candidate : kSubcommands) {
        if (candidate.name == first)
            sub = &candidate;
    }
    if (sub == nullptr) {
        if (!first.empty() && first[0] == '-')
            return UsageError{"give the command before its options (" + Quoted(first) + ")"};
        return UsageError{"unknown command " + Quoted(first)};
    }
    invocation_.command = sub->command;

    // Options may come before, between or after the operands; "--" ends them,
    // for the odd operand that starts with a dash.
    std::vector<std::string_view> operands;
    bool optionsEnded = false;
    while (next_ < args_.size()) {
        const std::string_view arg = args_[next_++];
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
            if (!TakeOption(*sub, arg))
                return UsageError{error_};
        } else {
            operands.push_back(arg);
        }
    }
    if (!TakeOperands(*sub, operands))
        return UsageError{error_};
    if (invocation_.watch && invocation_.format != OutputFormat::kTable)
        return UsageError{"--watch prints JSON lines of its own; leave out --format"};
    if (invocation_.command == Subcommand::kSetIp) {
        const auto verdict =
            ql5common::CheckStaticSettings(invocation_.ipAddress, invocation_.subnetMask,
                                           invocation_.gatewayAddress, invocation_.force);
        if (!verdict)
            return UsageError{verdict.text + ForceHint(verdict) + "; nothing was sent"};
    }
    return invocation_;
}

}  // namespace

std::variant<Invocation, UsageError> ParseCommandLine(const std::vector<std::string_view>& args)
{
    return Parser(args).Run();
}

bool NeedsPassword(Subcommand command)
{
    return command == Subcommand::kSetIp || command == Subcommand::kDhcp ||
           command == Subcommand::kReboot || command == Subcommand::kApply;
}

}  // namespace ql5ctl
