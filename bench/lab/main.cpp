// SPDX-License-Identifier: Apache-2.0
// ql5_lab_bench sweep|requests|idle|flood|apply [--out FILE] [--runs N] [--calls N]
//                [--seconds N] [--fleet N] [--no-pin]
// Runs one lab benchmark and writes its rows of the results table as JSON.
// It must run inside the private network lab (scripts/lab run); scripts/bench
// does that.
#include "lab_benchmarks.h"

#include "support/lab_environment.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

int Usage()
{
    std::fprintf(stderr,
                 "usage: ql5_lab_bench sweep|requests|idle|flood|apply [--out FILE] [--runs N] "
                 "[--calls N] [--seconds N] [--fleet N] [--no-pin]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return Usage();
    const std::string which = argv[1];
    ql5::bench::Options options;
    for (int i = 2; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--no-pin") {
            options.pin = false;
            continue;
        }
        if (i + 1 >= argc)
            return Usage();
        const std::string value = argv[++i];
        if (option == "--out")
            options.out = value;
        else if (option == "--runs")
            options.runs = std::atoi(value.c_str());
        else if (option == "--calls")
            options.calls = std::atoi(value.c_str());
        else if (option == "--seconds")
            options.idleSeconds = std::atoi(value.c_str());
        else if (option == "--fleet")
            options.fleet = std::atoi(value.c_str());
        else
            return Usage();
    }
    if (options.runs < 1 || options.calls < 1 || options.idleSeconds < 1)
        return Usage();
    if (!ql5::lab::InLab()) {
        std::fprintf(stderr, "ql5_lab_bench: run me inside the lab: scripts/lab run -- ...\n");
        return 2;
    }
    if (which == "sweep")
        return ql5::bench::RunSweepScale(options);
    if (which == "requests")
        return ql5::bench::RunRequestLatency(options);
    if (which == "idle")
        return ql5::bench::RunIdle(options);
    if (which == "flood")
        return ql5::bench::RunFloodMemory(options);
    if (which == "apply")
        return ql5::bench::RunApplyPlan(options);
    return Usage();
}
