// SPDX-License-Identifier: Apache-2.0
// What the user asked ql5ctl to do, read from its arguments.
#pragma once

#include "grammar.h"
#include "output_formats.h"

#include <ql5common/address_text.h>
#include <ql5common/settings_rules.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace ql5ctl {

// set-ip, dhcp and apply: whether to follow the converter after the change
// until it reports the new settings, and whether failing to see them is an
// error.
enum class VerifyMode { kOff, kReport, kStrict };

struct Invocation {
    Subcommand command = Subcommand::kHelp;
    ql5common::MacAddress mac{};
    std::uint32_t ipAddress = 0;  // set-ip, network order
    std::uint32_t subnetMask = 0;
    std::uint32_t gatewayAddress = 0;
    double waitSeconds = 3.0;    // list: length of the sweep
    bool waitForReboot = false;  // reboot --wait
    OutputFormat format = OutputFormat::kTable;
    bool passwordFromStdin = false;  // set-ip, dhcp, reboot
    // info, set-ip, dhcp, reboot: the local interface (a name such as "eth1")
    // or local IPv4 address to use alone; empty for every one.
    std::string interface;
    // list: the addresses --host names, asked by unicast too (network order).
    std::vector<std::uint32_t> hosts;
    // info, set-ip, dhcp, reboot: the converter's own address from --host,
    // to reach it by unicast; 0 for the discovery group.
    std::uint32_t deviceAddress = 0;
    VerifyMode verify = VerifyMode::kOff;
    bool watch = false;  // list --watch
    // list --watch: silent rounds in a row after which a converter is lost.
    unsigned lostAfter = 3;
    bool dryRun = false;  // apply --dry-run
    // set-ip, apply --force: send a gateway outside the new subnet.
    bool force = false;
    std::string planFile;  // apply
};

// The one-line reason why the arguments were refused.
struct UsageError {
    std::string message;
};

// args excludes the program name.
std::variant<Invocation, UsageError> ParseCommandLine(const std::vector<std::string_view>& args);

// The hint that --force exists, for the one refusal it overrides; "" for
// the others.
std::string ForceHint(const ql5common::SettingsVerdict& verdict);

// Whether the subcommand sends commands that need the password.
bool NeedsPassword(Subcommand command);

}  // namespace ql5ctl
