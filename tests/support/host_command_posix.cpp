// SPDX-License-Identifier: Apache-2.0
#include <cstdlib>
#include <string>

#include "support/host_command.h"

namespace ql5::lab {

bool RunHostCommand(const std::string& command)
{
    return std::system(command.c_str()) == 0;
}

std::filesystem::path MakeHostDirectory(const std::string& prefix)
{
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/" + prefix + "-XXXXXX";
    if (!mkdtemp(pattern.data()))
        return {};
    return pattern;
}

std::string HostPath(const std::filesystem::path& path)
{
    return path.string();
}

std::filesystem::path LocalPath(const std::string& hostPath)
{
    return hostPath;
}

}  // namespace ql5::lab
