// SPDX-License-Identifier: Apache-2.0
// ql5ctl: the command-line companion of QL5Config. It lists the converters on
// every network of this computer, shows one converter's details, gives it
// static IP settings or DHCP, and reboots it, through the discovery client's
// public C interface only.
#include "command_line.h"
#include "exit_codes.h"
#include "help_text.h"
#include "standard_streams.h"
#include "subcommands.h"

#include <cstdio>
#include <exception>
#include <iostream>
#include <string_view>
#include <variant>
#include <vector>

#ifndef QL5CTL_VERSION
#define QL5CTL_VERSION "unknown"
#endif

namespace {

int Run(int argc, char** argv)
{
    using namespace ql5ctl;

    UseByteExactStandardStreams();
    std::vector<std::string_view> args(argv + 1, argv + argc);
    const auto parsed = ParseCommandLine(args);
    if (const auto* error = std::get_if<UsageError>(&parsed)) {
        std::cerr << "ql5ctl: " << error->message << "\n"
                  << UsageText() << "Run 'ql5ctl --help' for details.\n";
        return kExitUsage;
    }
    const Invocation& invocation = std::get<Invocation>(parsed);

    const Streams streams{std::cout, std::cerr, StandardErrorIsTerminal()};
    int code = kExitDone;
    switch (invocation.command) {
    case Subcommand::kHelp: std::cout << HelpText(); break;
    case Subcommand::kVersion: std::cout << "ql5ctl " QL5CTL_VERSION "\n"; break;
    case Subcommand::kList:
        code = invocation.watch ? RunWatch(invocation, streams) : RunList(invocation, streams);
        break;
    case Subcommand::kApply: code = RunApply(invocation, streams); break;
    case Subcommand::kInfo: code = RunInfo(invocation, streams); break;
    case Subcommand::kSetIp:
    case Subcommand::kDhcp:
    case Subcommand::kReboot: code = RunCommand(invocation, streams); break;
    }
    std::cout.flush();
    return code;
}

}  // namespace

// Nothing in Run is meant to throw; should it all the same (memory running
// out, say), ql5ctl reports it and ends with the internal-error code instead
// of aborting.
int main(int argc, char** argv)
{
    try {
        return Run(argc, argv);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "ql5ctl: %s\n", error.what());
    } catch (...) {
        std::fprintf(stderr, "ql5ctl: unexpected error\n");
    }
    return ql5ctl::kExitInternal;
}
