// SPDX-License-Identifier: Apache-2.0
// The texts of `ql5ctl --help` and of the short usage after a usage error.
#pragma once

namespace ql5ctl {

// The synopsis of every subcommand, printed after a usage error.
extern const char kUsageText[];

// Everything: subcommands, options, password sources, MAC forms, output
// formats and exit codes.
extern const char kHelpText[];

}  // namespace ql5ctl
