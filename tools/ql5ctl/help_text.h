// SPDX-License-Identifier: Apache-2.0
// The texts of `ql5ctl --help` and of the short usage after a usage error,
// made from the grammar (grammar.h).
#pragma once

#include <string>

namespace ql5ctl {

// The synopsis of every subcommand, printed after a usage error.
std::string UsageText();

// Everything: subcommands, options, password sources, MAC forms, output
// formats and exit codes.
std::string HelpText();

}  // namespace ql5ctl
