// SPDX-License-Identifier: Apache-2.0
// Figure 6: the peak memory of `ql5ctl list --wait 5` while the network
// floods it for the whole listing: one converter repeats its discovery reply
// as fast as it can, and another sends replies with forged, random MACs. A
// client that keeps every copy grows with the flood; one that keeps a bounded
// queue and one entry per converter stays flat.
#include "lab_benchmarks.h"

#include "bench_support.h"
#include "support/lab_environment.h"
#include "support/simulator_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

#ifndef QL5CTL_PATH
#error "QL5CTL_PATH must name the ql5ctl executable"
#endif

namespace ql5::bench {

namespace {

constexpr int kListSeconds = 5;
constexpr double kPeakTargetMb = 64;

// The flood runs a little longer than the listing, so that it never ends
// before ql5ctl stops listening.
constexpr char kFleet[] = R"({"converters": [
    {"mac": "02:51:c5:00:00:01", "misbehave": {"flood": {"durationMs": 6000}}},
    {"mac": "02:51:c5:00:00:02", "misbehave": {"flood": {"durationMs": 6000, "randomMacs": true}}}]})";

// The same flood with every text as long as the record holds: 255 bytes of
// name, product name and firmware, partly two-byte characters, so that the
// listing keeps the largest texts a converter can send for every entry.
std::string LongTextFleet()
{
    const auto text = [](const std::string& start) {
        std::string out = start;
        while (out.size() + 9 <= 255)
            out += "\xc3\xa9xxxxxxx";  // "é" then seven "x"
        out.append(255 - out.size(), 'y');
        return out;
    };
    const std::string texts = R"("name": ")" + text("Long name ") + R"(", "productName": ")" +
                              text("Long product ") + R"(", "firmware": ")" + text("1.0.0 ") +
                              R"(", )";
    return R"({"converters": [{"mac": "02:51:c5:00:00:01", )" + texts +
           R"("misbehave": {"flood": {"durationMs": 6000}}}, {"mac": "02:51:c5:00:00:02", )" +
           texts + R"("misbehave": {"flood": {"durationMs": 6000, "randomMacs": true}}}]})";
}

// Ten rounds of the watch, and a flood that lasts them all.
constexpr int kWatchRounds = 10;
constexpr char kWatchFleet[] = R"({"converters": [
    {"mac": "02:51:c5:00:00:01", "misbehave": {"flood": {"durationMs": 11000}}},
    {"mac": "02:51:c5:00:00:02", "misbehave": {"flood": {"durationMs": 11000, "randomMacs": true}}}]})";

struct Listing {
    bool ran = false;
    int exitCode = -1;
    double peakMb = 0;     // the child's peak resident memory
    std::size_t rows = 0;  // lines it printed, the header included
    double seconds = 0;
};

// Runs ql5ctl list in this (the lab's workstation) namespace, counts the
// lines it prints and reads its peak resident memory from wait4. With
// `watchSeconds`, it runs list --watch in rounds of one second and sends it
// SIGTERM after that many seconds; `stopSeconds` is then how long it took to
// end.
Listing RunList(int watchSeconds = 0, double* stopSeconds = nullptr)
{
    Listing listing;
    int output[2];
    if (pipe2(output, O_CLOEXEC) != 0)
        return listing;
    const auto start = Clock::now();
    const pid_t child = fork();
    if (child < 0) {
        close(output[0]);
        close(output[1]);
        return listing;
    }
    if (child == 0) {
        dup2(output[1], STDOUT_FILENO);
        const std::string wait = std::to_string(kListSeconds);
        if (watchSeconds > 0)
            execl(QL5CTL_PATH, "ql5ctl", "list", "--watch", "--wait", "1",
                  static_cast<char*>(nullptr));
        else
            execl(QL5CTL_PATH, "ql5ctl", "list", "--wait", wait.c_str(),
                  static_cast<char*>(nullptr));
        _exit(127);
    }
    close(output[1]);
    char buffer[65536];
    Clock::time_point stopSent{};
    bool stopped = false;
    for (;;) {
        if (watchSeconds > 0 && !stopped &&
            Clock::now() - start >= std::chrono::seconds(watchSeconds)) {
            kill(child, SIGTERM);
            stopSent = Clock::now();
            stopped = true;
        }
        if (watchSeconds > 0) {
            pollfd readable{output[0], POLLIN, 0};
            if (poll(&readable, 1, 50) == 0)
                continue;
        }
        const ssize_t got = read(output[0], buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        for (ssize_t i = 0; i < got; ++i)
            listing.rows += buffer[i] == '\n' ? 1 : 0;
    }
    close(output[0]);
    int status = 0;
    rusage usage{};
    pid_t reaped;
    do {
        reaped = wait4(child, &status, 0, &usage);
    } while (reaped < 0 && errno == EINTR);
    listing.seconds = Milliseconds(Clock::now() - start) / 1000;
    if (stopSeconds != nullptr && stopped)
        *stopSeconds = Milliseconds(Clock::now() - stopSent) / 1000;
    if (reaped != child)
        return listing;
    listing.ran = true;
    listing.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    listing.peakMb = static_cast<double>(usage.ru_maxrss) / 1024.0;  // ru_maxrss is in KiB
    return listing;
}

// Runs `ql5ctl list` during the flood of `fleet` once per run and adds each
// run's peak and line count; false when the simulator or ql5ctl did not run.
bool ListDuringFlood(const Options& options, const std::string& fleet, const char* label,
                     std::vector<double>& peaks, std::vector<double>& rows, nlohmann::json& runs)
{
    for (int run = 0; run < options.runs; ++run) {
        lab::SimulatorProcess simulator;
        const auto started = simulator.Start(lab::ConverterNamespace(1), fleet);
        if (!started) {
            std::fprintf(stderr, "bench: %s\n", started.message());
            return false;
        }
        const Listing listing = RunList();
        simulator.Stop();
        if (!listing.ran) {
            std::fprintf(stderr, "bench: ql5ctl list did not run\n");
            return false;
        }
        std::fprintf(stderr,
                     "bench: %s run %d: ql5ctl list exited %d after %.1f s, %zu lines, "
                     "peak %.1f MB\n",
                     label, run + 1, listing.exitCode, listing.seconds, listing.rows,
                     listing.peakMb);
        peaks.push_back(listing.peakMb);
        rows.push_back(static_cast<double>(listing.rows));
        runs.push_back({{"case", label},
                        {"exit_code", listing.exitCode},
                        {"seconds", listing.seconds},
                        {"lines", listing.rows},
                        {"peak_mb", listing.peakMb}});
    }
    return true;
}

}  // namespace

int RunFloodMemory(const Options& options)
{
    std::vector<double> peaks, rows, longPeaks, longRows;
    nlohmann::json runs = nlohmann::json::array();
    if (!ListDuringFlood(options, kFleet, "flood", peaks, rows, runs) ||
        !ListDuringFlood(options, LongTextFleet(), "long-text flood", longPeaks, longRows, runs))
        return 1;
    // The watch under the same flood for ten rounds of a second, then
    // SIGTERM: its peak against the listing's of the same run.
    std::vector<double> watchPeaks, stopTimes;
    for (int run = 0; run < options.runs; ++run) {
        lab::SimulatorProcess simulator;
        if (!simulator.Start(lab::ConverterNamespace(1), kWatchFleet))
            return 1;
        double stopSeconds = 0;
        const Listing watch = RunList(kWatchRounds, &stopSeconds);
        simulator.Stop();
        if (!watch.ran)
            return 1;
        std::fprintf(stderr,
                     "bench: watch run %d: exited %d, %zu lines, peak %.1f MB, ended %.3f s "
                     "after SIGTERM\n",
                     run + 1, watch.exitCode, watch.rows, watch.peakMb, stopSeconds);
        watchPeaks.push_back(watch.peakMb);
        stopTimes.push_back(stopSeconds);
        runs.push_back({{"watch", true},
                        {"exit_code", watch.exitCode},
                        {"lines", watch.rows},
                        {"peak_mb", watch.peakMb},
                        {"stop_seconds", stopSeconds}});
    }
    const double worst = Percentile(peaks, 1.0);
    const double worstLong = Percentile(longPeaks, 1.0);
    char longNote[160];
    std::snprintf(longNote, sizeof longNote,
                  "name, product and firmware of 255 bytes, partly two-byte characters; %.0f "
                  "lines printed (median)",
                  Median(longRows));
    const double worstWatch = Percentile(watchPeaks, 1.0);
    const double slowestStop = Percentile(stopTimes, 1.0);
    char note[160];
    std::snprintf(note, sizeof note,
                  "one converter repeating its reply and one forging random MACs; %.0f lines "
                  "printed (median)",
                  Median(rows));
    std::vector<Row> table = {
        {"6 Flood",
         "ql5ctl list --wait " + std::to_string(kListSeconds) +
             " during a flood: peak memory (worst run)",
         worst,
         "MB",
         {},
         "< 64 MB",
         worst < kPeakTargetMb,
         note},
        {"6 Flood",
         "ql5ctl list --wait " + std::to_string(kListSeconds) +
             " during the flood, every text 255 bytes: peak memory (worst "
             "run; baseline: list above)",
         worstLong, "MB", worst, "< 64 MB", worstLong < kPeakTargetMb, longNote},
        {"6 Flood",
         "ql5ctl list --watch, 10 rounds of 1 s during the flood: peak "
         "memory (worst run; baseline: list above)",
         worstWatch, "MB", worst, "< 64 MB", worstWatch < kPeakTargetMb,
         "the flood lasts the ten rounds"},
        {"6 Flood",
         "ql5ctl list --watch: time from SIGTERM to its end during the "
         "flood (slowest run)",
         slowestStop * 1000,
         "ms",
         {},
         "< 500 ms",
         slowestStop < 0.5,
         ""}};
    return WriteRows(options.out, table, {{"runs", runs}}) ? 0 : 1;
}

}  // namespace ql5::bench
