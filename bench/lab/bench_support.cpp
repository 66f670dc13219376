// SPDX-License-Identifier: Apache-2.0
#include "bench_support.h"

#include <sched.h>

#include <algorithm>
#include <cmath>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>

namespace ql5::bench {

double Milliseconds(Clock::duration duration)
{
    return std::chrono::duration<double, std::milli>(duration).count();
}

double UnixSeconds()
{
    return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

double ProcessCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

bool SeparateFromSimulator(pid_t simulator)
{
    // The processors the process was given at its start: a second call
    // divides those again rather than what the first call left to it.
    static const cpu_set_t available = [] {
        cpu_set_t set;
        CPU_ZERO(&set);
        sched_getaffinity(0, sizeof set, &set);
        return set;
    }();
    if (CPU_COUNT(&available) < 2)
        return false;
    int first = 0;
    while (!CPU_ISSET(first, &available))
        ++first;
    cpu_set_t simulatorSet, ownSet = available;
    CPU_ZERO(&simulatorSet);
    CPU_SET(first, &simulatorSet);
    CPU_CLR(first, &ownSet);
    // Every thread of the simulator, in case it ever has more than one.
    std::error_code error;
    bool pinned = false;
    for (const auto& task : std::filesystem::directory_iterator(
             "/proc/" + std::to_string(simulator) + "/task", error)) {
        const auto thread = static_cast<pid_t>(std::stol(task.path().filename().string()));
        pinned = sched_setaffinity(thread, sizeof simulatorSet, &simulatorSet) == 0 || pinned;
    }
    return pinned && sched_setaffinity(0, sizeof ownSet, &ownSet) == 0;
}

double Percentile(std::vector<double> samples, double share)
{
    if (samples.empty())
        return 0;
    std::sort(samples.begin(), samples.end());
    const auto rank =
        static_cast<std::size_t>(std::ceil(share * static_cast<double>(samples.size())));
    return samples[std::clamp<std::size_t>(rank, 1, samples.size()) - 1];
}

double Median(const std::vector<double>& samples)
{
    return Percentile(samples, 0.5);
}

bool WriteRows(const std::string& path, const std::vector<Row>& rows, const nlohmann::json& details)
{
    nlohmann::json out;
    out["rows"] = nlohmann::json::array();
    for (const Row& row : rows) {
        nlohmann::json item{{"figure", row.figure}, {"name", row.name},     {"value", row.value},
                            {"unit", row.unit},     {"target", row.target}, {"note", row.note}};
        item["baseline"] = row.baseline ? nlohmann::json(*row.baseline) : nlohmann::json();
        item["met"] = row.met ? nlohmann::json(*row.met) : nlohmann::json();
        out["rows"].push_back(item);
    }
    out["details"] = details;
    std::ofstream file(path);
    file << out.dump(2) << '\n';
    return static_cast<bool>(file);
}

std::uint64_t MacKey(const std::uint8_t* mac)
{
    std::uint64_t key = 0;
    for (int i = 0; i < 6; ++i)
        key = (key << 8) | mac[i];
    return key;
}

}  // namespace ql5::bench
