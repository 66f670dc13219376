// SPDX-License-Identifier: Apache-2.0
// The benchmarks that run inside the private network lab, one per figure of
// the results table, behind one program (main.cpp picks by name).
#pragma once

#include <string>

namespace ql5::bench {

struct Options {
    std::string out = "results.json";  // where the rows go
    int runs = 5;                      // sweeps per scenario
    int calls = 1000;                  // request calls per kind
    int idleSeconds = 30;              // listening time of the idle sweep
    int fleet = 0;                     // sweep only fleets of this size; 0: all
    bool pin = true;                   // simulator and client on separate processors
};

int RunSweepScale(const Options& options);      // figure 1
int RunRequestLatency(const Options& options);  // figure 2
int RunIdle(const Options& options);            // figure 3
int RunFloodMemory(const Options& options);     // figure 6
int RunApplyPlan(const Options& options);       // figure 7

}  // namespace ql5::bench
