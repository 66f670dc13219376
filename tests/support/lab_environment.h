// SPDX-License-Identifier: Apache-2.0
// What scripts/lab tells the command that it runs: whether we are inside the
// private network lab, and the names and addresses of its parts.
#pragma once

#include <string>

namespace ql5::lab {

// True when running under `scripts/lab run` (QL5_LAB is set).
bool InLab();
// Number of workstation-to-converter links (1 or 2), 0 outside the lab.
int LinkCount();

// Names of the network namespaces; empty when unknown. `link` counts from 1.
std::string WorkstationNamespace();
std::string ConverterNamespace(int link);

// Interface names: the workstation's end of a link (ws0, ws1) and the
// converter's end, which is lab0 in every converter namespace.
std::string WorkstationInterface(int link);
std::string ConverterInterface();

// Dotted IPv4 addresses of the two ends of a link.
std::string WorkstationAddress(int link);
std::string ConverterAddress(int link);

}  // namespace ql5::lab

// Skips the current test unless it runs inside a lab with at least `links`
// links. Lab tests are registered through scripts/lab, so a skip here means
// that the test binary was started by hand.
#define QL5_REQUIRE_LAB(links)                                                         \
    do {                                                                               \
        if (!::ql5::lab::InLab() || ::ql5::lab::LinkCount() < (links)) {               \
            GTEST_SKIP() << "needs the private network lab with " << (links)           \
                         << " link(s): run under scripts/lab run --links " << (links); \
        }                                                                              \
    } while (false)
