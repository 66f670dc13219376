// SPDX-License-Identifier: Apache-2.0
// The exit codes of ql5ctl. Scripts rely on them, so they never change
// meaning; --help and the README list them.
#pragma once

namespace ql5ctl {

enum ExitCode : int {
    kExitDone = 0,      // the command was carried out
    kExitRefused = 1,   // the converter answered and refused the command
    kExitUsage = 2,     // bad command line, or no usable password
    kExitNoAnswer = 3,  // the converter was found but did not answer in time
    kExitNotFound = 4,  // no converter with that MAC answered the query
    kExitInternal = 5,  // the discovery client could not be started at all
    // This computer could not make the request (no IPv4 address on an
    // interface that is up, a socket that could not be opened, an --interface
    // that is none of its own); for list, no search took place.
    kExitLocalFailure = 6,
    // The MAC answered from more than one address, so nothing was sent; one
    // must be chosen with --interface.
    kExitAmbiguous = 7,
    // The converter's reply did not say whether it carried the command out.
    kExitOutcomeUnknown = 8,
    // set-ip or dhcp --verify=strict (and apply with it): the converter
    // accepted the change but did not report the new settings within 15 s.
    kExitNotConfirmed = 9,
    // apply: the plan was refused before anything was sent (a plan that
    // cannot be read, a malformed row, a duplicate target address, a MAC that
    // did not answer or answered on several networks).
    kExitPlanRefused = 10,
    // apply: at least one row did not succeed (the table says which).
    kExitRowsFailed = 11,
};

}  // namespace ql5ctl
