// SPDX-License-Identifier: Apache-2.0
// One command to one converter, from the first query to the confirmation of
// the change: the steps that set-ip, dhcp, reboot and every row of apply
// share, so that a plan does exactly what the single commands do.
#pragma once

#include "command_line.h"
#include "password.h"
#include "subcommands.h"

#include <ql5/discovery.h>
#include <ql5common/address_text.h>

#include <cstdint>
#include <string>
#include <variant>

namespace ql5ctl {

// What to send to which converter. The addresses (network order) are those
// of set-ip; dhcp and reboot ignore them.
struct CommandTarget {
    Subcommand command = Subcommand::kSetIp;
    ql5common::MacAddress mac{};
    std::uint32_t ipAddress = 0;
    std::uint32_t subnetMask = 0;
    std::uint32_t gatewayAddress = 0;
    // The converter's own address from --host, to reach it by unicast; 0 for
    // the discovery group.
    std::uint32_t deviceAddress = 0;
};

struct CommandOutcome {
    int exitCode = 0;
    // A few words for a table of outcomes: "done", "confirmed", "refused: …".
    std::string summary;
    // The local address the converter answered on, 0 when it was not found.
    std::uint32_t localAddress = 0;
};

// Asks for the converter through `localAddress` (0: every local address),
// sends the command from the address it answered on, and with `verify`
// follows it until it reports the new settings. Results go to streams.out,
// failures and progress to streams.err, in the words of the single commands;
// `interfaceText` is the --interface given, for messages. With `lastUse` the
// password is wiped as soon as the command has been sent, before the
// confirmation or anything else that may take long.
CommandOutcome CarryOutCommand(const CommandTarget& target, DiscoveryHandle handle,
                               std::uint32_t localAddress, const std::string& interfaceText,
                               Password& password, bool lastUse, VerifyMode verify,
                               Streams streams);

// The local address that --interface names, 0 without it, or the reason why
// it names none.
std::variant<std::uint32_t, std::string> ResolveInterface(const std::string& text);

// A converter text or status text, safe to print.
std::string PrintableText(const std::string& raw);

}  // namespace ql5ctl
