// SPDX-License-Identifier: Apache-2.0
// The lab's own tools (ip, sysctl, the simulator) are programs of the Linux
// host. A lab test built for Linux runs them directly; the same test built
// for Windows runs under Wine on that host, and reaches them through the
// host's shell, which Wine starts like any other program. Files the two
// sides share live in the host's temporary folder, which a Windows program
// sees through Wine's drive Z:.
#pragma once

#include <filesystem>
#include <string>

namespace ql5::lab {

// Runs `command` with the host's /bin/sh and waits for it; true when it
// exited with 0.
bool RunHostCommand(const std::string& command);

// A new, empty, private folder in the host's temporary folder (TMPDIR, or
// /tmp), named after `prefix`; empty when none could be made.
std::filesystem::path MakeHostDirectory(const std::string& prefix);

// The host's name for a file of ours, for the command line of a host program,
// and our name for a file of the host's.
std::string HostPath(const std::filesystem::path& path);
std::filesystem::path LocalPath(const std::string& hostPath);

// `text` quoted for the host's shell.
std::string ShellQuoted(const std::string& text);

}  // namespace ql5::lab
