// SPDX-License-Identifier: Apache-2.0
// Figure 3: what a sweep costs while it hears nothing. It wakes every 200 ms
// to look at its stop signal; between those wake-ups it should cost nothing.
// A workstation with many addresses (VPNs, docks, containers) gives the
// sweep a socket for each, so the same is measured with 256 local addresses.
#include "lab_benchmarks.h"

#include "bench_support.h"
#include "client_sweep.h"
#include "support/lab_environment.h"

#include <cstdio>
#include <string>
#include <vector>

namespace ql5::bench {

namespace {

constexpr int kManyAddresses = 256;

// Adds (or, with `add` false, removes) host addresses 10.77.0.1 and on, as
// many as `count`, to the lab's first workstation interface, with one run of
// `ip -batch`. This process runs in the lab's workstation namespace, so the
// addresses exist only there.
bool ChangeAddresses(int count, bool add)
{
    const std::string command = "ip -batch - >/dev/null";
    FILE* ip = popen(command.c_str(), "w");
    if (ip == nullptr)
        return false;
    const std::string device = lab::WorkstationInterface(1);
    for (int i = 1; i <= count; ++i) {
        std::fprintf(ip, "addr %s 10.77.%d.%d/32 dev %s\n", add ? "add" : "del", i / 256, i % 256,
                     device.c_str());
    }
    return pclose(ip) == 0;
}

}  // namespace

int RunIdle(const Options& options)
{
    const auto listen = std::chrono::seconds(options.idleSeconds);
    const double msPerSecond = IdleSweepCpuMsPerSecond(listen);
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

    // The lab's own address and 255 more.
    if (!ChangeAddresses(kManyAddresses - 1, true)) {
        std::fprintf(stderr, "bench: could not add the local addresses\n");
        return 1;
    }
    int served = 0;
    const double manyPerSecond = IdleSweepCpuMsPerSecond(listen, &served);
    static_cast<void>(ChangeAddresses(kManyAddresses - 1, false));
    if (manyPerSecond < 0) {
        std::fprintf(stderr, "bench: the idle sweep with many addresses did not start\n");
        return 1;
    }
    std::fprintf(stderr, "bench: idle with %d local addresses: %.3f ms/s\n", served, manyPerSecond);
    rows.push_back(
        {"3 Idle",
         "the same with " + std::to_string(kManyAddresses) + " local addresses: CPU per second",
         manyPerSecond,
         "ms/s",
         {},
         "< 2 ms/s",
         manyPerSecond < 2.0,
         "the sweep listened on " + std::to_string(served) + " addresses"});
    return WriteRows(options.out, rows,
                     {{"listen_seconds", options.idleSeconds}, {"many_addresses_served", served}})
               ? 0
               : 1;
}

}  // namespace ql5::bench
