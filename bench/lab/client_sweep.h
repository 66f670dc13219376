// SPDX-License-Identifier: Apache-2.0
// One background sweep through the client's public interface, read the way
// the main window reads it: on each notification, what GetDeviceCount says is
// waiting is taken out with ReadDevices in slices of 256 records.
#pragma once

#include "bench_support.h"

#include <cstddef>

namespace ql5::bench {

struct SweepOutcome {
    std::size_t found = 0;         // distinct MACs read
    std::size_t records = 0;       // records read, duplicates included
    double firstRecordMs = 0;      // from StartDiscovery to the first record read
    double lastRecordMs = 0;       // from StartDiscovery to the last record read
    double cpuMs = 0;              // process CPU time over the same span
    int notifications = 0;         // wake-ups of the reading thread
    int posts = 0;                 // messages the sweep posted
    double sweepThreadCpuMs = 0;   // on-CPU time of the sweep thread
    long sweepThreadSwitches = 0;  // its context switches, voluntary or not
    double callbackCpuMs = 0;      // of the sweep thread's time, the part spent
                                   // in this harness's notification callback
    bool started = false;
    double startUnixSeconds = 0;  // wall clock at StartDiscovery, to place the
                                  // simulator's log entries on the same axis
};

// Starts a sweep and reads until `expected` distinct converters are found or
// no record has come for `quiet`; then stops the sweep.
SweepOutcome RunClientSweep(std::size_t expected, Clock::duration quiet);

// Runs a sweep that hears nothing for `listen` and gives the process CPU time
// per second of listening, in milliseconds; negative when no sweep started.
// With `addresses`, the number of local addresses the sweep listened on is
// stored there.
double IdleSweepCpuMsPerSecond(Clock::duration listen, int* addresses = nullptr);

}  // namespace ql5::bench
