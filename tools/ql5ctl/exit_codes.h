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
};

}  // namespace ql5ctl
