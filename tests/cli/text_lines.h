// SPDX-License-Identifier: Apache-2.0
// Splitting what ql5ctl printed into its lines, for the CLI tests.
#pragma once

#include <sstream>
#include <string>
#include <vector>

namespace ql5::cli {

// The lines of the text, without their line feeds.
inline std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

}  // namespace ql5::cli
