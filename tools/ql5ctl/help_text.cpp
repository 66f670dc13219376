// SPDX-License-Identifier: Apache-2.0
#include "help_text.h"

#include "grammar.h"

#include <string_view>

namespace ql5ctl {

namespace {

// The usage wraps before this column.
constexpr std::size_t kUsageWidth = 80;
// --help's options: the right column starts here, and a heading longer than
// fits before it gets a line of its own.
constexpr std::size_t kHelpColumn = 24;

constexpr char kIntro[] =
    "ql5ctl: find and configure QL5 serial-to-network converters from the command line.\n";

constexpr char kCommandsText[] =
    "Commands:\n"
    "  list      Search every network of this computer for SECONDS (default 3) and\n"
    "            print each converter that answered: IP address, MAC address, name,\n"
    "            product, the local interface it answered on, DHCP mode and firmware.\n"
    "            A converter heard on several interfaces is listed once per\n"
    "            interface, with its latest reply. Finding none is not an error;\n"
    "            when this computer cannot search at all (no IPv4 address on an\n"
    "            interface that is up), list says why and exits with 6. When nothing\n"
    "            answered, it says on stderr which networks it searched. It warns\n"
    "            about conflicts: two parties with one IP address on one network\n"
    "            (duplicate-ip), an IP outside the local network it answered on\n"
    "            (unreachable-subnet), a gateway outside the converter's subnet\n"
    "            (gateway-outside-subnet): a \"!\" column in the table with the\n"
    "            reasons on stderr, a warnings array in JSON, a warnings column in\n"
    "            CSV.\n"
    "  info      Ask one converter for its details and print them as the nine lines\n"
    "            of QL5Config's information window (or as JSON or CSV).\n"
    "  set-ip    Give the converter the static IP address, subnet mask and default\n"
    "            gateway (each written like 198.51.100.20); this also turns DHCP off.\n"
    "  dhcp      Switch the converter to DHCP.\n"
    "  apply     Carry out a plan: a CSV file with one converter per line,\n"
    "            mac,ip,mask,gateway for static settings or mac,dhcp (blank lines and\n"
    "            lines starting with # are skipped). It searches for SECONDS (default\n"
    "            3) first and checks every row: a malformed row, a MAC or target\n"
    "            address that two rows name, or a MAC that did not answer (or\n"
    "            answered on several networks) stops it before anything is sent,\n"
    "            naming the line. It warns about conflicts, reads the password once,\n"
    "            then runs each row as set-ip or dhcp would, with progress on stderr,\n"
    "            and prints a table (or JSON) of outcomes and a summary.\n"
    "  reboot    Restart the converter. With --wait, then ask it at once and every\n"
    "            0.5 s after, each time waiting 0.5 s at most for the answer, and\n"
    "            print \"Status: Ready\" once it has gone quiet and answers again, or\n"
    "            \"Status: Timed out\" after 5 min 27.5 s (as long as 41 queries of\n"
    "            7.5 s each, 0.5 s apart).\n";

constexpr char kAfterOptionsText[] =
    "MAC addresses may be written 02:51:c5:01:02:03, 02-51-C5-01-02-03 or\n"
    "0251c5010203.\n"
    "\n"
    "Password: set-ip, dhcp, reboot and apply carry the converter's password (at\n"
    "most 255 bytes). It is never taken from the command line, where other users can read it.\n"
    "It comes from standard input with --password-stdin, else from the environment\n"
    "variable QL5_PASSWORD, else from a prompt on the terminal that does not echo.\n"
    "On a computer with several networks a command first asks on all of them where\n"
    "the converter is, and listens 0.5 s longer for a second answer. When the MAC\n"
    "answers from two different addresses (a host on another network may pose as\n"
    "the converter to be sent the password), nothing is sent: choose the network\n"
    "with --interface.\n"
    "\n"
    "Output: JSON keeps converter texts exact (with JSON escapes). Table, info and\n"
    "CSV output show control characters in converter texts as \\xNN, invisible\n"
    "characters that reorder, join or hide text as \\uNNNN and a backslash as \\\\.\n"
    "A CSV cell that would begin with = + - @ gets a leading ' so that spreadsheets\n"
    "take it as text. The JSON shape is described in the README.\n"
    "\n"
    "Exit codes:\n"
    "  0  done\n"
    "  1  the converter refused the command (its error number and message are\n"
    "     printed)\n"
    "  2  usage error: bad arguments, or no password could be read\n"
    "  3  no answer within the time limit: the converter was found but did not\n"
    "     answer the command within 7.5 s, or after reboot --wait it did not\n"
    "     answer again (\"Status: Timed out\")\n"
    "  4  converter not found: no converter with that MAC answered the query\n"
    "     (info, and the first step of set-ip, dhcp and reboot) within 7.5 s\n"
    "  5  the discovery client could not be started (out of resources)\n"
    "  6  this computer could not make the request, and the reason is printed: no\n"
    "     IPv4 address on an interface that is up, a socket that could not be\n"
    "     opened, an --interface that is not this computer's; for list, no search\n"
    "     took place\n"
    "  7  the MAC answered from more than one address; nothing was sent (choose the\n"
    "     network with --interface)\n"
    "  8  the converter answered the command without saying whether it carried it\n"
    "     out; check with info\n"
    "  9  --verify=strict: the converter accepted the change but did not report the\n"
    "     new settings within 15 s\n"
    "  10 apply: the plan was refused before anything was sent (the reasons are\n"
    "     printed with their line numbers)\n"
    "  11 apply: at least one row did not succeed (see the table)\n";

// "(list, apply) " for the commands that take an option.
std::string CommandNames(CommandSet commands)
{
    std::string names;
    for (const SubcommandEntry& sub : kSubcommands) {
        if ((commands & Commands(sub.command)) != 0)
            names += (names.empty() ? "(" : ", ") + std::string(sub.name);
    }
    return names.empty() ? names : names + ") ";
}

std::string OptionsText()
{
    std::string text = "Options:\n";
    std::string_view previousHeading;
    for (const OptionEntry& option : kOptions) {
        std::string line(2, ' ');
        if (option.heading != previousHeading) {
            line += option.heading;
            if (line.size() + 2 > kHelpColumn)
                line += "\n" + std::string(kHelpColumn, ' ');
        }
        previousHeading = option.heading;
        line.resize(line.size() < kHelpColumn ? kHelpColumn : line.size(), ' ');
        line += CommandNames(option.commands);
        for (const char c : option.help) {
            line += c;
            if (c == '\n')
                line += std::string(kHelpColumn, ' ');
        }
        text += line + "\n";
    }
    return text;
}

}  // namespace

std::string UsageText()
{
    std::string text;
    for (const SubcommandEntry& sub : kSubcommands) {
        std::string line =
            (text.empty() ? "usage: ql5ctl " : "       ql5ctl ") + std::string(sub.name);
        const std::size_t indent = line.size() + 1;
        const auto add = [&](std::string_view word) {
            if (line.size() > indent && line.size() + 1 + word.size() > kUsageWidth) {
                text += line + "\n";
                line = std::string(indent - 1, ' ');
            }
            line += " ";
            line += word;
        };
        if (!sub.operandText.empty())
            add(sub.operandText);
        for (const OptionEntry& option : kOptions) {
            if ((option.commands & Commands(sub.command)) != 0)
                add(option.usage);
        }
        text += line + "\n";
    }
    std::string own = "       ql5ctl";
    for (const OptionEntry& option : kOptions) {
        if (option.commands == 0)
            own += (own.size() == 13 ? " " : " | ") + std::string(option.usage);
    }
    return text + own + "\n";
}

std::string HelpText()
{
    return kIntro + ("\n" + UsageText()) + "\n" + kCommandsText + "\n" + OptionsText() + "\n" +
           kAfterOptionsText;
}

}  // namespace ql5ctl
