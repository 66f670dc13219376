// SPDX-License-Identifier: Apache-2.0
// The simulator, started for a Windows build of the tests under Wine: a host
// shell starts it in the background, writes its process id to a file, waits
// for it and writes its exit code to another. If the test itself crashes, the
// lab's end stops whatever still runs in its namespaces.
#include <chrono>
#include <fstream>
#include <thread>

#include "support/host_command.h"
#include "support/simulator_process.h"

namespace ql5::lab {
namespace {

constexpr auto kPollInterval = std::chrono::milliseconds(10);
constexpr auto kLongestStart = std::chrono::seconds(10);

std::optional<int> ReadNumber(const std::filesystem::path& path)
{
    int number = 0;
    std::ifstream in(path);
    if (in >> number)
        return number;
    return std::nullopt;
}

// Writes through a partial file, so that the reader never sees half a number.
std::string WriteNumber(const std::string& expression, const std::filesystem::path& path)
{
    const std::string partial = ShellQuoted(HostPath(path) + ".part");
    return "echo " + expression + " >" + partial + " && mv " + partial + " " +
           ShellQuoted(HostPath(path));
}

}  // namespace

::testing::AssertionResult SimulatorProcess::Launch(std::vector<std::string> command,
                                                    const std::filesystem::path& output)
{
    const auto pidFile = directory_ / "simulator.pid";
    const auto exitFile = directory_ / "simulator.exit";
    std::string words;
    for (const auto& word : command)
        words += ShellQuoted(word) + " ";
    const std::string script = "( " + words + ">" + ShellQuoted(HostPath(output)) +
                               " 2>&1 </dev/null & " + WriteNumber("$!", pidFile) + "; wait $!; " +
                               WriteNumber("$?", exitFile) + " ) </dev/null >/dev/null 2>&1 &";
    if (!RunHostCommand(script)) {
        return ::testing::AssertionFailure() << "the host's shell did not start: " << script;
    }
    const auto deadline = std::chrono::steady_clock::now() + kLongestStart;
    for (;;) {
        if (const auto pid = ReadNumber(pidFile)) {
            pid_ = *pid;
            return ::testing::AssertionSuccess();
        }
        if (std::chrono::steady_clock::now() > deadline) {
            return ::testing::AssertionFailure() << "the host's shell did not report the "
                                                    "simulator's process: "
                                                 << script;
        }
        std::this_thread::sleep_for(kPollInterval);
    }
}

std::optional<int> SimulatorProcess::Ended()
{
    return ReadNumber(directory_ / "simulator.exit");
}

void SimulatorProcess::Signal(bool forcibly)
{
    RunHostCommand(std::string("kill ") + (forcibly ? "-KILL " : "-TERM ") + std::to_string(pid_));
}

}  // namespace ql5::lab
