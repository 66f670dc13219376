// SPDX-License-Identifier: Apache-2.0
// ql5ctl's grammar: its commands, every option with the commands that take it,
// and the texts that the usage and --help show for them. The parser, the
// usage text, --help and the check against the manual page and the shell
// completions all read these tables, so an option is written here once.
#pragma once

#include <cstddef>
#include <string_view>

namespace ql5ctl {

enum class Subcommand { kHelp, kVersion, kList, kInfo, kSetIp, kDhcp, kReboot, kApply };

// A set of subcommands, one bit each.
using CommandSet = unsigned;

constexpr CommandSet Commands(Subcommand command)
{
    return 1U << static_cast<unsigned>(command);
}

template <typename... Rest>
constexpr CommandSet Commands(Subcommand first, Rest... rest)
{
    return Commands(first) | Commands(rest...);
}

struct SubcommandEntry {
    std::string_view name;
    Subcommand command;
    std::size_t operands;          // positional arguments after the name
    std::string_view operandText;  // how the usage names them
};

// In the order of the usage and --help.
inline constexpr SubcommandEntry kSubcommands[] = {
    {"list", Subcommand::kList, 0, ""},
    {"info", Subcommand::kInfo, 1, "MAC"},
    {"set-ip", Subcommand::kSetIp, 4, "MAC IP MASK GATEWAY"},
    {"dhcp", Subcommand::kDhcp, 1, "MAC"},
    {"reboot", Subcommand::kReboot, 1, "MAC"},
    {"apply", Subcommand::kApply, 1, "PLAN"},
};

enum class ValueKind {
    kNone,            // a switch: "--watch"; "--watch=x" is no such option
    kRequired,        // "--wait 3" or "--wait=3"
    kOptionalInline,  // "--verify" or "--verify=strict", never the next argument
};

// What an option sets; the parser checks the value the way each one needs.
enum class OptionEffect {
    kHelp,
    kVersion,
    kWaitSeconds,
    kWaitForReboot,
    kFormat,
    kWatch,
    kLostAfter,
    kDryRun,
    kForce,
    kInterface,
    kHostRanges,
    kDeviceHost,
    kVerify,
    kPasswordFromStdin,
};

struct OptionEntry {
    std::string_view name;   // "--wait"
    std::string_view alias;  // "-h", or empty
    ValueKind value;
    OptionEffect effect;
    // The commands that take the option in this form; 0 for an option of
    // ql5ctl itself (--help, --version), which takes the place of a command.
    CommandSet commands;
    // The values it allows, "table|json|csv"; empty when any value is
    // checked by its effect.
    std::string_view choices;
    std::string_view usage;    // in the synopsis: "[--wait SECONDS]"
    std::string_view heading;  // --help's left column: "--wait SECONDS"
    // --help's right column, its lines split by '\n'; the commands that take
    // the option go before it in parentheses. An option of two rows with one
    // heading (--format) is one entry of --help.
    std::string_view help;
};

// The commands that carry the converter's password.
inline constexpr CommandSet kPasswordCommands =
    Commands(Subcommand::kSetIp, Subcommand::kDhcp, Subcommand::kReboot, Subcommand::kApply);

// In the order of the synopsis and of --help's options.
inline constexpr OptionEntry kOptions[] = {
    {"--dry-run", "", ValueKind::kNone, OptionEffect::kDryRun, Commands(Subcommand::kApply), "",
     "[--dry-run]", "--dry-run", "check the plan and print what would be sent;\nsend nothing"},
    {"--wait", "", ValueKind::kRequired, OptionEffect::kWaitSeconds,
     Commands(Subcommand::kList, Subcommand::kApply), "", "[--wait SECONDS]", "--wait SECONDS",
     "how long to listen for answers, above 0\nand up to 3600; fractions like 0.5 are allowed"},
    {"--wait", "", ValueKind::kNone, OptionEffect::kWaitForReboot, Commands(Subcommand::kReboot),
     "", "[--wait]", "--wait", "wait until the converter answers again"},
    {"--format", "", ValueKind::kRequired, OptionEffect::kFormat, Commands(Subcommand::kList),
     "table|json|csv|prometheus", "[--format table|json|csv|prometheus]", "--format FORMAT",
     "table (the default), json, csv, or\nprometheus, the text format of node_exporter's\n"
     "textfile collector;"},
    {"--format", "", ValueKind::kRequired, OptionEffect::kFormat, Commands(Subcommand::kInfo),
     "table|json|csv", "[--format table|json|csv]", "--format FORMAT",
     "table (the default), json or csv;"},
    {"--format", "", ValueKind::kRequired, OptionEffect::kFormat, Commands(Subcommand::kApply),
     "table|json", "[--format table|json]", "--format FORMAT", "table or json"},
    {"--watch", "", ValueKind::kNone, OptionEffect::kWatch, Commands(Subcommand::kList), "",
     "[--watch]", "--watch",
     "keep searching, a new round every SECONDS, and\n"
     "print one JSON object per line for every converter that\n"
     "is found, changed (\"changed\" names the fields) or\n"
     "lost, with \"event\" and an RFC 3339 UTC \"time\", until\n"
     "SIGINT, SIGTERM or a closed output (then exit 0)"},
    {"--lost-after", "", ValueKind::kRequired, OptionEffect::kLostAfter,
     Commands(Subcommand::kList), "", "[--lost-after ROUNDS]", "--lost-after ROUNDS",
     "with --watch, a converter silent for ROUNDS\nrounds in a row is lost; 1 to 1000, default 3"},
    {"--interface", "", ValueKind::kRequired, OptionEffect::kInterface,
     Commands(Subcommand::kInfo) | kPasswordCommands, "", "[--interface NAME|ADDRESS]",
     "--interface NAME|ADDRESS",
     "ask and send\n"
     "through this local interface only: a name such as\n"
     "eth1, or a local IPv4 address as list shows it under\n"
     "localAddress"},
    {"--host", "", ValueKind::kRequired, OptionEffect::kHostRanges, Commands(Subcommand::kList), "",
     "[--host ADDRESS|ADDRESS/PREFIX]...", "--host ADDRESS|ADDRESS/PREFIX",
     "also ask this address, or every address of this\n"
     "range (10.1.5.0/28; its network and broadcast addresses\n"
     "left out), by unicast: for converters behind a router,\n"
     "which the multicast search does not reach. Repeatable;\n"
     "65536 addresses (a /16) at most in total, asked at 250 a\n"
     "second, so give --wait the time they need"},
    {"--host", "", ValueKind::kRequired, OptionEffect::kDeviceHost,
     Commands(Subcommand::kInfo, Subcommand::kSetIp, Subcommand::kDhcp, Subcommand::kReboot), "",
     "[--host ADDRESS]", "--host ADDRESS",
     "send to the converter's own\n"
     "IPv4 address by unicast, through the local address that\n"
     "leads there (or the one --interface names)"},
    {"--force", "", ValueKind::kNone, OptionEffect::kForce,
     Commands(Subcommand::kSetIp, Subcommand::kApply), "", "[--force]", "--force",
     "send a gateway outside the new subnet,\nwhich is refused otherwise"},
    {"--verify", "", ValueKind::kOptionalInline, OptionEffect::kVerify,
     Commands(Subcommand::kSetIp, Subcommand::kDhcp, Subcommand::kApply), "strict",
     "[--verify[=strict]]", "--verify[=strict]",
     "after the change, follow the\n"
     "converter for up to 15 s until it reports the new\n"
     "settings, and say whether it does; with =strict, exit\n"
     "with 9 when it does not"},
    {"--password-stdin", "", ValueKind::kNone, OptionEffect::kPasswordFromStdin, kPasswordCommands,
     "", "[--password-stdin]", "--password-stdin",
     "read the password from the\n"
     "first line of standard input (without echo on a\n"
     "terminal)"},
    {"--help", "-h", ValueKind::kNone, OptionEffect::kHelp, 0, "", "--help", "-h, --help",
     "show this text"},
    {"--version", "", ValueKind::kNone, OptionEffect::kVersion, 0, "", "--version", "--version",
     "show the version"},
};

}  // namespace ql5ctl
