// SPDX-License-Identifier: Apache-2.0
// Runs the ql5ctl program as a user would: with arguments, an environment,
// standard input, and optionally on a pseudo-terminal.
#pragma once

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace ql5::cli {

struct CtlResult {
    int exitCode = -1;  // 128 + signal if a signal ended it
    std::string out;
    std::string err;
    std::chrono::milliseconds elapsed{0};
    long peakMemoryKb = 0;  // the most resident memory it ever had
};

// How much longer than ql5ctl itself a run may take because of the launcher
// named by QL5CTL_COMMAND (Wine starts a Windows program in a second or more
// on a busy machine); zero without one. Upper bounds of `elapsed` add it;
// lower bounds do not.
std::chrono::milliseconds LauncherAllowance();

struct CtlOptions {
    std::string input;  // standard input
    // Variables to set; QL5_PASSWORD is removed unless given here.
    std::map<std::string, std::string> environment;
    // A signal to send once standard output holds a whole line (0: none),
    // for a command that runs until it is stopped.
    int signalAfterFirstLine = 0;
};

inline CtlOptions Stdin(std::string input)
{
    CtlOptions options;
    options.input = std::move(input);
    return options;
}

inline CtlOptions PasswordInEnvironment(std::string password)
{
    CtlOptions options;
    options.environment["QL5_PASSWORD"] = std::move(password);
    return options;
}

// Runs ql5ctl in a new session without a controlling terminal, so that it can
// never prompt, and collects its output.
CtlResult RunCtl(const std::vector<std::string>& args, const CtlOptions& options = {});

// Runs ql5ctl on a new pseudo-terminal, waits for `prompt` in what it
// writes there, types `typed`, and collects everything it wrote until it
// exits. `echoAfter` tells whether the terminal had echo on again at the end.
struct TerminalRun {
    CtlResult result;  // `out` holds everything the terminal showed
    bool sawPrompt = false;
    bool echoAfter = false;
};
TerminalRun RunCtlOnTerminal(const std::vector<std::string>& args, const std::string& prompt,
                             const std::string& typed);

}  // namespace ql5::cli
