// SPDX-License-Identifier: Apache-2.0
// Figure 2: QueryDevice and ConfigureStatic against one simulated converter,
// call after call, beside bare round trips of the same requests to the same
// simulator. The four kinds of call take turns, so that whatever else the
// machine does falls on all of them alike. They share one context, which
// located the converter during the warm-up, so each call leaves at once; on
// a workstation with several addresses the command that takes turns is
// ConfigureStaticAt through the converter's address. The first command on a
// new context locates the converter and listens 500 ms on after the first
// answer: it is timed a few times on its own.
#include "lab_benchmarks.h"

#include "bare_receiver.h"
#include "packet_format.h"
#include "support/lab_environment.h"
#include "support/simulator_process.h"

#include <ql5/discovery.h>

#include <arpa/inet.h>

#include <cstdio>
#include <string>

namespace ql5::bench {

namespace {

constexpr std::uint8_t kMac[6] = {0x02, 0x51, 0xc5, 0x00, 0x00, 0x01};
constexpr char kPassword[] = "secret";
constexpr auto kReplyTimeout = std::chrono::seconds(2);
constexpr int kWarmUpCalls = 20;
// The first command on a context takes half a second by design; a few show
// what it costs.
constexpr int kPlainCommandCalls = 10;

constexpr char kFleet[] = R"({"converters": [{"mac": "02:51:c5:00:00:01", "ip": "198.51.100.10",
    "mask": "255.255.255.0", "gateway": "198.51.100.254", "dns": "198.51.100.53", "dhcp": 0,
    "name": "Line 1", "hardwareType": 7, "productName": "QL5 Core Module",
    "firmware": "2.4.1", "serialLinkPort": 4001, "portCount": 1, "password": "secret",
    "successMessage": "Settings saved", "interfaces": ["lab0"]}]})";

std::uint32_t Address(const char* dotted)
{
    in_addr address{};
    inet_pton(AF_INET, dotted, &address);
    return address.s_addr;
}

struct Samples {
    std::vector<double> bareQuery, query, bareConfigure, configure, plainConfigure;
    int failures = 0;
};

}  // namespace

int RunRequestLatency(const Options& options)
{
    const int links = lab::LinkCount();
    lab::SimulatorProcess simulator;
    const auto started = simulator.Start(lab::ConverterNamespace(1), kFleet);
    if (!started) {
        std::fprintf(stderr, "bench: %s\n", started.message());
        return 1;
    }
    lab::WorkstationSocket bare(lab::WorkstationAddress(1));
    DiscoveryHandle handle = OpenContext(QL5_PROTOCOL_MAGIC);
    if (!bare.Ok() || handle == nullptr) {
        std::fprintf(stderr, "bench: no bare socket (%s) or no context\n", bare.Error().c_str());
        return 1;
    }
    RequestBuffer queryRequest, configureRequest;
    const std::size_t queryLength = EncodeDiscoveryRequest(queryRequest, QL5_PROTOCOL_MAGIC, kMac);
    const std::uint32_t ip = Address("198.51.100.10"), mask = Address("255.255.255.0"),
                        gateway = Address("198.51.100.254");
    const std::size_t configureLength = EncodeConfigureStaticRequest(
        configureRequest, QL5_PROTOCOL_MAGIC, kMac, ip, mask, gateway, kPassword);
    const std::uint32_t local = Address(lab::WorkstationAddress(1).c_str());

    Samples samples;
    DeviceRecordExchange record{};
    for (int call = -kWarmUpCalls; call < options.calls; ++call) {
        const bool counted = call >= 0;
        auto start = Clock::now();
        bare.SendToGroup(queryRequest, queryLength);
        bool ok = AwaitReply(bare, kDiscoveryReply, kMac, kReplyTimeout);
        if (counted)
            samples.bareQuery.push_back(Milliseconds(Clock::now() - start));
        samples.failures += ok ? 0 : 1;

        start = Clock::now();
        ok = QueryDevice(handle, kMac, &record) == 0;
        if (counted)
            samples.query.push_back(Milliseconds(Clock::now() - start));
        samples.failures += ok ? 0 : 1;

        start = Clock::now();
        bare.SendToGroup(configureRequest, configureLength);
        ok = AwaitReply(bare, kConfigureStaticReply, kMac, kReplyTimeout);
        if (counted)
            samples.bareConfigure.push_back(Milliseconds(Clock::now() - start));
        samples.failures += ok ? 0 : 1;

        start = Clock::now();
        ok = (links == 1
                  ? ConfigureStatic(handle, kMac, ip, mask, gateway, kPassword)
                  : ConfigureStaticAt(handle, local, 0, kMac, ip, mask, gateway, kPassword)) == 0;
        if (counted)
            samples.configure.push_back(Milliseconds(Clock::now() - start));
        samples.failures += ok ? 0 : 1;
    }
    CloseContext(handle);
    for (int call = 0; call < kPlainCommandCalls; ++call) {
        DiscoveryHandle fresh = OpenContext(QL5_PROTOCOL_MAGIC);
        const auto start = Clock::now();
        const bool ok =
            fresh != nullptr && ConfigureStatic(fresh, kMac, ip, mask, gateway, kPassword) == 0;
        samples.plainConfigure.push_back(Milliseconds(Clock::now() - start));
        samples.failures += ok ? 0 : 1;
        if (fresh != nullptr)
            CloseContext(fresh);
    }
    simulator.Stop();

    const std::string shape = links == 1 ? "one interface" : std::to_string(links) + " interfaces";
    const std::string calls = std::to_string(options.calls) + " calls";
    const double bareQuery = Median(samples.bareQuery),
                 bareConfigure = Median(samples.bareConfigure);
    const double query = Median(samples.query), configureMedian = Median(samples.configure);
    // A context that has located the converter sends each command at once:
    // its yardstick is one command round trip.
    const double commandBaseline = bareConfigure;
    const std::string commandTarget = "<= baseline + 0.5 ms";
    const std::string located = "the context located the converter during the warm-up";
    const std::string command = links == 1 ? "ConfigureStatic" : "ConfigureStaticAt";
    const std::string failures =
        samples.failures == 0 ? "" : std::to_string(samples.failures) + " calls got no reply";
    std::vector<Row> rows = {
        {"2 Requests", "QueryDevice, " + shape + ": median of " + calls, query, "ms", bareQuery,
         "<= baseline + 0.5 ms", query <= bareQuery + 0.5, failures.empty() ? located : failures},
        {"2 Requests",
         "QueryDevice, " + shape + ": 99th percentile",
         Percentile(samples.query, 0.99),
         "ms",
         Percentile(samples.bareQuery, 0.99),
         "",
         {},
         ""},
        {"2 Requests", command + ", " + shape + ": median of " + calls, configureMedian, "ms",
         commandBaseline, commandTarget, configureMedian <= commandBaseline + 0.5,
         failures.empty() ? located : failures},
        {"2 Requests",
         command + ", " + shape + ": 99th percentile",
         Percentile(samples.configure, 0.99),
         "ms",
         Percentile(samples.bareConfigure, 0.99),
         "",
         {},
         ""},
    };
    rows.push_back({"2 Requests",
                    "ConfigureStatic, " + shape +
                        ", the first command on a new context: median of " +
                        std::to_string(kPlainCommandCalls) + " calls",
                    Median(samples.plainConfigure),
                    "ms",
                    bareQuery + bareConfigure,
                    "",
                    {},
                    "locates the converter and listens 500 ms on for a second answer before it "
                    "sends; baseline: a bare query and a bare command round trip"});
    nlohmann::json details = {{"links", links},
                              {"calls", options.calls},
                              {"failures", samples.failures},
                              {"bare_query_median_ms", bareQuery},
                              {"bare_configure_median_ms", bareConfigure},
                              {"bare_query_p99_ms", Percentile(samples.bareQuery, 0.99)},
                              {"bare_configure_p99_ms", Percentile(samples.bareConfigure, 0.99)},
                              {"query_max_ms", Percentile(samples.query, 1.0)},
                              {"configure_max_ms", Percentile(samples.configure, 1.0)}};
    return WriteRows(options.out, rows, details) ? 0 : 1;
}

}  // namespace ql5::bench
