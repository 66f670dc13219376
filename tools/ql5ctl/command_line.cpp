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
constexpr unsigned kMostLostAfterRounds = 1000;

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

// Whether arg is --help, --version or another name of theirs.
bool IsOwnOption(OptionEffect effect, std::string_view arg)
{
    for (const OptionEntry& option : kOptions) {
        if (option.effect == effect && (arg == option.name || arg == option.alias))
            return true;
    }
    return false;
}

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

    bool TakeOption(const SubcommandEntry& sub, std::string_view arg);
    bool TakeOperands(const SubcommandEntry& sub, const std::vector<std::string_view>& operands);
    bool TakeValue(const SubcommandEntry& sub, const OptionEntry& option,
                   const std::optional<std::string_view>& value);
    bool TakeHost(bool ranges, std::string_view value);

    const std::vector<std::string_view>& args_;
    std::size_t next_ = 0;
    Invocation invocation_;
    bool lostAfterGiven_ = false;
    std::string error_;
};

// The row of the grammar for this option of this command, if it has one.
const OptionEntry* FindOption(Subcommand command, std::string_view name, bool hasInlineValue)
{
    for (const OptionEntry& option : kOptions) {
        if ((option.commands & Commands(command)) != 0 && option.name == name &&
            (option.value != ValueKind::kNone || !hasInlineValue))
            return &option;
    }
    return nullptr;
}

// "table, json or csv" for the choices "table|json|csv".
std::string ChoicesText(std::string_view choices)
{
    std::string text(choices);
    const std::size_t last = text.rfind('|');
    if (last != std::string::npos)
        text.replace(last, 1, " or ");
    for (std::size_t bar = text.find('|'); bar != std::string::npos; bar = text.find('|'))
        text.replace(bar, 1, ", ");
    return text;
}

bool IsChoice(std::string_view choices, std::string_view value)
{
    while (!choices.empty()) {
        const std::size_t bar = choices.find('|');
        if (choices.substr(0, bar) == value)
            return true;
        choices = bar == std::string_view::npos ? std::string_view() : choices.substr(bar + 1);
    }
    return false;
}

bool Parser::TakeOption(const SubcommandEntry& sub, std::string_view arg)
{
    const auto [name, inlineValue] = SplitOption(arg);
    if (IsPasswordOption(name)) {
        error_ =
            "the password is never taken from the command line, where other users can "
            "read it; use --password-stdin, QL5_PASSWORD or the prompt";
        return false;
    }
    const OptionEntry* option = FindOption(sub.command, name, inlineValue.has_value());
    if (option == nullptr) {
        // The value after "=" is never repeated: --password-stdin=secret is a
        // likely slip, and the error goes to a terminal, a log or a CI page.
        error_ = "unknown option " + Quoted(name) + (inlineValue ? " with a value" : "") + " for " +
                 std::string(sub.name);
        return false;
    }
    std::optional<std::string_view> value = inlineValue;
    if (option->value == ValueKind::kRequired) {
        value = OptionValue(name, inlineValue);
        if (!value)
            return false;
        if (!option->choices.empty() && !IsChoice(option->choices, *value)) {
            error_ = std::string(name) + " must be " + ChoicesText(option->choices) + ", not " +
                     Quoted(*value);
            return false;
        }
    }
    return TakeValue(sub, *option, value);
}

bool Parser::TakeValue(const SubcommandEntry& sub, const OptionEntry& option,
                       const std::optional<std::string_view>& value)
{
    const std::string_view text = value.value_or(std::string_view());
    switch (option.effect) {
    case OptionEffect::kHelp:
    case OptionEffect::kVersion: break;  // taken before any command
    case OptionEffect::kFormat:
        if (const auto format = ParseOutputFormat(text)) {
            invocation_.format = *format;
            return true;
        }
        break;
    case OptionEffect::kWaitSeconds: {
        const auto seconds = ParseSeconds(text);
        if (!seconds) {
            error_ = "--wait takes a number of seconds above 0 and up to 3600, not " + Quoted(text);
            return false;
        }
        invocation_.waitSeconds = *seconds;
        return true;
    }
    case OptionEffect::kWaitForReboot: invocation_.waitForReboot = true; return true;
    case OptionEffect::kInterface:
        if (text.empty()) {
            error_ = "--interface needs an interface name such as eth1 or a local IPv4 address";
            return false;
        }
        invocation_.interface = std::string(text);
        return true;
    case OptionEffect::kHostRanges:
    case OptionEffect::kDeviceHost:
        return TakeHost(option.effect == OptionEffect::kHostRanges, text);
    case OptionEffect::kVerify:
        if (value && !IsChoice(option.choices, text)) {
            error_ = "--verify takes no value or =strict, not " + Quoted(text);
            return false;
        }
        invocation_.verify = value ? VerifyMode::kStrict : VerifyMode::kReport;
        return true;
    case OptionEffect::kWatch: invocation_.watch = true; return true;
    case OptionEffect::kLostAfter: {
        unsigned rounds = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), rounds);
        if (error != std::errc() || end != text.data() + text.size() || rounds < 1 ||
            rounds > kMostLostAfterRounds) {
            error_ = "--lost-after takes a number of rounds from 1 to 1000, not " + Quoted(text);
            return false;
        }
        invocation_.lostAfter = rounds;
        lostAfterGiven_ = true;
        return true;
    }
    case OptionEffect::kDryRun: invocation_.dryRun = true; return true;
    case OptionEffect::kForce: invocation_.force = true; return true;
    case OptionEffect::kPasswordFromStdin: invocation_.passwordFromStdin = true; return true;
    }
    error_ = "option " + std::string(option.name) + " is not for " + std::string(sub.name);
    return false;
}

// list asks every address that each --host names; a command goes to the one
// converter address it names.
bool Parser::TakeHost(bool ranges, std::string_view value)
{
    if (ranges) {
        if (const auto reason = ql5common::AddHosts(value, invocation_.hosts)) {
            error_ = "--host " + Quoted(value) + ": " + *reason;
            return false;
        }
        return true;
    }
    if (invocation_.deviceAddress != 0) {
        error_ = "--host names the one converter to ask; give it once";
        return false;
    }
    const auto address = ql5common::ParseHostAddress(value);
    if (!address) {
        error_ = "--host takes the converter's IPv4 address, like 10.1.2.3, not " + Quoted(value);
        return false;
    }
    invocation_.deviceAddress = *address;
    return true;
}

bool Parser::TakeOperands(const SubcommandEntry& sub, const std::vector<std::string_view>& operands)
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
        if (IsOwnOption(OptionEffect::kHelp, arg)) {
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
    if (IsOwnOption(OptionEffect::kVersion, first)) {
        invocation_.command = Subcommand::kVersion;
        return invocation_;
    }
    const SubcommandEntry* sub = nullptr;
    for (const SubcommandEntry& candidate : kSubcommands) {
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
    if (lostAfterGiven_ && !invocation_.watch)
        return UsageError{"--lost-after counts rounds of --watch; add --watch"};
    return invocation_;
}

}  // namespace

std::variant<Invocation, UsageError> ParseCommandLine(const std::vector<std::string_view>& args)
{
    return Parser(args).Run();
}

bool NeedsPassword(Subcommand command)
{
    return (kPasswordCommands & Commands(command)) != 0;
}

}  // namespace ql5ctl
