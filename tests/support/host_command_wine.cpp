// SPDX-License-Identifier: Apache-2.0
// Under Wine a Windows program can start a host program by its Unix path, but
// gets no handle to it, so learns neither when it ends nor its exit code. So the command runs in a
// shell that writes its exit code to a file, and we wait for the file.
#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <system_error>
#include <thread>

#include "support/host_command.h"

namespace ql5::lab {
namespace {

constexpr auto kPollInterval = std::chrono::milliseconds(10);
// The lab's commands take milliseconds; this only ends a wait for a host
// that never runs the shell.
constexpr auto kLongestCommand = std::chrono::seconds(60);

std::string HostTemporaryFolder()
{
    const char* base = std::getenv("TMPDIR");
    return base && *base ? base : "/tmp";
}

std::string UniqueName(const std::string& prefix)
{
    static std::atomic<unsigned> serial{0};
    return prefix + "-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(serial++);
}

// One argument of a Windows command line, quoted by the rules with which Wine
// splits the line into the host program's arguments again.
std::string CommandLineArgument(const std::string& text)
{
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (const char c : text) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(2 * backslashes, '\\');
    return quoted + "\"";
}

}  // namespace

bool RunHostCommand(const std::string& command)
{
    const std::string status = HostTemporaryFolder() + "/" + UniqueName("ql5-host") + ".status";
    const std::string partial = status + ".part";
    const std::string script = "/bin/sh -c " + ShellQuoted(command) + " </dev/null; echo $? >" +
                               ShellQuoted(partial) + " && mv " + ShellQuoted(partial) + " " +
                               ShellQuoted(status);
    std::string line = "/bin/sh -c " + CommandLineArgument(script);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return false;
    // For a host program Wine fills in no handles of its own: what is left in
    // `process` may be anything, even a handle of ours, so nothing is closed.

    const auto local = LocalPath(status);
    const auto deadline = std::chrono::steady_clock::now() + kLongestCommand;
    std::error_code error;
    while (!std::filesystem::exists(local, error)) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(kPollInterval);
    }
    int code = -1;
    std::ifstream(local) >> code;
    std::filesystem::remove(local, error);
    return code == 0;
}

std::filesystem::path MakeHostDirectory(const std::string& prefix)
{
    const std::string base = HostTemporaryFolder();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string host = base + "/" + UniqueName(prefix);
        std::error_code error;
        if (std::filesystem::create_directory(LocalPath(host), error))
            return RunHostCommand("chmod 700 " + ShellQuoted(host)) ? LocalPath(host)
                                                                    : std::filesystem::path();
    }
    return {};
}

// Wine shows the host's root folder as drive Z:.
std::filesystem::path LocalPath(const std::string& hostPath)
{
    return "Z:" + hostPath;
}

std::string HostPath(const std::filesystem::path& path)
{
    const std::string text = path.generic_string();
    const bool onDriveZ = text.size() >= 2 && (text[0] == 'Z' || text[0] == 'z') && text[1] == ':';
    return onDriveZ ? text.substr(2) : text;
}

}  // namespace ql5::lab
