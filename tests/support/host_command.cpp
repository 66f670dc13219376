// SPDX-License-Identifier: Apache-2.0
#include "support/host_command.h"

namespace ql5::lab {

std::string ShellQuoted(const std::string& text)
{
    std::string quoted = "'";
    for (const char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

}  // namespace ql5::lab
