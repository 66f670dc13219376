// SPDX-License-Identifier: Apache-2.0
// The subcommands on top of the discovery client's public interface.
// Each returns the process's exit code.
#pragma once

#include "command_line.h"

#include <ostream>

namespace ql5ctl {

struct Streams {
    std::ostream& out;  // results
    std::ostream& err;  // errors and progress meant for a person
    bool errIsTerminal = false;
};

int RunList(const Invocation& invocation, Streams streams);
int RunInfo(const Invocation& invocation, Streams streams);
// set-ip, dhcp and reboot.
int RunCommand(const Invocation& invocation, Streams streams);
// apply PLAN.
int RunApply(const Invocation& invocation, Streams streams);
// list --watch: runs until SIGINT, SIGTERM or a closed output.
int RunWatch(const Invocation& invocation, Streams streams);

}  // namespace ql5ctl
