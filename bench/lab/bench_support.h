// SPDX-License-Identifier: Apache-2.0
// What the lab benchmarks share: clocks (wall and the process's CPU time),
// order statistics, and the rows that every benchmark writes for the results
// table.
#pragma once

#include <nlohmann/json.hpp>

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ql5::bench {

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::duration duration);

// Wall-clock time in seconds since 1970, the time base of the simulator's log.
double UnixSeconds();

// CPU time of the whole process, every thread included, in seconds. The
// simulator runs in a process of its own, so this is the client's cost only.
double ProcessCpuSeconds();

// Puts the simulator on the first processor this process may use and this
// process (the threads it creates from now on included) on the others. The
// simulator stands in for converters that would be other machines: kept apart,
// its sending does not take the client's processor, and the kernel does not
// queue a woken receiver behind the sender. False, with nothing changed, when
// fewer than two processors are available.
bool SeparateFromSimulator(pid_t simulator);

// The value below which the given share (0 to 1) of the samples lie, by the
// nearest-rank method; 0 for no samples.
double Percentile(std::vector<double> samples, double share);
double Median(const std::vector<double>& samples);

// One line of the results table. The baseline, target and verdict are
// optional: some figures are only reported.
struct Row {
    std::string figure;  // e.g. "1 Sweep"
    std::string name;    // what was measured
    double value = 0;
    std::string unit;  // "ms", "%", "ns", ...
    std::optional<double> baseline;
    std::string target;  // "<= 1.25x baseline", "100%", empty when none
    std::optional<bool> met;
    std::string note;
};

// Writes {"rows": [...], "details": {...}} to the path; details holds the raw
// figures behind the rows.
bool WriteRows(const std::string& path, const std::vector<Row>& rows,
               const nlohmann::json& details = nlohmann::json::object());

// A MAC address in the 48 low bits, for sets of MACs.
std::uint64_t MacKey(const std::uint8_t* mac);

}  // namespace ql5::bench
