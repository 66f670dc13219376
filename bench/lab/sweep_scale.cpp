// SPDX-License-Identifier: Apache-2.0
// Figure 1: one sweep answered by a simulated fleet of N converters, all at
// once or spread over 100 ms, against bare receivers taking the same burst in
// the same lab. Each run takes a spinning bare receiver (the time baseline),
// the client, a bare receiver that blocks (the CPU baseline), and the spinning
// one again with the kernel's default receive buffer, in that order, so that
// a change in the machine's load falls on all four.
#include "lab_benchmarks.h"

#include "bare_receiver.h"
#include "client_sweep.h"
#include "packet_format.h"
#include "support/lab_environment.h"
#include "support/simulator_process.h"

#include <ql5/discovery.h>

#include <cstdio>
#include <string>
#include <thread>

namespace ql5::bench {

namespace {

// The same size that the sweep asks for its sockets, so that the baseline
// differs from the client only in what it does with a datagram.
constexpr int kBaselineReceiveBuffer = 4 * 1024 * 1024;
constexpr auto kQuiet = std::chrono::milliseconds(1000);
// Long enough for the simulator to finish a spread burst and for the kernel
// to forget the last one before the next run starts.
constexpr auto kPause = std::chrono::milliseconds(400);

struct Scenario {
    int count;
    int spreadMs;
    bool mustFindAll;        // the targets: 10,000 spread, 1,000 at once
    double lastRecordBound;  // time to the last record, times the baseline
    bool cpuTarget;          // the sweep thread's CPU per record has a target
};

// The sweep thread may spend this much CPU per record, times the blocking
// bare receiver's.
constexpr double kCpuPerRecordBound = 1.5;

std::string FleetJson(const Scenario& scenario)
{
    return R"({"replySpreadMs": )" + std::to_string(scenario.spreadMs) +
           R"(, "generate": {"count": )" + std::to_string(scenario.count) +
           R"(, "namePrefix": "Converter ", "template": {"mask": "255.254.0.0",
              "gateway": "198.18.0.254", "dns": "198.18.0.53", "dhcp": 0,
              "hardwareType": 7, "productName": "QL5 Core Module", "firmware": "2.4.1",
              "serialLinkPort": 4001, "portCount": 1}}})";
}

std::string Label(const Scenario& scenario)
{
    char text[64];
    std::snprintf(text, sizeof text, "N=%d %s", scenario.count,
                  scenario.spreadMs > 0 ? "spread over 100 ms" : "all at once");
    return text;
}

struct Measured {
    std::vector<double> found, firstMs, lastMs, cpuMs, threadUsPerRecord, requestMs, wakeUps,
        callbackUsPerRecord;
    double WorstFound() const { return Percentile(found, 0.0); }
};

void Note(Measured& measured, std::size_t found, std::size_t expected, double firstMs,
          double lastMs, double cpuMs)
{
    measured.firstMs.push_back(firstMs);
    measured.found.push_back(100.0 * static_cast<double>(found) / static_cast<double>(expected));
    measured.lastMs.push_back(lastMs);
    measured.cpuMs.push_back(cpuMs);
}

// When the simulator logged the last request it received, in milliseconds
// after the given wall-clock moment; how long the request took to leave.
double RequestSentMs(lab::SimulatorProcess& simulator, double startUnixSeconds)
{
    const auto received = simulator.ReceivedDatagrams();
    simulator.ClearReceived();
    return received.empty() ? -1 : (received.back().time - startUnixSeconds) * 1000;
}

bool Baseline(Measured& measured, int receiveBuffer, const Scenario& scenario,
              std::size_t& datagrams, double& startUnixSeconds)
{
    lab::WorkstationSocket socket(lab::WorkstationAddress(1), receiveBuffer);
    if (!socket.Ok()) {
        std::fprintf(stderr, "bench: bare socket: %s\n", socket.Error().c_str());
        return false;
    }
    RequestBuffer request;
    const std::size_t length = EncodeDiscoveryRequest(request, QL5_PROTOCOL_MAGIC, BroadcastMac);
    const double cpuStart = ProcessCpuSeconds();
    startUnixSeconds = UnixSeconds();
    const auto start = Clock::now();
    socket.SendToGroup(request, length);
    const auto burst = DrainBurst(socket, static_cast<std::size_t>(scenario.count), kQuiet);
    const auto last = burst.datagrams > 0 ? burst.last : start;
    // Up to the last datagram: the wait for quiet after losses is not work.
    const double cpuMs = burst.datagrams > 0 ? (burst.lastCpuSeconds - cpuStart) * 1000 : 0;
    Note(measured, burst.macs.size(), static_cast<std::size_t>(scenario.count),
         burst.datagrams > 0 ? Milliseconds(burst.first - start) : 0, Milliseconds(last - start),
         cpuMs);
    datagrams = burst.datagrams;
    return true;
}

// The blocking bare receiver on the same address, with the sweep's receive
// buffer: its thread's CPU time per datagram is the CPU baseline.
bool BlockingBaseline(Measured& measured, const Scenario& scenario)
{
    lab::WorkstationSocket socket(lab::WorkstationAddress(1), kBaselineReceiveBuffer);
    if (!socket.Ok()) {
        std::fprintf(stderr, "bench: bare socket: %s\n", socket.Error().c_str());
        return false;
    }
    RequestBuffer request;
    const std::size_t length = EncodeDiscoveryRequest(request, QL5_PROTOCOL_MAGIC, BroadcastMac);
    const auto burst = ReceiveBurstBlocking(socket, request, length,
                                            static_cast<std::size_t>(scenario.count), kQuiet);
    measured.found.push_back(100.0 * static_cast<double>(burst.found) / scenario.count);
    measured.cpuMs.push_back(burst.cpuMs);
    measured.wakeUps.push_back(burst.wakeUps);
    if (burst.datagrams > 0)
        measured.threadUsPerRecord.push_back(burst.cpuMs * 1000 /
                                             static_cast<double>(burst.datagrams));
    return true;
}

// The rows of one scenario; false when the simulator, a socket or the sweep
// could not be started.
bool RunScenario(const Scenario& scenario, const Options& options, std::vector<Row>& rows,
                 nlohmann::json& details)
{
    const std::string label = Label(scenario);
    lab::SimulatorProcess simulator;
    const auto started = simulator.Start(lab::ConverterNamespace(1), FleetJson(scenario));
    if (!started) {
        std::fprintf(stderr, "bench: %s\n", started.message());
        return false;
    }
    const bool pinned = options.pin && SeparateFromSimulator(simulator.Pid());
    const auto expected = static_cast<std::size_t>(scenario.count);
    Measured client, bare, blocking, bareDefault;
    nlohmann::json runs = nlohmann::json::array();
    for (int run = 0; run < options.runs; ++run) {
        std::size_t bareDatagrams = 0, ignoredDatagrams = 0;
        double bareStart = 0, ignoredStart = 0;
        if (!Baseline(bare, kBaselineReceiveBuffer, scenario, bareDatagrams, bareStart))
            return false;
        const double bareRequestMs = RequestSentMs(simulator, bareStart);
        bare.requestMs.push_back(bareRequestMs);
        std::this_thread::sleep_for(kPause);

        const auto outcome = RunClientSweep(expected, kQuiet);
        if (!outcome.started) {
            std::fprintf(stderr, "bench: StartDiscovery failed\n");
            return false;
        }
        Note(client, outcome.found, expected, outcome.firstRecordMs, outcome.lastRecordMs,
             outcome.cpuMs);
        const double clientRequestMs = RequestSentMs(simulator, outcome.startUnixSeconds);
        client.requestMs.push_back(clientRequestMs);
        if (outcome.records > 0) {
            const auto records = static_cast<double>(outcome.records);
            client.threadUsPerRecord.push_back(outcome.sweepThreadCpuMs * 1000 / records);
            client.callbackUsPerRecord.push_back(outcome.callbackCpuMs * 1000 / records);
        }
        client.wakeUps.push_back(outcome.posts);
        std::this_thread::sleep_for(kPause);

        if (!BlockingBaseline(blocking, scenario))
            return false;
        simulator.ClearReceived();
        std::this_thread::sleep_for(kPause);

        if (!Baseline(bareDefault, 0, scenario, ignoredDatagrams, ignoredStart))
            return false;
        simulator.ClearReceived();
        std::this_thread::sleep_for(kPause);

        runs.push_back(
            {{"client_found", outcome.found},
             {"client_records", outcome.records},
             {"client_request_ms", clientRequestMs},
             {"client_first_ms", outcome.firstRecordMs},
             {"client_last_ms", outcome.lastRecordMs},
             {"client_cpu_ms", outcome.cpuMs},
             {"client_notifications", outcome.notifications},
             {"client_posts", outcome.posts},
             {"sweep_thread_cpu_ms", outcome.sweepThreadCpuMs},
             {"sweep_thread_switches", outcome.sweepThreadSwitches},
             {"sweep_thread_callback_cpu_ms", outcome.callbackCpuMs},
             {"bare_found_pct", bare.found.back()},
             {"bare_request_ms", bareRequestMs},
             {"bare_first_ms", bare.firstMs.back()},
             {"bare_last_ms", bare.lastMs.back()},
             {"bare_datagrams", bareDatagrams},
             {"blocking_found_pct", blocking.found.back()},
             {"blocking_cpu_ms", blocking.cpuMs.back()},
             {"blocking_us_per_record",
              blocking.threadUsPerRecord.empty() ? 0.0 : blocking.threadUsPerRecord.back()},
             {"blocking_wake_ups", blocking.wakeUps.back()},
             {"bare_default_buffer_found_pct", bareDefault.found.back()}});
        std::fprintf(stderr,
                     "bench: %s run %d: client %zu found in %.1f ms (request out at %.2f ms, "
                     "first read %.1f ms, CPU %.1f ms of which sweep thread %.1f ms, %d posts, "
                     "%ld switches); bare %.1f%% in %.1f ms (request out at %.2f ms, first %.1f "
                     "ms); blocking bare %.1f%%, CPU %.1f ms in %.0f wake-ups; bare with the "
                     "default buffer %.1f%%\n",
                     label.c_str(), run + 1, outcome.found, outcome.lastRecordMs, clientRequestMs,
                     outcome.firstRecordMs, outcome.cpuMs, outcome.sweepThreadCpuMs, outcome.posts,
                     outcome.sweepThreadSwitches, bare.found.back(), bare.lastMs.back(),
                     bareRequestMs, bare.firstMs.back(), blocking.found.back(),
                     blocking.cpuMs.back(), blocking.wakeUps.back(), bareDefault.found.back());
    }
    simulator.Stop();
    details[label] = {{"pinned", pinned}, {"runs", runs}};

    const double found = client.WorstFound();
    Row foundRow{
        "1 Sweep", label + ": share found (worst run)", found, "%", bare.WorstFound(), "", {},
        "reported"};
    if (scenario.mustFindAll) {
        foundRow.target = "100%";
        foundRow.met = found >= 100.0;
        foundRow.note.clear();
    }
    rows.push_back(foundRow);
    const double last = Median(client.lastMs), bareLast = Median(bare.lastMs);
    // When the request reached the simulator tells a slow start (a sweep
    // thread that waited for a processor) from a slow drain.
    char note[256];
    std::snprintf(note, sizeof note,
                  "%s; request reached the simulator after %.2f ms (bare %.2f ms)",
                  pinned ? "simulator and client on separate processors"
                         : "simulator and client share the processors",
                  Median(client.requestMs), Median(bare.requestMs));
    char bound[32];
    std::snprintf(bound, sizeof bound, "<= %.2fx baseline", scenario.lastRecordBound);
    rows.push_back({"1 Sweep", label + ": time to last record (median)", last, "ms", bareLast,
                    bound, last <= scenario.lastRecordBound * bareLast,
                    std::string(note) + "; baseline: the spinning bare receiver"});
    // The library's own cost: the harness's callback runs on the sweep thread
    // but is the caller's code, as a window's message handler would be.
    std::vector<double> ownUsPerRecord;
    for (std::size_t run = 0; run < client.threadUsPerRecord.size(); ++run)
        ownUsPerRecord.push_back(client.threadUsPerRecord[run] - client.callbackUsPerRecord[run]);
    const double perRecord = Median(ownUsPerRecord);
    const double barePerRecord = Median(blocking.threadUsPerRecord);
    Row cpuRow{"1 Sweep",
               label + ": sweep thread CPU per record, the harness's callback left out (median)",
               perRecord,
               "us",
               barePerRecord,
               "",
               {},
               ""};
    std::snprintf(
        note, sizeof note,
        "sweep thread: receive, decode, queue, notify (%.0f notifications; the "
        "harness's callback took another %.2f us per record); baseline: the blocking bare "
        "receiver's thread (%.0f wake-ups)",
        Median(client.wakeUps), Median(client.callbackUsPerRecord), Median(blocking.wakeUps));
    cpuRow.note = note;
    if (scenario.cpuTarget) {
        std::snprintf(bound, sizeof bound, "<= %.1fx baseline", kCpuPerRecordBound);
        cpuRow.target = bound;
        cpuRow.met = perRecord <= kCpuPerRecordBound * barePerRecord;
    }
    rows.push_back(cpuRow);
    rows.push_back({"1 Sweep",
                    label + ": client CPU time (median)",
                    Median(client.cpuMs),
                    "ms",
                    Median(blocking.cpuMs),
                    "",
                    {},
                    "the whole process: the sweep thread and the thread reading the records; "
                    "baseline: the blocking bare receiver"});
    rows.push_back({"1 Sweep",
                    label + ": bare receiver with the default buffer, share found",
                    bareDefault.WorstFound(),
                    "%",
                    {},
                    "",
                    {},
                    "why the sweep forces a 4 MiB receive buffer"});
    return true;
}

}  // namespace

int RunSweepScale(const Options& options)
{
    // Time to the last record: thread and socket start-up weigh most in the
    // smallest burst, least in the largest.
    const Scenario scenarios[] = {{1000, 0, true, 1.25, false},
                                  {1000, 100, false, 1.25, true},
                                  {10000, 0, false, 1.10, true},
                                  {10000, 100, true, 1.25, true}};
    std::vector<Row> rows;
    nlohmann::json details = nlohmann::json::object();
    for (const Scenario& scenario : scenarios) {
        if (options.fleet != 0 && scenario.count != options.fleet)
            continue;
        if (!RunScenario(scenario, options, rows, details))
            return 1;
    }
    details["receive_buffer_in_force_bytes"] =
        lab::WorkstationSocket(lab::WorkstationAddress(1), kBaselineReceiveBuffer).ReceiveBuffer();
    details["default_receive_buffer_bytes"] =
        lab::WorkstationSocket(lab::WorkstationAddress(1), 0).ReceiveBuffer();
    details["runs"] = options.runs;
    return WriteRows(options.out, rows, details) ? 0 : 1;
}

}  // namespace ql5::bench
