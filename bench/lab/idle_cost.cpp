// Figure 3: what a sweep costs while it hears nothing. It wakes every 200 ms
// to look at its stop signal; between those wake-ups it should cost nothing.
#include "lab_benchmarks.h"

#include "bench_support.h"
#include "client_sweep.h"

#include <cstdio>
#include <string>
#include <vector>

namespace ql5::bench {

int RunIdle(const Options& options)
{
    const double msPerSecond = IdleSweepCpuMsPerSecond(std::chrono::seconds(options.idleSeconds));
    if (msPerSecond < 0) {
        std::fprintf(stderr, "bench: the idle sweep did not start\n");
        return 1;
    }
    std::vector<Row> rows = {{"3 Idle",
                              "sweep listening " + std::to_string(options.idleSeconds) +
                                  " s with no traffic: CPU per second",
                              msPerSecond,
                              "ms/s",
                              {},
                              "< 1 ms/s",
                              msPerSecond < 1.0,
                              ""}};
    return WriteRows(options.out, rows, {{"listen_seconds", options.idleSeconds}}) ? 0 : 1;
}

}  // namespace ql5::bench
